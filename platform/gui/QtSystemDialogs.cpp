#include "platform/gui/QtSystemDialogs.h"

#include "platform/gui/FontChooser.h"
#include "platform/gui/PrintSupport.h"

#include <QFileDialog>

bool TQtSystemDialogs::OpenFile(QWidget* parent, const QString& filter, QString& chosenPath)
{
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(filter);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    chosenPath = dialog.selectedFiles().constFirst();
    return true;
}

bool TQtSystemDialogs::SaveFile(QWidget* parent, const QString& filter, const QString& suggested, QString& chosenPath)
{
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    chosenPath = dialog.selectedFiles().constFirst();
    return true;
}

bool TQtSystemDialogs::Folder(QWidget* parent, const QString& caption, QString& chosenPath)
{
    QFileDialog dialog(parent, caption);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    chosenPath = dialog.selectedFiles().constFirst();
    return true;
}

bool TQtSystemDialogs::Print(QWidget* parent, QPrinter& printer)
{
    return PrintSupport::Get().PrintDialog(parent, printer);
}

bool TQtSystemDialogs::PrinterSetup(QWidget* parent, QPrinter& printer)
{
    return PrintSupport::Get().PageSetupDialog(parent, printer);
}

bool TQtSystemDialogs::Font(QWidget* parent, QFont& font, int minSize, int maxSize)
{
    // Our own chooser: QFontDialog offers every size and cannot be limited.
    TFontChooser dialog(font, minSize, maxSize, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    font = dialog.SelectedFont();
    return true;
}

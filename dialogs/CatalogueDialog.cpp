// The catalogue dialog. The books are read from the catalogue as they stand
// in memory, which is the file: every change reached it before its signal.
#include "dialogs/CatalogueDialog.h"

#include "catalogue/PdfCatalogue.h"
#include "catalogue/Thumbnail.h"
#include "csv/CsvExport.h"
#include "csv/WebCatalogue.h"
#include "engine/Catalogue.h"
#include "platform/Cp1252.h"
#include "platform/TextFile.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/Platform.h"
#include "platform/gui/SystemDialogs.h"
#include "widgets/DialogControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>

using namespace DialogControls;

namespace {

const TCatalogueOrder Orders[] = {TCatalogueOrder::Author, TCatalogueOrder::Title, TCatalogueOrder::Series};

} // namespace

TdlgCatalogue::TdlgCatalogue(TCatalogue& catalogue, QWidget* parent) : TDialogBase(parent), Catalogue(catalogue)
{
    SetUpWindow(QStringLiteral("Export web catalogue"), 257, 121);

    lblOrder = BoldLabel(QStringLiteral("&Sorted by"), this, 8, 8);
    cmbOrder = new QComboBox(this);
    cmbOrder->setFont(DialogFont());
    cmbOrder->addItems({QStringLiteral("Author"), QStringLiteral("Title"), QStringLiteral("Series")});
    cmbOrder->setGeometry(8, 24, 241, EditHeight);
    lblOrder->setBuddy(cmbOrder);
    chkThumbnails = new QCheckBox(QStringLiteral("With &thumbnails of the covers"), this);
    chkThumbnails->setFont(DialogFont());
    chkThumbnails->setGeometry(8, 52, 241, 17);

    Rule(this, 8, 78, 241);
    btnWrite = Button(QStyle::SP_DialogSaveButton, QStringLiteral("&Write..."), this, 26, 88, TButtonKind::Default);
    btnCancel = Button(QStyle::SP_DialogCancelButton, QStringLiteral("&Cancel"), this, 142, 88, TButtonKind::Plain);

    SetTabOrder({cmbOrder, chkThumbnails, btnWrite, btnCancel});
    ConnectClick(btnWrite, &TdlgCatalogue::btnWriteClick);
    ConnectClick(btnCancel, &TdlgCatalogue::btnCancelClick);
}

void TdlgCatalogue::SetKind(TKind kind)
{
    Kind = kind;
    setWindowTitle(kind == TKind::Pdf ? QStringLiteral("Export PDF catalogue")
                                      : QStringLiteral("Export web catalogue"));
}

void TdlgCatalogue::FormActivate()
{
    // The order picked last stays for the run, as the dialog does.
    cmbOrder->setFocus();
}

void TdlgCatalogue::btnWriteClick()
{
    QString target;
    const bool chosen = Kind == TKind::Pdf
                            ? TPlatform::Dialogs().SaveFile(this, QString::fromLatin1(PdfFilter),
                                                            QStringLiteral("catalogue.pdf"), target)
                            : TPlatform::Dialogs().Folder(this, QStringLiteral("Folder of the web catalogue"), target);
    if (!chosen)
        return;
    // The platform's writer takes Windows-1252 paths.
    if (!Cp1252::CanHold(target)) {
        TPlatform::Messages().Information(
            QStringLiteral("This name holds characters the catalogue's files cannot be written under: ") + target);
        return;
    }
    // A name chosen in haste must replace none of the catalogue's own files.
    const QString database = Cp1252::ToQString(Catalogue.Database().FileName());
    if (Kind == TKind::Pdf)
        TCsvExport::RefuseCatalogueFile(target, database);
    else
        for (const char* name : {TWebCatalogue::PageName, TWebCatalogue::StyleName, TWebCatalogue::ScriptName})
            TCsvExport::RefuseCatalogueFile(QDir(target).filePath(QString::fromLatin1(name)), database);
    TCatalogueContent content =
        TCatalogueContent::Of(Catalogue.Database(), Orders[std::max(0, cmbOrder->currentIndex())]);
    content.Thumbnails = chkThumbnails->isChecked();
    if (Kind == TKind::Pdf)
        TTextFile::WriteAtomically(Cp1252::FromQString(target), PdfCatalogue::Write(content).toStdString());
    else
        TWebCatalogue::Write(content, target, &Thumbnail::Jpeg);
    done(QDialog::Accepted);
    const QString written =
        Kind == TKind::Pdf ? target : QDir(target).filePath(QString::fromLatin1(TWebCatalogue::PageName));
    TPlatform::Messages().Information(QString::number(content.Books.size()) +
                                      (content.Books.size() == 1 ? QStringLiteral(" book") : QStringLiteral(" books")) +
                                      QStringLiteral(" written to ") + QDir::toNativeSeparators(written) + u'.');
}

void TdlgCatalogue::btnCancelClick()
{
    reject();
}

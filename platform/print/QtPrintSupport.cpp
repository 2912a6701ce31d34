#include "platform/print/QtPrintSupport.h"

#include "platform/print/PrinterResolution.h"
#include "platform/print/QtPrintTarget.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

QPrinter* TQtPrintSupport::NewPrinter()
{
    return new QPrinter(QPrinter::HighResolution);
}

void TQtPrintSupport::DeletePrinter(QPrinter* printer) noexcept
{
    delete printer;
}

bool TQtPrintSupport::PrintDialog(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    // A page range and collated copies are printed (QtPrintTarget); a
    // selection or the current page mean nothing for a book list.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

bool TQtPrintSupport::PageSetupDialog(QWidget* parent, QPrinter& printer)
{
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void TQtPrintSupport::ApplyResolution(QPrinter& printer)
{
    TPrinterResolution::Apply(printer);
}

std::unique_ptr<IPrintTarget> TQtPrintSupport::NewTarget(QPrinter& printer)
{
    return std::make_unique<TQtPrintTarget>(printer);
}

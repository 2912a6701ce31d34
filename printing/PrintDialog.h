// TdlgPrint, "Print": prints the book collection as a paginated list (every
// book, the loaned books, or the book browser's rows) in list or column format.
// The dialog gathers the options, the font and the printer; the run itself is
// TBookListPrinter's. Its choices live as long as the dialog, that is for the
// whole program run, and are never stored.
#pragma once

#include "platform/gui/PrintSupport.h"
#include "printing/BookListPrinter.h"
#include "widgets/DialogBase.h"

#include <QFont>

#include <functional>

class QCheckBox;
class QGroupBox;
class QPrinter;
class QPushButton;
class QRadioButton;

class TCatalogue;
class TShownRows;

class TdlgPrint : public TDialogBase {
    Q_OBJECT

public:
    // Prints the catalogue's books; "books in browser" are those rows lists.
    // "Print settings" runs openSettings, which opens the format settings.
    TdlgPrint(const TCatalogue& catalogue, const TShownRows& rows, std::function<void()> openSettings,
              QWidget* parent = nullptr);
    ~TdlgPrint() override;

    QGroupBox* grpOptions = nullptr;
    QRadioButton* rbt1 = nullptr;
    QRadioButton* rbt2 = nullptr;
    QRadioButton* rbt3 = nullptr;
    QCheckBox* chkFormat1 = nullptr;
    QCheckBox* chkFormat2 = nullptr;
    QCheckBox* chkCovers = nullptr;
    QPushButton* btnPrintSettings = nullptr;
    QPushButton* btnFont = nullptr;
    QPushButton* btnPrinterSetup = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnCancel = nullptr;

    // The print font, "MS Sans Serif" 8 points until the user picks another.
    QFont Font;
    // The program's printer; made when first needed, kept for the run so that
    // the printer set-up applies to every later print.
    QPrinter& Printer();

    // What the controls say, as the print run takes it.
    TPrintOptions Options() const;

    // Handlers; each may raise (the connections run them through the guard).
    void chkFormat1Click();
    void chkFormat2Click();
    void btnPrintSettingsClick();
    void btnFontClick();
    void btnPrinterSetupClick();
    void btnPrintClick();
    void btnCancelClick();

private:
    const TCatalogue& Catalogue;
    const TShownRows& Rows;
    std::function<void()> OpenSettings;
    PrintSupport::TPrinterPtr FPrinter;
};

#include "printing/PrintDialog.h"

#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/BookGrid.h"
#include "engine/ORBL.h"
#include "platform/gui/ErrorHandler.h"
#include "platform/gui/ModalRunner.h"
#include "platform/gui/Platform.h"
#include "platform/gui/QtPrintTarget.h"
#include "platform/gui/SystemDialogs.h"
#include "printing/PrintSettingsDialog.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

namespace {

constexpr int MinFontSize = 6;
constexpr int MaxFontSize = 14;

template <typename F>
void Connect(QAbstractButton* button, QObject* context, F handler)
{
    QObject::connect(button, &QAbstractButton::clicked, context, [handler] { TErrorHandler::Guard(handler); });
}

TPrintFont ToPrintFont(const QFont& font)
{
    TPrintFont result;
    result.Face = font.family();
    result.Size = font.pointSize() > 0 ? font.pointSize() : QFontInfo(font).pointSize();
    result.Bold = font.bold();
    result.Italic = font.italic();
    result.Underline = font.underline();
    result.StrikeOut = font.strikeOut();
    return result;
}

} // namespace

TdlgPrint::TdlgPrint(QWidget* parent) : QDialog(parent), Font(QStringLiteral("MS Sans Serif"), 8)
{
    setWindowTitle(QStringLiteral("Print"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(409, 209);
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    grpOptions = new QGroupBox(QStringLiteral("Options"), this);
    QFont bold = grpOptions->font();
    bold.setBold(true);
    grpOptions->setFont(bold);
    grpOptions->setGeometry(8, 8, 393, 153);

    // The controls inside keep the dialog's normal weight; the weight must be
    // set explicitly, or they would inherit the group box's bold.
    QFont normal = font();
    normal.setBold(false);
    auto place = [&](auto* widget, int x, int y, int w, int h) {
        widget->setFont(normal);
        widget->setGeometry(x, y, w, h);
        return widget;
    };
    rbt1 = place(new QRadioButton(QStringLiteral("Print all books."), grpOptions), 16, 24, 240, 17);
    rbt2 = place(new QRadioButton(QStringLiteral("Print loaned books."), grpOptions), 16, 48, 240, 17);
    rbt3 = place(new QRadioButton(QStringLiteral("Print books in books browser."), grpOptions), 16, 72, 240, 17);
    chkFormat1 = place(new QCheckBox(QStringLiteral("Use list format."), grpOptions), 16, 104, 240, 17);
    chkFormat2 = place(new QCheckBox(QStringLiteral("Use column format."), grpOptions), 16, 128, 240, 17);
    chkFormat1->setChecked(true);

    btnPrintSettings = place(new QPushButton(QStringLiteral("&Format"), grpOptions), 272, 24, 107, 25);
    btnFont = place(new QPushButton(style()->standardIcon(QStyle::SP_FileDialogDetailedView), QStringLiteral("&Font"),
                                    grpOptions),
                    272, 56, 107, 25);
    btnPrinterSetup = place(new QPushButton(QStringLiteral("&Printer settings"), grpOptions), 272, 88, 107, 25);

    btnCancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("&Cancel"), this);
    btnCancel->setGeometry(178, 172, 107, 25);
    btnPrint = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("&Print"), this);
    btnPrint->setGeometry(294, 172, 107, 25);
    for (QPushButton* button : {btnPrintSettings, btnFont, btnPrinterSetup, btnCancel})
        button->setAutoDefault(false);
    btnPrint->setDefault(true);

    setTabOrder(rbt1, rbt2);
    setTabOrder(rbt2, rbt3);
    setTabOrder(rbt3, chkFormat1);
    setTabOrder(chkFormat1, chkFormat2);
    setTabOrder(chkFormat2, btnPrintSettings);
    setTabOrder(btnPrintSettings, btnFont);
    setTabOrder(btnFont, btnPrinterSetup);
    setTabOrder(btnPrinterSetup, btnPrint);
    setTabOrder(btnPrint, btnCancel);

    Connect(chkFormat1, this, [this] { chkFormat1Click(); });
    Connect(chkFormat2, this, [this] { chkFormat2Click(); });
    Connect(btnPrintSettings, this, [this] { btnPrintSettingsClick(); });
    Connect(btnFont, this, [this] { btnFontClick(); });
    Connect(btnPrinterSetup, this, [this] { btnPrinterSetupClick(); });
    Connect(btnPrint, this, [this] { btnPrintClick(); });
    Connect(btnCancel, this, [this] { btnCancelClick(); });
}

TdlgPrint::~TdlgPrint() = default;

QPrinter& TdlgPrint::Printer()
{
    if (!FPrinter)
        FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *FPrinter;
}

TPrintOptions TdlgPrint::Options() const
{
    TPrintOptions options;
    if (rbt1->isChecked())
        options.Choice = TPrintChoice::AllBooks;
    else if (rbt2->isChecked())
        options.Choice = TPrintChoice::LoanedBooks;
    else if (rbt3->isChecked())
        options.Choice = TPrintChoice::BrowserBooks;
    options.ListFormat = chkFormat1->isChecked();
    options.Font = ToPrintFont(Font);
    return options;
}

void TdlgPrint::keyPressEvent(QKeyEvent* event)
{
    // No button has the cancel role: Esc does not close the dialog.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TdlgPrint::chkFormat1Click()
{
    if (chkFormat1->isChecked())
        chkFormat2->setChecked(false);
}

void TdlgPrint::chkFormat2Click()
{
    if (chkFormat2->isChecked())
        chkFormat1->setChecked(false);
}

void TdlgPrint::btnPrintSettingsClick()
{
    TPlatform::Modal().Exec(*dlgPrintSettings);
}

void TdlgPrint::btnFontClick()
{
    QFont chosen = Font;
    if (TPlatform::Dialogs().Font(this, chosen, MinFontSize, MaxFontSize))
        Font = chosen;
}

void TdlgPrint::btnPrinterSetupClick()
{
    TPlatform::Dialogs().PrinterSetup(this, Printer());
}

void TdlgPrint::btnPrintClick()
{
    TBrowserRows browser;
    if (frmBookBrowser && frmBookBrowser->BookList) {
        TBookGrid* grid = frmBookBrowser->BookList;
        browser.RowCount = [grid] { return grid->RowCount(); };
        browser.Cell = [grid](int row, int column) { return grid->Cell(row, column); };
    }
    TBookListPrinter run(*frmMain->Database, *frmMain->Settings, std::move(browser), Options());
    run.ReadSettings();
    if (!TPlatform::Dialogs().Print(this, Printer())) {
        close();
        return;
    }
    TQtPrintTarget target(Printer());
    run.Print(target);
    close();
}

void TdlgPrint::btnCancelClick()
{
    close();
}

#include "printing/PrintDialog.h"

#include "engine/Catalogue.h"
#include "engine/ORBL.h"
#include "engine/ShownRows.h"
#include "platform/gui/ModalRunner.h"
#include "platform/gui/Platform.h"
#include "platform/gui/PrintSupport.h"
#include "platform/gui/SystemDialogs.h"
#include "printing/PrintSettingsDialog.h"
#include "widgets/DialogControls.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr int MinFontSize = 6;
constexpr int MaxFontSize = 14;

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

using namespace DialogControls;

TdlgPrint::TdlgPrint(const TCatalogue& catalogue, const TShownRows& rows, std::function<void()> openSettings,
                     QWidget* parent)
    : TDialogBase(parent), Font(QStringLiteral("MS Sans Serif"), 8), Catalogue(catalogue), Rows(rows),
      OpenSettings(std::move(openSettings))
{
    SetUpWindow(QStringLiteral("Print"), 409, 209);

    grpOptions = new QGroupBox(QStringLiteral("Options"), this);
    MakeBold(grpOptions);
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
    // Beside the format boxes, under the buttons: the covers' small pictures,
    // off until checked.
    chkCovers = place(new QCheckBox(QStringLiteral("Print covers."), grpOptions), 272, 128, 113, 17);
    chkCovers->setObjectName(QStringLiteral("chkCovers"));
    chkCovers->setToolTip(QStringLiteral("Each book over three lines, with its cover at the right"));

    btnPrintSettings = Button(QIcon(), QStringLiteral("&Format"), grpOptions, 272, 24, TButtonKind::Plain);
    btnFont =
        Button(QStyle::SP_FileDialogDetailedView, QStringLiteral("&Font"), grpOptions, 272, 56, TButtonKind::Plain);
    btnPrinterSetup = Button(QIcon(), QStringLiteral("&Printer settings"), grpOptions, 272, 88, TButtonKind::Plain);
    for (QPushButton* button : {btnPrintSettings, btnFont, btnPrinterSetup})
        button->setFont(normal);

    btnCancel = Button(QStyle::SP_DialogCancelButton, QStringLiteral("&Cancel"), this, 178, 172, TButtonKind::Plain);
    btnPrint = Button(QStyle::SP_DialogOkButton, QStringLiteral("&Print"), this, 294, 172, TButtonKind::Default);

    SetTabOrder({rbt1, rbt2, rbt3, chkFormat1, chkFormat2, chkCovers, btnPrintSettings, btnFont, btnPrinterSetup,
                 btnPrint, btnCancel});

    ConnectClick(chkFormat1, &TdlgPrint::chkFormat1Click);
    ConnectClick(chkFormat2, &TdlgPrint::chkFormat2Click);
    ConnectClick(btnPrintSettings, &TdlgPrint::btnPrintSettingsClick);
    ConnectClick(btnFont, &TdlgPrint::btnFontClick);
    ConnectClick(btnPrinterSetup, &TdlgPrint::btnPrinterSetupClick);
    ConnectClick(btnPrint, &TdlgPrint::btnPrintClick);
    ConnectClick(btnCancel, &TdlgPrint::btnCancelClick);
}

TdlgPrint::~TdlgPrint() = default;

QPrinter& TdlgPrint::Printer()
{
    if (!FPrinter)
        FPrinter = PrintSupport::NewPrinter();
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
    options.Covers = chkCovers->isChecked();
    options.Font = ToPrintFont(Font);
    return options;
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
    if (OpenSettings)
        OpenSettings();
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
    browser.Ids.assign(Rows.RowIds().begin(), Rows.RowIds().begin() + Rows.Count());
    TBookListPrinter run(Catalogue.Database(), Catalogue.Settings(), std::move(browser), Options());
    run.ReadSettings();
    if (!TPlatform::Dialogs().Print(this, Printer())) {
        close();
        return;
    }
    // The system print dialog may have chosen another printer or a file.
    PrintSupport::Get().ApplyResolution(Printer());
    const std::unique_ptr<IPrintTarget> target = PrintSupport::Get().NewTarget(Printer());
    run.Print(*target);
    close();
}

void TdlgPrint::btnCancelClick()
{
    close();
}

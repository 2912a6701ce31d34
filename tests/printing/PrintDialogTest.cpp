// The print dialog driven from the main window's print command: its controls
// and their rules, the three system dialogs through the scripted platform, and
// whole print runs to PDF files through the real Qt printer.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/BookBrowserForm.h"
#include "printing/PrintDialog.h"
#include "tests/support/AppFixture.h"
#include "widgets/BookGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QFile>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <functional>

namespace {

class PrintDialogTest : public TAppFixture {
protected:
    void Begin(const std::vector<TItem>& books)
    {
        WriteFiles(books);
        ASSERT_TRUE(Start());
    }
    // Opens the print dialog from the main window, runs action inside it and
    // says whether it closed.
    bool Open(std::function<void(TdlgPrint&)> action)
    {
        bool closed = false;
        Platform.Modal.Actions.push_back([&](QDialog& dialog) {
            action(static_cast<TdlgPrint&>(dialog));
            closed = !dialog.isVisible();
        });
        frmMain->tbtnPrintClick();
        return closed;
    }
    // The system print dialog sends the job to a PDF file on A4.
    QString PrintToPdf(const QString& name)
    {
        const QString path = Folder.Path() + "/" + name;
        Platform.Dialogs.ConfigurePrinter = [path](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            printer.setPageSize(QPageSize(QPageSize::A4));
            printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        };
        return path;
    }
};

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Page objects of a PDF file, not counting the page tree ("/Type /Pages").
int PdfPages(const QByteArray& pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return static_cast<int>(QString::fromLatin1(pdf).count(page));
}

// A PDF text string as Qt writes the document title: UTF-16BE after a byte order mark.
QByteArray Utf16Title(const char* latin1)
{
    QByteArray bytes("(\xFE\xFF");
    for (const char* p = latin1; *p; ++p)
        bytes.append('\0').append(*p);
    return bytes + ")";
}

std::vector<TItem> ManyBooks(int n)
{
    std::vector<TItem> books;
    for (int i = 1; i <= n; ++i)
        books.push_back(Book(i, "Title " + std::to_string(i), "Author " + std::to_string(i), "Publisher", "",
                             i % 10 == 0 ? "Anna" : "", i % 10 == 0 ? "01.02.2004" : ""));
    return books;
}

} // namespace

TEST_F(PrintDialogTest, StartsWithNoOptionListFormatAndTheDefaultFont)
{
    Begin({});
    TdlgPrint& dialog = *dlgPrint;
    EXPECT_EQ(dialog.windowTitle(), "Print");
    EXPECT_EQ(dialog.size(), QSize(409, 209));
    EXPECT_FALSE(dialog.rbt1->isChecked() || dialog.rbt2->isChecked() || dialog.rbt3->isChecked());
    EXPECT_TRUE(dialog.chkFormat1->isChecked());
    EXPECT_FALSE(dialog.chkFormat2->isChecked());
    EXPECT_TRUE(dialog.btnPrint->isDefault());
    EXPECT_TRUE(dialog.grpOptions->font().bold());
    EXPECT_FALSE(dialog.rbt1->font().bold()); // the caption's bold is not inherited
    EXPECT_EQ(dialog.Font.family(), "MS Sans Serif");
    EXPECT_EQ(dialog.Font.pointSize(), 8);
    const TPrintOptions options = dialog.Options();
    EXPECT_EQ(options.Choice, TPrintChoice::None);
    EXPECT_TRUE(options.ListFormat);
    EXPECT_EQ(options.Font.Size, 8);
    const QStringList captions = {dialog.rbt1->text(),       dialog.rbt2->text(),
                                  dialog.rbt3->text(),       dialog.chkFormat1->text(),
                                  dialog.chkFormat2->text(), dialog.btnPrintSettings->text(),
                                  dialog.btnFont->text(),    dialog.btnPrinterSetup->text(),
                                  dialog.btnPrint->text(),   dialog.btnCancel->text()};
    EXPECT_EQ(captions, (QStringList{"Print all books.", "Print loaned books.", "Print books in books browser.",
                                     "Use list format.", "Use column format.", "&Format", "&Font", "&Printer settings",
                                     "&Print", "&Cancel"}));
}

// The dialog opens the format settings through what it was given, not by
// reaching for the program's windows.
TEST_F(PrintDialogTest, FormatButtonRunsWhatTheDialogWasGiven)
{
    Begin({});
    int opened = 0;
    TdlgPrint dialog(Catalogue(), Rows(), [&opened] { ++opened; });
    dialog.btnPrintSettings->click();
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(dlgPrintSettings.Made());
}

TEST_F(PrintDialogTest, FormatBoxesUncheckEachOtherButNeverCheckEachOther)
{
    Begin({});
    TdlgPrint& dialog = *dlgPrint;
    struct Step {
        QCheckBox* Box;
        bool List, Columns;
    };
    const Step steps[] = {
        {dialog.chkFormat2, false, true},  // checking columns unchecks list
        {dialog.chkFormat2, false, false}, // unchecking leaves both unchecked
        {dialog.chkFormat1, true, false},  {dialog.chkFormat1, false, false},
        {dialog.chkFormat2, false, true},  {dialog.chkFormat1, true, false},
    };
    for (const Step& step : steps) {
        step.Box->click();
        EXPECT_EQ(dialog.chkFormat1->isChecked(), step.List);
        EXPECT_EQ(dialog.chkFormat2->isChecked(), step.Columns);
        EXPECT_EQ(dialog.Options().ListFormat, step.List); // both unchecked print columns
    }
}

TEST_F(PrintDialogTest, ChoicesSurviveBetweenOpenings)
{
    Begin({});
    Platform.Dialogs.FontAccepted = true;
    Platform.Dialogs.FontToChoose = QFont("Courier", 12, QFont::Bold);
    EXPECT_TRUE(Open([](TdlgPrint& dialog) {
        dialog.rbt2->click();
        dialog.chkFormat2->click();
        dialog.btnFont->click();
        dialog.btnCancel->click();
    }));
    Open([](TdlgPrint& dialog) {
        const TPrintOptions options = dialog.Options();
        EXPECT_EQ(options.Choice, TPrintChoice::LoanedBooks);
        EXPECT_FALSE(options.ListFormat);
        EXPECT_EQ(options.Font.Face, "Courier");
        EXPECT_EQ(options.Font.Size, 12);
        EXPECT_TRUE(options.Font.Bold);
    });
}

TEST_F(PrintDialogTest, FontDialogOffersSixToFourteenPointsAndOnlyOkChangesTheFont)
{
    Begin({});
    Platform.Dialogs.FontToChoose = QFont("Courier", 6);
    Open([this](TdlgPrint& dialog) {
        dialog.btnFont->click(); // cancelled
        EXPECT_EQ(Platform.Dialogs.FontOffered.family(), "MS Sans Serif");
        EXPECT_EQ(Platform.Dialogs.FontOffered.pointSize(), 8);
        EXPECT_EQ(Platform.Dialogs.FontMin, 6);
        EXPECT_EQ(Platform.Dialogs.FontMax, 14);
        EXPECT_EQ(dialog.Font.family(), "MS Sans Serif");
        Platform.Dialogs.FontAccepted = true;
        dialog.btnFont->click();
        EXPECT_EQ(dialog.Font.family(), "Courier");
        EXPECT_EQ(dialog.Options().Font.Size, 6);
        EXPECT_TRUE(dialog.isVisible());
    });
}

TEST_F(PrintDialogTest, FormatAndPrinterSettingsButtonsOpenTheirDialogs)
{
    Begin({});
    EXPECT_FALSE(Open([this](TdlgPrint& dialog) {
        dialog.btnPrintSettings->click();
        dialog.btnPrinterSetup->click();
        EXPECT_EQ(Platform.Dialogs.PrinterSetupCalls, 1);
    }));
    EXPECT_EQ(Platform.Modal.Opened, (QStringList{"Print", "Format settings"}));
}

// "&Format" and "&Font" share Alt+F, "&Printer settings" and "&Print" Alt+P.
// A clashing mnemonic presses nothing: each press moves the focus to the next
// button that has it, so Alt+P never starts a print run unasked.
TEST_F(PrintDialogTest, AClashingMnemonicMovesTheFocusInTurnAndPressesNothing)
{
    Begin({});
    EXPECT_FALSE(Open([this](TdlgPrint& dialog) {
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        const struct {
            Qt::Key Key;
            QSet<QWidget*> Buttons;
        } clashes[] = {{Qt::Key_F, {dialog.btnPrintSettings, dialog.btnFont}},
                       {Qt::Key_P, {dialog.btnPrinterSetup, dialog.btnPrint}}};
        for (const auto& clash : clashes) {
            QSet<QWidget*> reached;
            for (int press = 0; press < 2; ++press) {
                QTest::keyClick(&dialog, clash.Key, Qt::AltModifier);
                reached.insert(QApplication::focusWidget());
            }
            EXPECT_EQ(reached, clash.Buttons);
        }
        EXPECT_TRUE(dialog.isVisible());
    }));
    EXPECT_EQ(Platform.Modal.Opened, QStringList{"Print"});
    EXPECT_EQ(Platform.Dialogs.PrintCalls, 0);
    EXPECT_EQ(Platform.Dialogs.PrinterSetupCalls, 0);
}

TEST_F(PrintDialogTest, CancellingTheSystemPrintDialogClosesWithoutPrinting)
{
    Begin(ManyBooks(3));
    const QString pdf = PrintToPdf("cancelled.pdf");
    Platform.Dialogs.PrintAccepted = false;
    EXPECT_TRUE(Open([](TdlgPrint& dialog) {
        dialog.rbt1->click();
        dialog.btnPrint->click();
    }));
    EXPECT_EQ(Platform.Dialogs.PrintCalls, 1);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
}

TEST_F(PrintDialogTest, MissingSettingStopsBeforeTheSystemPrintDialog)
{
    Removed = {"pcol2_dst"};
    Begin(ManyBooks(3));
    EXPECT_FALSE(Open([](TdlgPrint& dialog) {
        dialog.rbt1->click();
        dialog.btnPrint->click();
    }));
    EXPECT_EQ(Platform.Dialogs.PrintCalls, 0);
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"#105: Supplied value name not found."});
}

TEST_F(PrintDialogTest, APdfFileIsPrintedAtThreeHundredDpiUnderTheDocumentName)
{
    // The column positions are printer pixels; a file has no resolution of
    // its own, and at the printer's 1200 dpi default they would overlap.
    Begin(ManyBooks(3));
    const QString pdf = PrintToPdf("books.pdf");
    EXPECT_TRUE(Open([](TdlgPrint& dialog) {
        dialog.rbt1->click();
        dialog.btnPrint->click();
    }));
    EXPECT_TRUE(Platform.Messages.Boxes.empty()) << Platform.Messages.Texts().join("; ").toStdString();
    EXPECT_EQ(dlgPrint->Printer().resolution(), 300);
    const QByteArray bytes = FileBytes(pdf);
    ASSERT_TRUE(bytes.startsWith("%PDF-")) << "no PDF at " << pdf.toStdString();
    EXPECT_TRUE(bytes.contains(Utf16Title("Quenfir Volumnia"))); // the document's name
}

TEST_F(PrintDialogTest, BadColumnNameEndsTheDocumentAndTheNextPrintWorks)
{
    Overrides = {{"pcol1", "Titel"}};
    Begin(ManyBooks(120));
    PrintToPdf("failed.pdf");
    EXPECT_FALSE(Open([](TdlgPrint& dialog) {
        dialog.rbt1->click();
        dialog.btnPrint->click();
    }));
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"#101: Supplied field was invalid or alias bad."});

    // The browser option looks no field up; the printer is free for it.
    Platform.Messages.Clear();
    const QString pdf = PrintToPdf("browser.pdf");
    EXPECT_TRUE(Open([](TdlgPrint& dialog) {
        dialog.rbt3->click();
        dialog.btnPrint->click();
    }));
    EXPECT_TRUE(Platform.Messages.Boxes.empty()) << Platform.Messages.Texts().join("; ").toStdString();
    EXPECT_EQ(PdfPages(FileBytes(pdf)), 3);
}

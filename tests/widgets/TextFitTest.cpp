// Every caption and every shown value of every window fits its control,
// whatever face the system gives for Tahoma: ctest runs this file once with
// the faces the program registers and once on the system's own substitutes
// (VOLUMNIA_TEST_SYSTEM_FONTS). Data labels show markup as typed.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/DatabaseSettingsDialog.h"
#include "dialogs/EditSeveralDialog.h"
#include "dialogs/LoanBookDialog.h"
#include "dialogs/RemoveSeveralDialog.h"
#include "dialogs/SearchBooksDialog.h"
#include "platform/gui/WindowFonts.h"
#include "printing/PrintDialog.h"
#include "printing/PrintSettingsDialog.h"
#include "tests/support/AppFixture.h"
#include "widgets/DataLabel.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>

namespace {

// How much wider the text is than the room the control leaves for it when it
// draws, in pixels (negative: room to spare); 0 for a control without text.
int Excess(const QWidget* widget, QString& text)
{
    const QFontMetrics metrics = widget->fontMetrics();
    if (auto* label = qobject_cast<const QLabel*>(widget)) {
        auto* data = qobject_cast<const TDataLabel*>(label);
        text = data ? data->ShownText() : label->text();
        if (text.isEmpty() || label->wordWrap() || label->textFormat() == Qt::RichText)
            return 0;
        int room = label->contentsRect().width() - 2 * label->margin();
        if (label->frameWidth() > 0 && label->indent() < 0 && !(label->alignment() & Qt::AlignHCenter))
            room -= metrics.horizontalAdvance(QLatin1Char('x')) / 2;
        return metrics.size(Qt::TextShowMnemonic, text).width() - room;
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        text = button->text();
        if (text.isEmpty())
            return 0;
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        QStyle::SubElement contents = QStyle::SE_PushButtonContents;
        int needed = metrics.size(Qt::TextShowMnemonic, text).width();
        if (qobject_cast<const QRadioButton*>(button))
            contents = QStyle::SE_RadioButtonContents;
        else if (qobject_cast<const QCheckBox*>(button))
            contents = QStyle::SE_CheckBoxContents;
        else if (!button->icon().isNull())
            needed += button->iconSize().width() + 4;
        return needed - button->style()->subElementRect(contents, &option, button).width();
    }
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) {
        text = group->title();
        // The frame's corner and the gap around the title take a few pixels.
        return metrics.horizontalAdvance(text) + 16 - group->width();
    }
    return 0;
}

// How much of the text is cut off, in pixels: a control reaching past its
// parent's edge is cut there too.
int Overflow(const QWidget* widget, QString& text)
{
    int hidden = 0;
    if (const QWidget* parent = widget->parentWidget(); parent && !widget->isWindow())
        hidden = std::max(0, widget->geometry().right() - parent->rect().right());
    const int excess = Excess(widget, text);
    return text.isEmpty() ? 0 : std::max(0, excess + hidden);
}

class TextFitTest : public TAppFixture {
protected:
    static QList<QWidget*> TenWindows()
    {
        return {frmMain,  frmBookBrowser,   dlgLoanBook,         dlgSearchBooks,   dlgAbout,
                dlgPrint, dlgPrintSettings, dlgDatabaseSettings, dlgRemoveSeveral, dlgEditSeveral};
    }
};

TEST_F(TextFitTest, EveryTextFitsItsControlInTheTenWindows)
{
    // A loaned book shows the loan group; its loaner is longer than the group
    // is wide, so it must end in "..." rather than be cut.
    WriteFiles({Book(1, "Kalevala", "Elias L\xf6nnrot", "SKS", "1835", "Maria Magdalena von Habsburg-Lothringen",
                     "07.12.2026")});
    ASSERT_TRUE(Start());
    frmMain->LoadBook(0);
    frmMain->ClockTimer(); // the date and time panels
    ASSERT_FALSE(frmMain->Ui.grpLoaninfo->isHidden());

    for (QWidget* window : TenWindows()) {
        const QSize size = window->size();
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            QString text;
            EXPECT_EQ(Overflow(widget, text), 0)
                << "\"" << text.toStdString() << "\" is cut in " << widget->metaObject()->className() << " "
                << widget->objectName().toStdString() << " of " << window->windowTitle().toStdString() << " in "
                << QFontInfo(widget->font()).family().toStdString();
        }
        EXPECT_EQ(window->size(), size);
    }
    EXPECT_TRUE(frmMain->Ui.lblLoaner->text().startsWith("Maria Magdalena von Habsburg-Lothringen"))
        << "the label keeps the whole loaner";
}

TEST_F(TextFitTest, WindowsUseTheRegisteredFaces)
{
    if (!qEnvironmentVariableIsEmpty("VOLUMNIA_TEST_SYSTEM_FONTS"))
        GTEST_SKIP() << "this run uses the system's substitutes";
    WriteFiles({});
    ASSERT_TRUE(Start());
    // fonts-wine is installed with the build's packages; without it the
    // windows would silently fall back to another face.
    EXPECT_EQ(QFontInfo(frmMain->Ui.edtBookname->font()).family(), "Tahoma");
    EXPECT_EQ(QFontInfo(dlgLoanBook->edtLoaner->font()).family(), "Tahoma");
    // Printing's default face must have outlines: a bitmap face prints a few
    // pixels high and cannot be embedded in a PDF.
    EXPECT_TRUE(QFontDatabase::isScalable(QFontInfo(QFont("MS Sans Serif", 8)).family())) << "printing's default face";
    EXPECT_TRUE(WindowFonts::Register().isEmpty()) << "a face the database has is not added twice";
}

TEST_F(TextFitTest, DataLabelsShowMarkupAsTyped)
{
    Overrides["orbl_databasefile"] = "<u>b.orbl";
    WriteFiles({});
    Folder.WriteFile("<u>b.orbl", DatabaseFile({Book(1, "T", "A", "P", "", "<b>Big</b>", "<u>1.1.2020</u>")}));
    ASSERT_TRUE(Start());
    frmMain->LoadBook(0);
    for (QLabel* label : {frmMain->Ui.lblLoaner, frmMain->Ui.lblLoanDate, frmMain->Ui.StatusPanels[3]}) {
        ASSERT_TRUE(label->text().contains('<')) << label->text().toStdString();
        // Rendered as markup, the text would be the narrower words alone.
        EXPECT_GE(label->sizeHint().width(), label->fontMetrics().horizontalAdvance(label->text()))
            << label->text().toStdString();
    }
}

} // namespace

namespace {

// A status panel too narrow for its text once ended mid-word ("1 book
// overdue (Ctrl+F6: Loa"): a data label gives up whole words, and cuts into
// a word only when not even the first one fits.
TEST(DataLabel, ATextTooWideEndsAfterAWholeWord)
{
    TDataLabel label(QString(), nullptr);
    const QFontMetrics metrics = label.fontMetrics();
    const QString ellipsis(QChar(0x2026));
    struct TCase {
        QString Text;
        QString Fits; // the widest text the label is made room for
        QString Shown;
    };
    const TCase cases[] = {
        {"books.orbl (12 KB)", "books.orbl (12 KB)", "books.orbl (12 KB)"},
        {"1 book overdue (Ctrl+F6: Loans)", "1 book overdue (Ctrl+F6: Lo", "1 book overdue (Ctrl+F6:" + ellipsis},
        {"Quenfir ORBL", "Quenfir OR", "Quenfir" + ellipsis},
        {"Habsburg-Lothringen", "Habsburg-Loth", ""},
    };
    for (const TCase& c : cases) {
        label.setText(c.Text);
        label.setFixedWidth(metrics.horizontalAdvance(c.Fits) + 2 * label.margin());
        const QString shown = label.ShownText();
        if (c.Shown.isEmpty())
            EXPECT_TRUE(shown.endsWith(ellipsis) && shown.size() > 1) << shown.toStdString();
        else
            EXPECT_EQ(shown, c.Shown);
    }
}

} // namespace

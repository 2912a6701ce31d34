// The view and help commands: show/hide and refresh the browser, always on
// top, restore windows, help, and the menu's captions and shortcuts.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/BookBrowserForm.h"
#include "dialogs/DatabaseSettingsDialog.h"
#include "dialogs/EditSeveralDialog.h"
#include "dialogs/LoanBookDialog.h"
#include "dialogs/LookUpIsbnDialog.h"
#include "dialogs/RemoveSeveralDialog.h"
#include "dialogs/ScanIsbnForm.h"
#include "dialogs/SearchBooksDialog.h"
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "printing/PrintDialog.h"
#include "printing/PrintSettingsDialog.h"
#include "tests/support/AppFixture.h"
#include "widgets/BookGrid.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QAction>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QTest>
#include <QToolButton>
#include <QWindow>

namespace {

const std::vector<TItem> Books = {
    Book(1, "Walden", "Thoreau", "Ticknor"),
    Book(2, "Emma", "Austen", "Murray"),
    Book(3, "Dracula", "Stoker", "Constable"),
};

class ViewCommandsTest : public TAppFixture {
protected:
    TBookGrid& Grid() { return *frmBookBrowser->BookList; }
    std::string Setting(const std::string& name)
    {
        std::string value;
        EXPECT_TRUE(SettingOnDisk(name, value)) << name;
        return value;
    }
};

TEST_F(ViewCommandsTest, ShowHideAlwaysDoesTheOppositeOfWhatTheUserSees)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    frmMain->btnNextClick();
    frmBookBrowser->move(150, 160);
    frmMain->tbtnListViewClick();
    EXPECT_TRUE(frmBookBrowser->isHidden());
    EXPECT_FALSE(frmMain->Ui.tbtnListView->isChecked());
    EXPECT_EQ(Setting("LV_X"), "150");
    frmMain->tbtnListViewClick();
    EXPECT_FALSE(frmBookBrowser->isHidden());
    EXPECT_TRUE(frmMain->Ui.tbtnListView->isChecked());
    EXPECT_EQ(frmBookBrowser->pos(), QPoint(150, 160));
    EXPECT_EQ(Grid().SelectedRow(), 1) << "the list and selection stay";

    frmBookBrowser->close(); // its own close box
    frmMain->Ui.mnuView_ShowHideBookBrowser->trigger();
    EXPECT_FALSE(frmBookBrowser->isHidden());
}

TEST_F(ViewCommandsTest, RefreshBringsTheWholeListBack)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    ShowFound({Books[2]});
    frmMain->Ui.mnuView_UpdateBookBrowser->trigger();
    EXPECT_EQ(Grid().RowCount(), 3);
    EXPECT_EQ(frmMain->Ui.edtBookname->text(), "Dracula");
}

TEST_F(ViewCommandsTest, AlwaysOnTopAcrossARestart)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    QAction* item = frmMain->Ui.mnuView_AlwaysOnTop;
    // Ctrl+A is the window's, even where an edit box would take it to select all.
    const QWindow* native = frmMain->windowHandle();
    frmMain->activateWindow(); // shortcuts go to the active window
    ASSERT_TRUE(QTest::qWaitForWindowActive(frmMain));
    frmMain->Ui.edtCurrentItem->setFocus();
    QTest::keyClick(frmMain->Ui.edtCurrentItem, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(item->isChecked());
    EXPECT_TRUE(frmMain->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(Setting("AlwaysOnTop"), "true");
    EXPECT_EQ(frmMain->windowHandle(), native) << "the native window is kept";
    EXPECT_TRUE(frmMain->isVisible());
    Stop();

    ASSERT_TRUE(Start());
    item = frmMain->Ui.mnuView_AlwaysOnTop;
    EXPECT_TRUE(item->isChecked());
    EXPECT_FALSE(frmMain->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(frmMain->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(Setting("AlwaysOnTop"), "false");
    item->trigger();
    EXPECT_TRUE(frmMain->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(frmBookBrowser->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(ViewCommandsTest, FailedAlwaysOnTopWriteKeepsTheMark)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    Folder.Remove("volumnia.kelt");
    frmMain->Ui.mnuView_AlwaysOnTop->trigger();
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"#101: File does not exist."});
    EXPECT_FALSE(frmMain->Ui.mnuView_AlwaysOnTop->isChecked());
    EXPECT_FALSE(frmMain->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(ViewCommandsTest, RestoreWindowsWritesInOrderAndMovesBothEvenHidden)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    frmMain->tbtnListViewClick();
    frmMain->move(20, 30);
    frmMain->Ui.mnuView_RestoreWindows->trigger();
    EXPECT_EQ(Setting("LV_X"), "100");
    EXPECT_EQ(Setting("LV_Y"), "100");
    EXPECT_EQ(Setting("MF_X"), "300");
    EXPECT_EQ(Setting("MF_Y"), "300");
    EXPECT_EQ(frmMain->pos(), QPoint(300, 300));
    EXPECT_TRUE(frmBookBrowser->isHidden());
    frmMain->tbtnListViewClick();
    EXPECT_EQ(frmBookBrowser->pos(), QPoint(100, 100));
}

TEST_F(ViewCommandsTest, HelpOpensTheManualInTheWorkingFolderSilently)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    frmMain->Ui.mnuHelp_Contents->trigger();
    EXPECT_EQ(Platform.Shell.Opened, QStringList{"volumnia.pdf"});
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
}

TEST_F(ViewCommandsTest, DialogCommandsOpenTheirDialogs)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    frmMain->Ui.mnuHelp_About->trigger();
    frmMain->Ui.mnuDatabase_Settings->trigger();
    frmMain->Ui.mnuDatabase_EditSeveral->trigger();
    frmMain->Ui.mnuDatabase_RemoveSeveral->trigger();
    EXPECT_EQ(Platform.Modal.Opened,
              (QStringList{"About Volumnia", "Database settings", "Edit several", "Poista useita"}));
}

TEST_F(ViewCommandsTest, MenuCaptionsAndShortcuts)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    struct Item {
        QAction* Action;
        QString Caption;
        QString Shortcut;
    };
    const TMainFormUi& ui = frmMain->Ui;
    const std::vector<Item> items = {
        {ui.mnuFile_Print, "&Print...", "Ctrl+P"},
        {ui.mnuFile_Exit, "&Exit", ""},
        {ui.mnuDatabase_Undo, "U&ndo", "Ctrl+Z"},
        {ui.mnuDatabase_Redo, "Red&o", "Ctrl+Y"},
        {ui.mnuDatabase_Add, "&Add item", "F1"},
        {ui.mnuDatabase_Edit, "&Edit item", "F2"},
        {ui.mnuDatabase_EditSeveral, "E&dit several...", "Ctrl+F2"},
        {ui.mnuDatabase_Remove, "&Remove item...", "F3"},
        {ui.mnuDatabase_RemoveSeveral, "Re&move several...", "Ctrl+F3"},
        {ui.mnuDatabase_Loan, "&Loan book...", ""},
        {ui.mnuDatabase_Return, "Ret&urn book...", ""},
        {ui.mnuDatabase_Search, "&Search...", "F5"},
        {ui.mnuDatabase_Settings, "Se&ttings...", ""},
        {ui.mnuView_ShowHideBookBrowser, "&Show/hide Book browser", "F6"},
        {ui.mnuView_UpdateBookBrowser, "&Refresh Book browser", "F7"},
        {ui.mnuView_AlwaysOnTop, "&Always on top", "Ctrl+A"},
        {ui.mnuView_RestoreWindows, "R&estore windows", "Ctrl+R"},
        {ui.mnuHelp_Contents, "&Help contents...", "Ctrl+F1"},
        {ui.mnuHelp_About, "&About", ""},
    };
    for (const Item& item : items) {
        SCOPED_TRACE(item.Caption.toStdString());
        EXPECT_EQ(item.Action->text(), item.Caption);
        EXPECT_EQ(item.Action->shortcut().toString(), item.Shortcut);
    }
    QStringList menus;
    for (QAction* menu : frmMain->menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Database", "&View", "&Help"}));
}

// Alt and a letter opens a menu, then a letter picks its item: within the menu
// bar and within each menu every item has a letter of its own, also once the
// undo items name a change.
TEST_F(ViewCommandsTest, EveryMenuGivesEachItemALetterOfItsOwn)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    Catalogue().Remove(3);
    Catalogue().Undo();
    ASSERT_TRUE(frmMain->Ui.mnuDatabase_Redo->isEnabled());
    const auto letter = [](const QString& caption) {
        for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
            if (caption[i] != u'&')
                continue;
            if (caption[i + 1] != u'&')
                return caption[i + 1].toLower();
            ++i;
        }
        return QChar();
    };
    std::vector<std::pair<QString, QList<QAction*>>> menus{{"menu bar", frmMain->menuBar()->actions()}};
    for (QAction* menu : frmMain->menuBar()->actions())
        menus.emplace_back(menu->text(), menu->menu()->actions());
    for (const auto& [name, items] : menus) {
        SCOPED_TRACE(name.toStdString());
        QMap<QChar, QString> taken;
        for (const QAction* item : items) {
            if (item->isSeparator())
                continue;
            const QChar key = letter(item->text());
            EXPECT_FALSE(key.isNull()) << item->text().toStdString() << " has no letter";
            EXPECT_FALSE(taken.contains(key))
                << item->text().toStdString() << " takes the letter of " << taken.value(key).toStdString();
            taken.insert(key, item->text());
        }
    }
    EXPECT_EQ(letter(frmMain->Ui.mnuDatabase_Return->text()), u'u');
    EXPECT_EQ(letter(frmMain->Ui.mnuDatabase_Remove->text()), u'r');

    // Alt+D then U asks to return the shown book, as the manual says.
    Catalogue().Lend(Rows().CurrentId(), "Ann", "01/03/2004");
    ASSERT_TRUE(frmMain->Ui.mnuDatabase_Return->isEnabled());
    frmMain->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frmMain));
    QTest::keyClick(frmMain, Qt::Key_D, Qt::AltModifier);
    QMenu* database = frmMain->menuBar()->actions()[1]->menu();
    ASSERT_TRUE(database->isVisible());
    Platform.Messages.Answers.push_back(false);
    QTest::keyClick(database, Qt::Key_U);
    EXPECT_EQ(Platform.Messages.Texts(), QStringList{QStringLiteral("Sure to return this book?")});
}

TEST_F(ViewCommandsTest, EveryControlOfEveryWindowHasANameForScreenReaders)
{
    WriteFiles(Books);
    ASSERT_TRUE(Start());
    const std::vector<QWidget*> windows = {frmMain,          frmBookBrowser, dlgLoanBook,      dlgSearchBooks,
                                           dlgAbout,         dlgPrint,       dlgPrintSettings, dlgDatabaseSettings,
                                           dlgRemoveSeveral, dlgEditSeveral, dlgLookUpIsbn,    frmScanIsbn};
    for (QWidget* window : windows) {
        ASSERT_NE(window, nullptr);
        SCOPED_TRACE(window->windowTitle().toStdString());
        QAccessibleInterface* self = QAccessible::queryAccessibleInterface(window);
        ASSERT_NE(self, nullptr);
        EXPECT_FALSE(self->text(QAccessible::Name).isEmpty());
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
                                 qobject_cast<QComboBox*>(widget) || qobject_cast<QAbstractItemView*>(widget) ||
                                 qobject_cast<QPlainTextEdit*>(widget) || qobject_cast<QTextEdit*>(widget);
            // Qt's own parts (overflow buttons, a combo box's list) are not ours to name,
            // except those that show up on the accessibility bus.
            const bool ours = !widget->objectName().startsWith(QLatin1String("qt_")) &&
                              !widget->inherits("QTableCornerButton") && !widget->inherits("QComboBoxListView") &&
                              !widget->inherits("QHeaderView");
            if (!control || !ours)
                continue;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            ASSERT_NE(accessible, nullptr);
            EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
                << widget->metaObject()->className() << " " << widget->objectName().toStdString();
        }
    }
    EXPECT_TRUE(frmMain->Ui.tbtnAddBook->toolTip().isEmpty()) << "the toolbar has no hint texts";
    auto* more = frmMain->Ui.ToolBar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    ASSERT_NE(more, nullptr);
    EXPECT_FALSE(more->accessibleName().isEmpty());
}

TEST_F(ViewCommandsTest, BoxesAreLabelledByTheirCaptionsAndTheLoanDataIsInTheTabChain)
{
    WriteFiles({Book(1, "Walden", "Thoreau", "Ticknor", "1854", "Tom Baker", "1.2.2024")});
    ASSERT_TRUE(Start());
    // On Linux a combo box's name is its text: only a label relation names it.
    const auto labelOf = [](QWidget* widget) {
        QStringList labels;
        for (const auto& [label, relation] :
             QAccessible::queryAccessibleInterface(widget)->relations(QAccessible::Label))
            labels << label->text(QAccessible::Name);
        return labels;
    };
    TdlgEditSeveral* editSeveral = dlgEditSeveral;
    TdlgRemoveSeveral* removeSeveral = dlgRemoveSeveral;
    TdlgPrintSettings* format = dlgPrintSettings;
    const std::vector<std::pair<QWidget*, QString>> labelled = {
        {frmMain->Ui.lblLoaner, "Loaner:"},
        {frmMain->Ui.lblLoanDate, "Date loaned:"},
        {editSeveral->cmbTargetField, "Target field"},
        {editSeveral->edtOldValue, "Old value"},
        {removeSeveral->cmbTargetField, QString::fromUtf8("Kohdekentt\u00e4")},
        {format->cmbColumn1, "Column fields"},
        {format->cmbColumn3, "Column 3 field"},
        {format->edtColumn2, "Column 2 spacing"},
    };
    for (const auto& [widget, caption] : labelled)
        EXPECT_TRUE(labelOf(widget).contains(caption)) << labelOf(widget).join('|').toStdString();

    QWidget* next = frmMain->Ui.edtMisc2->nextInFocusChain();
    while (!(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    EXPECT_EQ(next, frmMain->Ui.lblLoaner);
    EXPECT_TRUE(frmMain->Ui.lblLoanDate->focusPolicy() & Qt::TabFocus);
    QAccessibleInterface* group = QAccessible::queryAccessibleInterface(frmMain->Ui.grpBookData);
    frmMain->tbtnEditBookClick();
    EXPECT_EQ(group->text(QAccessible::Name), "Edit book");
    frmMain->btnCancelClick();
    frmMain->tbtnAddBookClick();
    EXPECT_EQ(group->text(QAccessible::Name), "Add book");
    frmMain->btnCancelClick();
    EXPECT_EQ(group->text(QAccessible::Name), "Book data");
}

} // namespace

// The database settings dialog, driven from the main window's menu; the
// setting is read back from the settings file on disk.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/DatabaseSettingsDialog.h"
#include "dialogs/EditSeveralDialog.h"
#include "platform/TextFile.h"
#include "settings/KELT.h"
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "tests/support/AppFixture.h"
#include "widgets/RunState.h"
#include "tests/support/FailingWriteStep.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <functional>

namespace {

const std::vector<TItem> Books = {Book(1, "Dune", "Herbert", "Ace"), Book(2, "Emma", "Austen", "Penguin")};

class DatabaseSettingsTest : public TAppFixture {
protected:
    void SetUp() override
    {
        WriteFiles(Books);
        ASSERT_TRUE(Start());
    }
    TFailingWriteStep WriteFault; // every save writes through it; no fault until armed
    // Opens the dialog from the menu, runs action inside it and says whether
    // the dialog closed.
    bool Open(std::function<void(TdlgDatabaseSettings&)> action)
    {
        bool closed = false;
        Platform.Modal.Actions.push_back([&](QDialog& dialog) {
            action(static_cast<TdlgDatabaseSettings&>(dialog));
            closed = !dialog.isVisible();
        });
        frmMain->mnuDatabase_SettingsClick();
        return closed;
    }
    std::string PathOnDisk() const
    {
        std::string value;
        EXPECT_TRUE(SettingOnDisk("orbl_databasefile", value));
        return value;
    }
};

} // namespace

TEST_F(DatabaseSettingsTest, AcceptingWithoutAChangeRewritesTheSameValue)
{
    // A stray entry on disk that the store does not hold: a rewrite drops it.
    Folder.WriteFile("volumnia.kelt", SettingsText() + "Stray\r\nx\r\nvString\r\n");
    EXPECT_TRUE(Open([](TdlgDatabaseSettings& dialog) {
        EXPECT_EQ(dialog.edtDatabase->text(), "books.orbl");
        dialog.btnAccept->click();
    }));
    EXPECT_EQ(PathOnDisk(), "books.orbl");
    EXPECT_EQ(SettingsText().find("Stray"), std::string::npos);
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
}

TEST_F(DatabaseSettingsTest, ChooserFillsTheBoxAndOnlyAcceptStoresIt)
{
    struct TCase {
        const char* Name;
        QString Chosen; // empty: the chooser is cancelled
        bool Accept;
        QString Box;
        std::string Stored;
    };
    const std::vector<TCase> cases = {
        {"chosen then cancelled", "/data/other.orbl", false, "/data/other.orbl", "books.orbl"},
        {"chooser cancelled", "", true, "typed.orbl", "typed.orbl"},
        {"chosen then accepted", "/data/other.orbl", true, "/data/other.orbl", "/data/other.orbl"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Platform.Dialogs.FileToChoose = c.Chosen;
        EXPECT_TRUE(Open([&](TdlgDatabaseSettings& dialog) {
            dialog.edtDatabase->setText("typed.orbl");
            dialog.btnOpen->click();
            EXPECT_EQ(dialog.edtDatabase->text(), c.Box);
            (c.Accept ? dialog.btnAccept : dialog.btnCancel)->click();
        }));
        EXPECT_EQ(PathOnDisk(), c.Stored);
    }
    EXPECT_EQ(Platform.Dialogs.OpenFilters, QStringList(3, "Quenfir ORBL database (*.orbl)"));
}

TEST_F(DatabaseSettingsTest, RunningProgramKeepsItsDatabaseFile)
{
    EXPECT_TRUE(Open([](TdlgDatabaseSettings& dialog) {
        dialog.edtDatabase->setText("other.orbl");
        dialog.btnAccept->click();
    }));
    Platform.Modal.Actions.push_back([](QDialog& dialog) {
        auto& edit = static_cast<TdlgEditSeveral&>(dialog);
        edit.cmbTargetField->setEditText("Publisher");
        edit.edtOldValue->setText("Ace");
        edit.edtNewValue->setText("Ace Books");
        edit.btnEdit->click();
    });
    frmMain->mnuDatabase_EditSeveralClick();
    Stop();
    EXPECT_FALSE(Folder.Exists("other.orbl"));
    EXPECT_EQ(PathOnDisk(), "other.orbl");
    std::vector<TItem> expected = Books;
    expected[0].Fields[2] = "Ace Books";
    EXPECT_EQ(DatabaseText(), DatabaseFile(expected));
}

TEST_F(DatabaseSettingsTest, SettingsStoreFailureGetsItsOwnMessageAndCloses)
{
    Folder.Remove("volumnia.kelt"); // the store never creates its file
    EXPECT_TRUE(Open([](TdlgDatabaseSettings& dialog) { dialog.btnAccept->click(); }));
    ASSERT_EQ(Platform.Messages.Boxes.size(), 1u);
    EXPECT_EQ(Platform.Messages.Boxes[0].Kind, TRecordedBox::Information);
    EXPECT_EQ(Platform.Messages.Boxes[0].Title, "Volumnia");
    EXPECT_EQ(Platform.Messages.Boxes[0].Text, "102-7: KELT -error. File full or corrupted.");
    EXPECT_FALSE(Folder.Exists("volumnia.kelt"));
}

TEST_F(DatabaseSettingsTest, FileSystemFailureGoesToTheGuardAndStaysOpen)
{
    const std::string before = SettingsText();
    WriteFault.FailAfter(10, true);
    EXPECT_FALSE(Open([](TdlgDatabaseSettings& dialog) {
        dialog.edtDatabase->setText("other.orbl");
        dialog.btnAccept->click();
    }));
    ASSERT_EQ(Platform.Messages.Errors().size(), 1);
    EXPECT_EQ(Platform.Messages.Boxes.size(), 1u);
    EXPECT_EQ(SettingsText(), before);
}

TEST_F(DatabaseSettingsTest, APathWindows1252CannotHoldIsRefusedAndTheDialogStaysOpen)
{
    const std::string before = SettingsText();
    EXPECT_FALSE(Open([](TdlgDatabaseSettings& dialog) {
        dialog.edtDatabase->setText(QString::fromUtf8("/home/anna/\u041a\u043d\u0438\u0433\u0438/books.orbl"));
        dialog.btnAccept->click();
    }));
    EXPECT_EQ(Platform.Messages.Texts(), QStringList{TdlgDatabaseSettings::PathNotStorableMessage});
    EXPECT_EQ(SettingsText(), before);
}

TEST_F(DatabaseSettingsTest, MissingSettingIsReportedAndTheBoxKeepsItsText)
{
    EXPECT_TRUE(Open([](TdlgDatabaseSettings& dialog) {
        dialog.edtDatabase->setText("kept.orbl");
        dialog.btnCancel->click();
    }));
    // Reload the store from a file that lacks the key.
    std::vector<std::pair<std::string, std::string>> settings = InstalledSettings();
    std::erase_if(settings, [](const auto& entry) { return entry.first == "orbl_databasefile"; });
    Folder.WriteFile("volumnia.kelt", SettingsFile(settings));
    Catalogue().Settings().LoadFromFile();

    EXPECT_TRUE(Open([](TdlgDatabaseSettings& dialog) {
        EXPECT_EQ(dialog.edtDatabase->text(), "kept.orbl");
        dialog.btnAccept->click();
    }));
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"#105: Supplied value name not found."});
    EXPECT_EQ(PathOnDisk(), "kept.orbl");
}

TEST_F(DatabaseSettingsTest, NeitherEnterNorEscPressesAButton)
{
    EXPECT_FALSE(Open([](TdlgDatabaseSettings& dialog) {
        dialog.edtDatabase->setText("other.orbl");
        QTest::keyClick(dialog.edtDatabase, Qt::Key_Return);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    }));
    EXPECT_EQ(PathOnDisk(), "books.orbl");
}

TEST_F(DatabaseSettingsTest, TabReachesTheFileChoiceAndSpaceOpensIt)
{
    Platform.Dialogs.FileToChoose = "/data/keyboard.orbl";
    EXPECT_TRUE(Open([](TdlgDatabaseSettings& dialog) {
        const auto nextTabStop = [&dialog](QWidget* widget) {
            do
                widget = widget->nextInFocusChain();
            while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisibleTo(&dialog));
            return widget;
        };
        std::vector<QWidget*> chain{dialog.edtDatabase};
        for (int i = 0; i < 3; ++i)
            chain.push_back(nextTabStop(chain.back()));
        EXPECT_EQ(chain,
                  (std::vector<QWidget*>{dialog.edtDatabase, dialog.btnOpen, dialog.btnAccept, dialog.btnCancel}));
        QTest::keyClick(dialog.btnOpen, Qt::Key_Space);
        EXPECT_EQ(dialog.edtDatabase->text(), "/data/keyboard.orbl");
        dialog.btnAccept->click();
    }));
    EXPECT_EQ(PathOnDisk(), "/data/keyboard.orbl");
}

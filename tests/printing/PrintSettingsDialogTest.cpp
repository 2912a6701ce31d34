// The format settings dialog, opened from the print dialog's "&Format" button;
// what it stores is read back from the settings file on disk.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "platform/TextFile.h"
#include "printing/PrintDialog.h"
#include "printing/PrintSettingsDialog.h"
#include "tests/support/AppFixture.h"
#include "tests/support/FailingWriteStep.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>

namespace {

class PrintSettingsTest : public TAppFixture {
protected:
    void SetUp() override { WriteFiles({Book(1, "Dune", "Herbert", "Ace")}); }
    TFailingWriteStep WriteFault; // every save writes through it; no fault until armed

    // Opens the format settings from the print dialog, runs action inside it
    // and says whether it closed.
    bool Open(std::function<void(TdlgPrintSettings&)> action)
    {
        bool closed = false;
        Platform.Modal.Actions.push_back([](QDialog&) { dlgPrint->btnPrintSettings->click(); });
        Platform.Modal.Actions.push_back([&](QDialog& dialog) {
            action(static_cast<TdlgPrintSettings&>(dialog));
            closed = !dialog.isVisible();
        });
        frmMain->tbtnPrintClick();
        return closed;
    }
    std::string OnDisk(const std::string& name) const
    {
        std::string value = "<missing>";
        SettingOnDisk(name, value);
        return value;
    }
    static QStringList Shown(const TdlgPrintSettings& dialog)
    {
        return {dialog.cmbColumn1->currentText(), dialog.cmbColumn2->currentText(), dialog.cmbColumn3->currentText(),
                dialog.edtColumn1->text(),        dialog.edtColumn2->text(),        dialog.edtColumn3->text()};
    }
};

const char* const Keys[] = {"pcol1", "pcol2", "pcol3", "pcol1_dst", "pcol2_dst", "pcol3_dst"};

} // namespace

TEST_F(PrintSettingsTest, WindowControlsAndInitialTexts)
{
    ASSERT_TRUE(Start());
    TdlgPrintSettings& dialog = *dlgPrintSettings;
    EXPECT_EQ(dialog.windowTitle(), "Format settings");
    EXPECT_EQ(dialog.size(), QSize(385, 177));
    EXPECT_EQ(Shown(dialog), (QStringList{"Column 1", "Column 2", "Column 3", "20", "950", "1800"}));
    for (QComboBox* box : {dialog.cmbColumn1, dialog.cmbColumn2, dialog.cmbColumn3}) {
        EXPECT_TRUE(box->isEditable());
        QStringList entries;
        for (int i = 0; i < box->count(); ++i)
            entries << box->itemText(i);
        EXPECT_EQ(entries, (QStringList{"Book title", "Book author", "Publisher", "Year published",
                                        "Other information (1)", "Other information (2)", "Loaner", "Date loaned"}));
    }
    EXPECT_TRUE(dialog.btnAccept->isDefault());
    EXPECT_EQ(dialog.btnAccept->text(), "&Accept");
    EXPECT_EQ(dialog.btnCancel->text(), "&Cancel");
}

TEST_F(PrintSettingsTest, OpeningShowsTheStoredValuesAndAcceptKeepsThem)
{
    struct Case {
        const char *Column1, *Column2, *Column3; // stored spacings
        QStringList Spacings;                    // as shown, and stored again by "&Accept"
    };
    const Case cases[] = {
        {"-999", "$10", "2400", {"-999", "16", "2400"}},
        // Longer than can be typed: shown whole and kept, and still no
        // character can be typed to it.
        {"-1000", "12345", "-2147483648", {"-1000", "12345", "-2147483648"}},
    };
    for (const Case& c : cases) {
        Stop();
        Overrides = {{"pcol1", "Year published"}, {"pcol2", "Loaner"},      {"pcol3", "Caf\xE9"},
                     {"pcol1_dst", c.Column1},    {"pcol2_dst", c.Column2}, {"pcol3_dst", c.Column3}};
        WriteFiles({});
        ASSERT_TRUE(Start());
        EXPECT_TRUE(Open([&](TdlgPrintSettings& dialog) {
            QTest::keyClick(dialog.edtColumn3, Qt::Key_9);
            EXPECT_EQ(Shown(dialog), QStringList({"Year published", "Loaner", QString::fromUtf8("Café")}) + c.Spacings);
            dialog.btnAccept->click();
        }));
        EXPECT_EQ(OnDisk("pcol1"), "Year published");
        EXPECT_EQ(OnDisk("pcol3"), "Caf\xE9");
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(OnDisk(Keys[3 + i]), c.Spacings[i].toStdString()) << c.Column1;
        EXPECT_TRUE(Platform.Messages.Boxes.empty());
    }
}

TEST_F(PrintSettingsTest, AcceptStoresTypedNamesAndFourCharacterSpacings)
{
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Open([](TdlgPrintSettings& dialog) {
        dialog.cmbColumn1->setEditText("Titel"); // names no alias: stored as typed
        dialog.cmbColumn2->setCurrentIndex(7);
        dialog.edtColumn1->clear();
        QTest::keyClicks(dialog.edtColumn1, "-1234"); // the fifth character does not go in
        dialog.edtColumn3->clear();
        QTest::keyClicks(dialog.edtColumn3, "98765");
        dialog.btnAccept->click();
    }));
    EXPECT_EQ(OnDisk("pcol1"), "Titel");
    EXPECT_EQ(OnDisk("pcol2"), "Date loaned");
    EXPECT_EQ(OnDisk("pcol3"), "Publisher");
    EXPECT_EQ(OnDisk("pcol1_dst"), "-123");
    EXPECT_EQ(OnDisk("pcol2_dst"), "950");
    EXPECT_EQ(OnDisk("pcol3_dst"), "9876");
}

TEST_F(PrintSettingsTest, CancelWritesNothingAndTheNextOpeningShowsTheStore)
{
    ASSERT_TRUE(Start());
    const std::string before = SettingsText();
    EXPECT_TRUE(Open([](TdlgPrintSettings& dialog) {
        dialog.cmbColumn1->setEditText("Loaner");
        dialog.edtColumn2->setText("1");
        dialog.btnCancel->click();
    }));
    EXPECT_EQ(SettingsText(), before);
    Open([](TdlgPrintSettings& dialog) {
        EXPECT_EQ(Shown(dialog), (QStringList{"Book title", "Book author", "Publisher", "20", "950", "1800"}));
    });
}

TEST_F(PrintSettingsTest, FailingReadStopsActivationAndAcceptCreatesTheMissingKeys)
{
    struct Case {
        const char* Key;
        const char* Value; // nullptr: the key is missing
        QStringList Shown;
        QString Error;
    };
    // The stored positions differ from the initial texts, so a box that was
    // filled can be told from one that was not.
    const std::vector<Case> cases = {
        {"pcol2_dst",
         nullptr,
         {"Book title", "Book author", "Publisher", "7", "950", "1800"},
         "#105: Supplied value name not found."},
        {"pcol2",
         nullptr,
         {"Book title", "Column 2", "Column 3", "20", "950", "1800"},
         "#105: Supplied value name not found."},
        {"pcol3_dst",
         "far",
         {"Book title", "Book author", "Publisher", "7", "8", "1800"},
         "'far' is not a valid integer value."},
    };
    for (const Case& c : cases) {
        Stop();
        Platform.Messages.Clear();
        Overrides = {{"pcol1_dst", "7"}, {"pcol2_dst", "8"}, {"pcol3_dst", "9"}};
        Removed.clear();
        if (c.Value)
            Overrides[c.Key] = c.Value;
        else
            Removed = {c.Key};
        WriteFiles({});
        ASSERT_TRUE(Start());
        EXPECT_TRUE(Open([&](TdlgPrintSettings& dialog) {
            EXPECT_EQ(Shown(dialog), c.Shown) << c.Key;
            dialog.btnAccept->click();
        }));
        EXPECT_EQ(Platform.Messages.Errors(), QStringList{c.Error}) << c.Key;
        for (const char* key : Keys)
            EXPECT_NE(OnDisk(key), "<missing>") << key;
    }
}

TEST_F(PrintSettingsTest, BadSpacingStopsAcceptAtThatBoxAndTheDialogStaysOpen)
{
    ASSERT_TRUE(Start());
    EXPECT_FALSE(Open([](TdlgPrintSettings& dialog) {
        dialog.cmbColumn3->setEditText("Loaner");
        dialog.edtColumn1->setText("30");
        dialog.edtColumn2->clear();
        dialog.edtColumn3->setText("40");
        dialog.btnAccept->click();
    }));
    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"'' is not a valid integer value."});
    EXPECT_EQ(OnDisk("pcol3"), "Loaner");
    EXPECT_EQ(OnDisk("pcol1_dst"), "30");
    EXPECT_EQ(OnDisk("pcol2_dst"), "950");
    EXPECT_EQ(OnDisk("pcol3_dst"), "1800");
}

TEST_F(PrintSettingsTest, StoreErrorIsReportedAsOneOhThreeSevenAndClosesTheDialog)
{
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Open([this](TdlgPrintSettings& dialog) {
        Folder.Remove("volumnia.kelt"); // the store refuses to save to a missing file
        dialog.btnAccept->click();
    }));
    ASSERT_EQ(Platform.Messages.Boxes.size(), 1u);
    EXPECT_EQ(Platform.Messages.Boxes[0].Kind, TRecordedBox::Information);
    EXPECT_EQ(Platform.Messages.Boxes[0].Title, "Volumnia");
    EXPECT_EQ(Platform.Messages.Boxes[0].Text, "103-7: KELT -error. File full or corrupted.");
}

TEST_F(PrintSettingsTest, FileSystemFailureReachesTheErrorHandlerAndTheDialogStaysOpen)
{
    ASSERT_TRUE(Start());
    EXPECT_FALSE(Open([this](TdlgPrintSettings& dialog) {
        dialog.cmbColumn1->setEditText("Loaner");
        WriteFault.FailAfter(0, true);
        dialog.btnAccept->click();
    }));
    ASSERT_EQ(Platform.Messages.Errors().size(), 1);
    EXPECT_TRUE(Platform.Messages.Errors()[0].startsWith("Disk full")) << Platform.Messages.Errors()[0].toStdString();
    EXPECT_EQ(OnDisk("pcol1"), "Book title");
}

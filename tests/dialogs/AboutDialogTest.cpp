// The about dialog: its fixed texts, the credits list and the two links.
#include "app/Globals.h"
#include "app/MainForm.h"
#include "dialogs/AboutDialog.h"
#include "tests/support/AppFixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using AboutTest = TAppFixture;

TEST_F(AboutTest, ShowsTheProductTextsAndTheCreditsInOrder)
{
    TdlgAbout dialog;
    EXPECT_EQ(dialog.windowTitle(), "About Volumnia");
    EXPECT_EQ(dialog.size(), QSize(297, 385));
    const std::vector<std::pair<QLabel*, QString>> labels = {
        {dialog.lblHeader1, "Quenfir"},
        {dialog.lblHeader2, "Volumnia"},
        {dialog.lblVersion, "Version 2.1"},
        {dialog.lblReleased, "Released 17th of November 2003."},
        {dialog.lblEmail, "support@quenfir.example"},
        {dialog.lblInternet, "https://www.quenfir.example/"},
    };
    for (const auto& [label, text] : labels)
        EXPECT_EQ(label->text(), text);
    EXPECT_TRUE(dialog.lblHeader1->font().bold() && dialog.lblHeader2->font().bold());
    EXPECT_GT(dialog.lblHeader2->font().pointSize(), dialog.lblHeader1->font().pointSize());
    EXPECT_TRUE(dialog.lblEmail->font().underline());
    EXPECT_EQ(dialog.lblInternet->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(dialog.grpCredits->font().bold());
    EXPECT_FALSE(dialog.Credits->font().bold()) << "only the caption is bold, not the list";
    EXPECT_EQ(dialog.grpCredits->title(), "Credits");
    EXPECT_TRUE(dialog.btnClose->isDefault());
    QWidget* first = dialog.nextInFocusChain();
    while (first != &dialog && !(first->focusPolicy() & Qt::TabFocus))
        first = first->nextInFocusChain();
    EXPECT_EQ(first, dialog.btnClose);
    // Read-only and out of the Tab chain; Tab goes on from Close to the two links.
    EXPECT_TRUE(dialog.Credits->isReadOnly());
    EXPECT_FALSE(dialog.Credits->focusPolicy() & Qt::TabFocus);
    const auto nextTab = [](QWidget* from) {
        QWidget* next = from->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        return next;
    };
    EXPECT_EQ(nextTab(first), dialog.lblEmail);
    EXPECT_EQ(nextTab(dialog.lblEmail), dialog.lblInternet);
    EXPECT_EQ(nextTab(dialog.lblInternet), dialog.btnClose);

    const QStringList lines = dialog.Credits->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 14);
    const std::vector<std::pair<int, QString>> fixed = {{4, "(installation software)"},
                                                        {5, ""},
                                                        {6, "Quenfir ORBL 1.4 (12.11.2003)"},
                                                        {9, "(database)"},
                                                        {10, ""},
                                                        {11, "Quenfir KELT 1.1 (12.11.2003)"},
                                                        {14, "(settings database)"}};
    for (const auto& [line, text] : fixed)
        EXPECT_EQ(lines[line - 1], text) << "line " << line;
    // The maker's lines name the maker; nothing points outside the example domain.
    EXPECT_EQ(lines[6], dialog.lblCopyright->text());
    for (const QString& line : lines) {
        if (line.contains("://") || line.contains('@')) {
            EXPECT_TRUE(line.contains("quenfir.example")) << line.toStdString();
        }
    }
}

TEST_F(AboutTest, LinksOpenThroughTheShellAndCloseEndsTheDialog)
{
    WriteFiles({});
    ASSERT_TRUE(Start());
    bool closedByButton = false;
    Platform.Modal.Actions.push_back([&](QDialog& dialog) {
        auto& about = static_cast<TdlgAbout&>(dialog);
        QTest::mouseClick(about.lblEmail, Qt::RightButton);
        QTest::mouseClick(about.lblEmail, Qt::LeftButton);
        QTest::mouseClick(about.lblInternet, Qt::LeftButton);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible());
        QTest::keyClick(about.Credits, Qt::Key_Return); // not Close
        EXPECT_TRUE(dialog.isVisible());
        QTest::keyClick(about.lblEmail, Qt::Key_Return);
        QTest::keyClick(about.lblInternet, Qt::Key_Space);
        EXPECT_TRUE(dialog.isVisible());
        about.btnClose->click();
        closedByButton = !dialog.isVisible();
    });
    frmMain->mnuHelp_AboutClick();
    EXPECT_TRUE(closedByButton);
    EXPECT_EQ(Platform.Shell.Opened, QStringList({"mailto:support@quenfir.example", "https://www.quenfir.example/",
                                                  "mailto:support@quenfir.example", "https://www.quenfir.example/"}));
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
}

// The cover panel: a picture chosen, pasted with Ctrl+V or dropped becomes
// an unsaved change that Store keeps in the covers folder; what is no
// picture changes nothing and says so; Remove cover leaves the file for
// the history; a cover whose file is gone says so.
#include "widgets/CoverPanel.h"

#include "engine/Covers.h"
#include "platform/TextFile.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TempWorkingFolder.h"
#include "widgets/CoverImage.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CoverPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Folder.WriteFile("books.orbl", "");
        QImage picture(900, 1200, QImage::Format_RGB32);
        picture.fill(Qt::darkBlue);
        ASSERT_TRUE(picture.save(Folder.Path() + "/scan.png"));
        Folder.WriteFile("notes.txt", "no picture");
        Panel.show();
    }
    QImage Kept(const std::string& value) const
    {
        return QImage::fromData(QByteArray::fromStdString(TTextFile::ReadAll(Covers::PathOf("books.orbl", value))));
    }

    TTempWorkingFolder Folder;
    TScriptedPlatform Platform;
    QString Taken;
    TCoverPanel Panel{nullptr, Taken};
};

TEST_F(CoverPanelTest, APictureChosenPastedOrDroppedIsKeptOnlyWhenStored)
{
    Panel.ShowStored("books.orbl", 0, "");
    EXPECT_FALSE(Panel.btnChooseCover->isEnabled()) << "no book, no cover";
    Panel.ShowStored("books.orbl", 3, "");
    EXPECT_EQ(Panel.imgCover->text(), QStringLiteral("No cover"));
    EXPECT_FALSE(Panel.btnRemoveCover->isEnabled());
    QSignalSpy edited(&Panel, &TCoverPanel::Edited);

    const std::vector<std::pair<const char*, std::function<void()>>> ways = {
        {"chosen",
         [&] {
             Platform.Dialogs.FileToChoose = Folder.Path() + "/scan.png";
             Panel.btnChooseCover->click();
         }},
        {"pasted",
         [&] {
             QImage red(200, 300, QImage::Format_RGB32);
             red.fill(Qt::red);
             QApplication::clipboard()->setImage(red);
             QTest::keyClick(Panel.imgCover, Qt::Key_V, Qt::ControlModifier);
         }},
        {"dropped",
         [&] {
             QMimeData data;
             data.setUrls({QUrl::fromLocalFile(Folder.Path() + "/scan.png")});
             QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(Panel.imgCover, &enter);
             ASSERT_TRUE(enter.isAccepted());
             QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(Panel.imgCover, &drop);
         }},
    };
    for (const auto& [how, give] : ways) {
        SCOPED_TRACE(how);
        Panel.ShowStored("books.orbl", 3, "");
        edited.clear();
        give();
        EXPECT_EQ(edited.count(), 1);
        EXPECT_TRUE(Panel.Changed() && Panel.HasCover());
        EXPECT_FALSE(Panel.imgCover->pixmap().isNull());
        EXPECT_FALSE(Folder.Exists("books.orbl.covers")) << "nothing kept before it is stored";
        const std::string value = Panel.Store();
        EXPECT_EQ(value.substr(0, 2), "3-");
        EXPECT_LE(std::max(Kept(value).width(), Kept(value).height()), CoverImage::MaxSide);
        Folder.Remove("books.orbl.covers/" + value);
        QDir(Folder.Path()).rmdir("books.orbl.covers");
    }
    EXPECT_TRUE(Platform.Messages.Texts().isEmpty());

    // What holds no picture changes nothing, and says so.
    Panel.ShowStored("books.orbl", 3, "");
    Platform.Dialogs.FileToChoose = Folder.Path() + "/notes.txt";
    Panel.btnChooseCover->click();
    QApplication::clipboard()->setText(QStringLiteral("words"));
    Panel.btnPasteCover->click();
    EXPECT_EQ(Platform.Messages.Texts().size(), 2);
    EXPECT_FALSE(Panel.Changed());
}

TEST_F(CoverPanelTest, RemovingACoverKeepsItsFileAndAFileGoneIsSaid)
{
    QImage picture(100, 150, QImage::Format_RGB32);
    picture.fill(Qt::green);
    const std::string value = Covers::Store("books.orbl", 4, CoverImage::Jpeg(picture));
    Panel.ShowStored("books.orbl", 4, value);
    EXPECT_FALSE(Panel.imgCover->pixmap().isNull());
    EXPECT_EQ(Panel.Store(), value) << "unchanged";
    Panel.btnRemoveCover->click();
    EXPECT_TRUE(Panel.Changed());
    EXPECT_FALSE(Panel.HasCover());
    EXPECT_EQ(Panel.Store(), "");
    EXPECT_TRUE(Folder.Exists("books.orbl.covers/" + value)) << "an undo may name it again";

    Panel.ShowStored("books.orbl", 4, "4-00000000.jpg");
    EXPECT_EQ(Panel.imgCover->text(), QStringLiteral("Cover not found"));
    EXPECT_TRUE(Panel.btnRemoveCover->isEnabled());
}

} // namespace

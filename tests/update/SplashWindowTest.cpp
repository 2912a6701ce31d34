// The splash window: its shape and place, what it draws, and that activation
// (or the first showing) runs the settings writes exactly once.
#include "tests/update/UpdateTestData.h"

#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TempWorkingFolder.h"
#include "update/JpegDecoder.h"
#include "update/MainForm.h"
#include "update/SplashPicture.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class SplashWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        Window.EndProgram = [this] { ++EndRequests; };
    }

    TTempWorkingFolder Folder;
    TScriptedPlatform Platform;
    TfrmMain Window;
    int EndRequests = 0;
};

TEST_F(SplashWindow, IsABorderlessFixedSizeWindowCentredOnTheScreen)
{
    EXPECT_TRUE(Window.isWindow());
    EXPECT_TRUE(Window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(Window.size(), QSize(169, 73));
    EXPECT_EQ(Window.minimumSize(), QSize(169, 73));
    EXPECT_EQ(Window.maximumSize(), QSize(169, 73));

    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect placed(Window.pos(), Window.size());
    const QPoint offset = placed.center() - screen->geometry().center();
    EXPECT_LE(std::abs(offset.x()), 1) << offset.x();
    EXPECT_LE(std::abs(offset.y()), 1) << offset.y();
}

TEST_F(SplashWindow, HasTheBackgroundShapeAndThePictureAtItsNaturalSize)
{
    const auto* shape = Window.findChild<QFrame*>(QStringLiteral("shpBackground"));
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->geometry(), QRect(0, 0, 169, 73));

    const auto* picture = Window.findChild<QLabel*>(QStringLiteral("Background"));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->geometry(), QRect(8, 8, 150, 60));
    EXPECT_EQ(picture->pixmap().size(), QSize(150, 60));
    EXPECT_TRUE(picture->text().isEmpty());
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
}

// Black one-pixel outline, white inside, and the decoded picture copied
// pixel for pixel at (8, 8).
TEST_F(SplashWindow, DrawsOutlineWhiteFillAndThePicture)
{
    const QImage shot = Window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(169, 73));

    int badOutline = 0, badFill = 0, badPicture = 0;
    const QImage picture = TJpegDecoder::Decode(TSplashPicture::Bytes());
    const QRect pictureArea(8, 8, 150, 60);
    for (int y = 0; y < 73; ++y)
        for (int x = 0; x < 169; ++x) {
            const QRgb pixel = shot.pixel(x, y) & 0xFFFFFF;
            if (x == 0 || y == 0 || x == 168 || y == 72)
                badOutline += pixel != 0x000000;
            else if (!pictureArea.contains(x, y))
                badFill += pixel != 0xFFFFFF;
            else
                badPicture += pixel != (picture.pixel(x - 8, y - 8) & 0xFFFFFF);
        }
    EXPECT_EQ(badOutline, 0);
    EXPECT_EQ(badFill, 0);
    EXPECT_EQ(badPicture, 0);
}

TEST_F(SplashWindow, ActivationEventWritesTheDefaultsOnce)
{
    Folder.WriteFile("volumnia.kelt", "");
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&Window, &activate);
    EXPECT_EQ(Folder.ReadFile("volumnia.kelt"), UpdateTestData("defaults.kelt"));
    EXPECT_EQ(EndRequests, 1);

    // A later activation (the settings file changed meanwhile) writes nothing.
    Folder.WriteFile("volumnia.kelt", "");
    QApplication::sendEvent(&Window, &activate);
    EXPECT_EQ(Folder.ReadFile("volumnia.kelt"), "");
    EXPECT_EQ(EndRequests, 1);
    EXPECT_TRUE(Platform.Messages.Boxes.empty());
}

TEST_F(SplashWindow, ShowingItInTheEventLoopWritesTheDefaultsAndAsksToEnd)
{
    Folder.WriteFile("volumnia.kelt", "");
    Window.show();
    EXPECT_TRUE(QTest::qWaitFor([this] { return EndRequests > 0; }, 5000));
    QTest::qWait(50);
    Window.hide();
    Window.show();
    QTest::qWait(50);

    EXPECT_EQ(EndRequests, 1);
    EXPECT_EQ(Folder.ReadFile("volumnia.kelt"), UpdateTestData("defaults.kelt"));
    EXPECT_EQ(Window.ExitCode(), 0);
}

// Window managers that prevent focus stealing may never activate the splash;
// the program must not then wait for ever. The filter swallows every
// activation before the window sees it.
class TNoActivation : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        Swallowed += event->type() == QEvent::WindowActivate;
        return event->type() == QEvent::WindowActivate;
    }
    int Swallowed = 0;
};

TEST_F(SplashWindow, WritesTheDefaultsEvenWhenNeverActivated)
{
    Folder.WriteFile("volumnia.kelt", "");
    TNoActivation filter;
    Window.installEventFilter(&filter);
    Window.show();
    EXPECT_TRUE(QTest::qWaitFor([this] { return EndRequests > 0; }, 5000));
    EXPECT_EQ(Folder.ReadFile("volumnia.kelt"), UpdateTestData("defaults.kelt"));
    Window.removeEventFilter(&filter);
}

TEST_F(SplashWindow, ShowingItWithoutSettingsReportsOnceAndStaysShown)
{
    Window.show();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !Platform.Messages.Boxes.empty(); }, 5000));
    Window.activateWindow();
    QTest::qWait(100);

    EXPECT_EQ(Platform.Messages.Errors(), QStringList{"#103: File does not exist."});
    EXPECT_TRUE(Window.isVisible());
    EXPECT_EQ(EndRequests, 0);
    EXPECT_TRUE(Folder.FileNames().empty());
}

} // namespace

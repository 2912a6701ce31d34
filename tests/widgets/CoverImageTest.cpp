// Cover pictures as kept and as shown: scaled down to the kept size, never
// up, transparency on white; a kept cover read at the size of its box; what
// is no picture, or no file to read, shown as none.
#include "widgets/CoverImage.h"

#include "engine/Covers.h"
#include "tests/support/TempWorkingFolder.h"
#include "widgets/CoverThumbnails.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QImage Decoded(const std::string& jpeg)
{
    return QImage::fromData(QByteArray::fromStdString(jpeg), "JPEG");
}

TEST(CoverImage, APictureIsKeptAsAJpegOfAtMostTheKeptSize)
{
    const struct {
        QSize Given;
        QSize Kept;
    } cases[] = {
        {{1200, 800}, {600, 400}}, {{300, 2400}, {75, 600}}, {{100, 150}, {100, 150}}, // never enlarged
    };
    for (const auto& test : cases) {
        QImage image(test.Given, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        const QImage kept = Decoded(CoverImage::Jpeg(image));
        EXPECT_EQ(kept.size(), test.Kept);
        EXPECT_GT(qGray(kept.pixel(0, 0)), 245) << "transparency on white";
    }
    EXPECT_EQ(CoverImage::Jpeg(QImage()), "");
}

TEST(CoverImage, AKeptCoverIsReadAtItsBoxsSizeAndWhatIsNoPictureAsNone)
{
    TTempWorkingFolder folder;
    folder.WriteFile("books.orbl", "");
    QImage image(300, 450, QImage::Format_RGB32);
    image.fill(Qt::darkRed);
    const std::string value = Covers::Store("books.orbl", 5, CoverImage::Jpeg(image));
    EXPECT_EQ(CoverImage::Read("books.orbl", value, QSize(40, 40)).size(), QSize(26, 40));
    EXPECT_EQ(CoverImage::Read("books.orbl", value, QSize(600, 600)).size(), QSize(300, 450));

    EXPECT_TRUE(CoverImage::Read("books.orbl", "5-00000000.jpg", QSize(40, 40)).isNull()) << "file gone";
    folder.WriteFile("books.orbl.covers/5-11111111.jpg", "not a picture");
    EXPECT_TRUE(CoverImage::Read("books.orbl", "5-11111111.jpg", QSize(40, 40)).isNull());
    folder.WriteFile("picture.jpg", folder.ReadFile("books.orbl.covers/" + value));
    EXPECT_TRUE(CoverImage::Read("books.orbl", "../picture.jpg", QSize(40, 40)).isNull()) << "outside the folder";

    EXPECT_EQ(CoverImage::FromFile(folder.Path() + "/picture.jpg").size(), QSize(300, 450));
    ASSERT_EQ(::mkfifo("fifo.jpg", 0600), 0);
    EXPECT_TRUE(CoverImage::FromFile(folder.Path() + "/fifo.jpg").isNull()) << "a FIFO is never read";
    EXPECT_TRUE(CoverImage::FromFile(folder.Path() + "/books.orbl.covers/5-11111111.jpg").isNull());
}

} // namespace

namespace {

// A list's covers: each file read once, a moment after it is first asked
// for (never during the paint that asks), then kept; a database of another
// name forgets them.
TEST(CoverThumbnails, EachIsReadOnceInTheEventLoopAfterItIsFirstAskedFor)
{
    TTempWorkingFolder folder;
    folder.WriteFile("books.orbl", "");
    QImage image(300, 450, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const std::string value = Covers::Store("books.orbl", 2, CoverImage::Jpeg(image));
    TCoverThumbnails thumbnails(QSize(36, 46));
    QSignalSpy ready(&thumbnails, &TCoverThumbnails::Ready);
    thumbnails.SetDatabase("books.orbl");
    EXPECT_TRUE(thumbnails.Thumbnail("").isNull());
    EXPECT_TRUE(thumbnails.Thumbnail(value).isNull());
    EXPECT_TRUE(thumbnails.Thumbnail(value).isNull());
    EXPECT_EQ(thumbnails.Reads(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(ready.count(), 1);
    EXPECT_EQ(thumbnails.Thumbnail(value).size(), QSize(30, 46));
    EXPECT_EQ(thumbnails.Reads(), 1);
    thumbnails.SetDatabase("other.orbl");
    thumbnails.Thumbnail(value);
    QCoreApplication::processEvents();
    EXPECT_TRUE(thumbnails.Thumbnail(value).isNull()) << "no such file beside other.orbl";
    EXPECT_EQ(thumbnails.Reads(), 2);
}

} // namespace

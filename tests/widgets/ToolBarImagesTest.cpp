// The toolbar image list: every image is compiled in and reachable by its
// index, is a 16 x 16 picture on a transparent background, the eleven share
// one small palette, and no two of them are the same picture.
#include "widgets/ToolBarImages.h"

#include <QImage>
#include <QPixmap>
#include <QSet>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TImageRow {
    TToolBarImages::Index Index;
    const char* File;
};

// Index -> resource file, as the toolbar and the menu expect them.
const std::vector<TImageRow> Images = {
    {TToolBarImages::Browser, "browser"}, {TToolBarImages::Add, "add"},       {TToolBarImages::Edit, "edit"},
    {TToolBarImages::Remove, "remove"},   {TToolBarImages::Loan, "loan"},     {TToolBarImages::Return, "return"},
    {TToolBarImages::Print, "print"},     {TToolBarImages::Search, "search"}, {TToolBarImages::Refresh, "refresh"},
    {TToolBarImages::Help, "help"},       {TToolBarImages::Exit, "exit"},
};

QImage IconImage(TToolBarImages::Index index)
{
    return TToolBarImages::Icon(index).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage FileImage(const char* file)
{
    return QImage(QStringLiteral(":/icons/%1.xpm").arg(QLatin1String(file))).convertToFormat(QImage::Format_ARGB32);
}

QSet<QRgb> OpaqueColours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                colours.insert(image.pixel(x, y));
    return colours;
}

int TransparentPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) == 0 ? 1 : 0;
    return count;
}

} // namespace

TEST(ToolBarImages, ListHoldsElevenImagesInToolbarOrder)
{
    ASSERT_EQ(static_cast<int>(TToolBarImages::Count), 11);
    ASSERT_EQ(Images.size(), 11u);
    for (size_t i = 0; i < Images.size(); ++i) {
        SCOPED_TRACE(Images[i].File);
        EXPECT_EQ(static_cast<int>(Images[i].Index), static_cast<int>(i));
        EXPECT_STREQ(TToolBarImages::Name(Images[i].Index), Images[i].File);
    }
}

TEST(ToolBarImages, EveryIndexShowsItsOwnResourceFile)
{
    for (const TImageRow& row : Images) {
        SCOPED_TRACE(row.File);
        const QIcon icon = TToolBarImages::Icon(row.Index);
        ASSERT_FALSE(icon.isNull()) << "resource not compiled in or not readable";
        EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16)));

        const QImage file = FileImage(row.File);
        ASSERT_FALSE(file.isNull());
        EXPECT_EQ(IconImage(row.Index), file) << "index shows another image than its file";
    }
}

TEST(ToolBarImages, EachImageIsASixteenPixelPictureOnATransparentGround)
{
    for (const TImageRow& row : Images) {
        SCOPED_TRACE(row.File);
        const QImage image = FileImage(row.File);
        ASSERT_EQ(image.size(), QSize(16, 16));

        // A picture needs at least an outline and a fill; one colour means a
        // blank or flooded image.
        EXPECT_GE(OpaqueColours(image).size(), 2);

        // Toolbar and menu backgrounds differ, so the ground must show through,
        // but the picture must still cover a fair part of the square.
        const int transparent = TransparentPixels(image);
        EXPECT_GT(transparent, 0);
        EXPECT_LT(transparent, 16 * 16 * 3 / 4);
    }
}

TEST(ToolBarImages, AllImagesShareOneSmallPalette)
{
    QSet<QRgb> palette;
    for (const TImageRow& row : Images)
        palette.unite(OpaqueColours(FileImage(row.File)));
    // Ten drawing colours (outline, paper, two greys, three blues, green, red,
    // amber); a shade outside them is a slip that makes one image stand out,
    // and blurred edges would bring in many in-between shades.
    EXPECT_LE(palette.size(), 10) << "the images drift apart in colour";
}

TEST(ToolBarImages, NoTwoImagesAreTheSame)
{
    for (size_t i = 0; i < Images.size(); ++i)
        for (size_t j = i + 1; j < Images.size(); ++j) {
            SCOPED_TRACE(std::string(Images[i].File) + " / " + Images[j].File);
            const QImage a = FileImage(Images[i].File);
            const QImage b = FileImage(Images[j].File);
            // Variants of one motif (the book images) must still differ in a
            // clearly visible area, not by a stray pixel or two.
            int differing = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
            EXPECT_GE(differing, 16);
        }
}

TEST(ToolBarImages, IndexOutsideTheListGivesNoImageAndAnEmptyName)
{
    for (int index : {-1, static_cast<int>(TToolBarImages::Count), 99}) {
        SCOPED_TRACE(index);
        const auto outside = static_cast<TToolBarImages::Index>(index);
        EXPECT_TRUE(TToolBarImages::Icon(outside).isNull());
        ASSERT_NE(TToolBarImages::Name(outside), nullptr);
        EXPECT_STREQ(TToolBarImages::Name(outside), "");
    }
}

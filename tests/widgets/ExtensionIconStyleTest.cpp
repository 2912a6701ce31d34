// The application style with lazily read extension pictures: what it draws is
// what the style underneath draws, for those pictures and for the others.
#include "widgets/ExtensionIconStyle.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

QImage Drawn(const QIcon& icon)
{
    return icon.pixmap(16).toImage();
}

TEST(ExtensionIconStyle, DrawsThePicturesOfTheStyleUnderneath)
{
    TExtensionIconStyle style;
    for (const QStyle::StandardPixmap picture :
         {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton,
          QStyle::SP_DialogOkButton}) {
        const QImage expected = Drawn(style.baseStyle()->standardIcon(picture));
        ASSERT_FALSE(expected.isNull()) << picture;
        EXPECT_EQ(Drawn(style.standardIcon(picture)), expected) << picture;
    }
}

} // namespace

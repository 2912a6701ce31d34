// Our font chooser: only the sizes asked for, the face and style of the font
// passed in kept unless the user picks others.
#include "platform/gui/FontChooser.h"

#include <QFontComboBox>
#include <QListWidget>

#include <gtest/gtest.h>

TEST(FontChooser, OffersOnlyTheSizeRangeAndStartsAtTheFontsSizeInIt)
{
    struct Case {
        int Start, Selected;
    };
    const Case cases[] = {{8, 8}, {6, 6}, {14, 14}, {20, 14}, {3, 6}};
    for (const Case& c : cases) {
        TFontChooser chooser(QFont("MS Sans Serif", c.Start), 6, 14);
        QStringList sizes;
        for (int i = 0; i < chooser.Sizes->count(); ++i)
            sizes << chooser.Sizes->item(i)->text();
        EXPECT_EQ(sizes, (QStringList{"6", "7", "8", "9", "10", "11", "12", "13", "14"}));
        ASSERT_NE(chooser.Sizes->currentItem(), nullptr);
        EXPECT_EQ(chooser.Sizes->currentItem()->text().toInt(), c.Selected) << c.Start;
        EXPECT_EQ(chooser.SelectedFont().pointSize(), c.Selected) << c.Start;
    }
}

TEST(FontChooser, KeepsTheFaceAndStyleUntilTheUserChoosesOthers)
{
    QFont start("MS Sans Serif", 8);
    start.setItalic(true);
    TFontChooser chooser(start, 6, 14);
    EXPECT_EQ(chooser.Style->currentRow(), -1); // no style preselected
    QFont font = chooser.SelectedFont();
    EXPECT_EQ(font.family(), "MS Sans Serif");
    EXPECT_TRUE(font.italic());
    EXPECT_FALSE(font.bold());

    chooser.Style->setCurrentRow(2); // Bold
    chooser.Sizes->setCurrentRow(4); // 10
    font = chooser.SelectedFont();
    EXPECT_TRUE(font.bold());
    EXPECT_FALSE(font.italic());
    EXPECT_EQ(font.pointSize(), 10);

    const QString other = chooser.Face->itemText(chooser.Face->count() - 1);
    chooser.Face->setCurrentFont(QFont(other));
    EXPECT_EQ(chooser.SelectedFont().family(), chooser.Face->currentFont().family());
}

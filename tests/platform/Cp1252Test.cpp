/*
 * The Windows-1252 code page at the widget boundary: every byte survives the
 * round trip, the 0x80-0x9F block maps to the right characters, and what the
 * code page cannot hold becomes one "?" a character.
 */
#include "platform/Cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Cp1252, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        EXPECT_EQ(Cp1252::FromUnicode(Cp1252::ToUnicode(byte)), b) << b;
        all.push_back(static_cast<char>(b));
    }
    const QString text = Cp1252::ToQString(all);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(Cp1252::FromQString(text), all);
}

TEST(Cp1252, BytesMapToTheirCharacters)
{
    const struct {
        unsigned char Byte;
        char16_t Unicode;
    } cases[] = {
        {0x00, 0x0000}, {0x41, 0x0041}, {0x7F, 0x007F}, {0x80, 0x20AC}, {0x81, 0x0081}, {0x85, 0x2026},
        {0x8A, 0x0160}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x95, 0x2022}, {0x99, 0x2122},
        {0x9D, 0x009D}, {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xC4, 0x00C4}, {0xE4, 0x00E4}, {0xFF, 0x00FF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp1252::ToUnicode(c.Byte), c.Unicode) << int(c.Byte);
        EXPECT_EQ(Cp1252::FromUnicode(c.Unicode), int(c.Byte)) << int(c.Byte);
    }
}

// Texts are widened eight bytes at a time: a character of 0x80..0x9F is
// mapped wherever it stands, at the edges of those blocks and in the tail.
TEST(Cp1252, TextsMapEveryCharacterWhereverItStands)
{
    for (size_t length = 1; length <= 24; ++length) {
        for (size_t at = 0; at < length; ++at) {
            std::string bytes(length, 'a');
            bytes[at] = '\x80';
            if (at + 1 < length)
                bytes[length - 1] = '\x9F';
            const QString text = Cp1252::ToQString(bytes);
            ASSERT_EQ(text.size(), qsizetype(length));
            for (size_t i = 0; i < length; ++i)
                EXPECT_EQ(text[qsizetype(i)].unicode(), Cp1252::ToUnicode(static_cast<unsigned char>(bytes[i])))
                    << "length " << length << ", 0x80 at " << at << ", character " << i;
        }
    }
}

TEST(Cp1252, UnmappableCharactersBecomeOneQuestionMarkEach)
{
    const struct {
        const char* What;
        QString Text;
        std::string Expected;
    } cases[] = {
        {"Greek omega", QString(QChar(0x03A9)), "?"},
        {"C1 control the code page uses for the euro", QString(QChar(0x0080)), "?"},
        {"Cyrillic between letters",
         QString::fromUtf8("a\xD0\x96"
                           "b"),
         "a?b"},
        {"character outside the BMP",
         QString::fromUtf8("x\xF0\x9F\x93\x9A"
                           "y"),
         "x?y"},
        {"lone high surrogate", QString(QChar(0xD83D)) + "z", "?z"},
        {"lone low surrogate", QString(QChar(0xDCDA)), "?"},
        {"euro and bullet", QString::fromUtf8("\xE2\x82\xAC\xE2\x80\xA2"), "\x80\x95"},
        {"empty", QString(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Cp1252::FromQString(c.Text), c.Expected) << c.What;
    EXPECT_EQ(Cp1252::FromUnicode(0x03A9), -1);
}

TEST(Cp1252, EmbeddedNulBytesAreKept)
{
    const std::string bytes("a\0b", 3);
    const QString text = Cp1252::ToQString(bytes);
    EXPECT_EQ(text.size(), 3);
    EXPECT_EQ(Cp1252::FromQString(text), bytes);
}

} // namespace

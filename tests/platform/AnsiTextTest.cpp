/*
 * Locale text services on Windows-1252 bytes: lower-casing in the default
 * locale (accented capitals included, the table following a locale change) and
 * case-insensitive collation that follows the locale's alphabet.
 */
#include "platform/AnsiText.h"

#include "platform/Cp1252.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class AnsiText : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

TEST_F(AnsiText, LowerCaseMapsCapitalsOfTheCodePage)
{
    const struct {
        std::string Text, Expected;
    } cases[] = {
        {"ABC xyz 123", "abc xyz 123"},
        {"\xC4\xD6\xC5", "\xE4\xF6\xE5"},                         // Ä Ö Å
        {"\xC9\xC8\xCA\xCB\xC7\xD1", "\xE9\xE8\xEA\xEB\xE7\xF1"}, // É È Ê Ë Ç Ñ
        {"\x8A\x8E\x8C\x9F", "\x9A\x9E\x9C\xFF"},                 // Š Ž Œ Ÿ
        {"\xD8\xDE\xD0", "\xF8\xFE\xF0"},                         // Ø Þ Ð
        {"\xE4\xDF\xFF", "\xE4\xDF\xFF"},                         // already lower, ß has no one-byte capital
        {"\x95\xD7\xF7\x80 .,-!", "\x95\xD7\xF7\x80 .,-!"},       // bullet, ×, ÷, euro, punctuation
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(::AnsiText::LowerCase(c.Text), c.Expected) << c.Text;
}

TEST_F(AnsiText, LowerCaseTouchesNoByteThatIsNotACapital)
{
    const auto& table = ::AnsiText::LowerTable();
    for (int b = 0; b < 256; ++b) {
        const bool capital = (b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7) || b == 0x8A ||
                             b == 0x8C || b == 0x8E || b == 0x9F;
        if (capital)
            EXPECT_NE(table[b], b) << b;
        else
            EXPECT_EQ(table[b], b) << b;
    }
}

TEST_F(AnsiText, TheTableFollowsTheDefaultLocale)
{
    // Turkish lowers I to a dotless i, which the code page lacks: the plain i is
    // the nearest, and the table must not keep the Finnish state either way.
    EXPECT_EQ(::AnsiText::LowerCase("I\xC4"), "i\xE4");
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    EXPECT_EQ(::AnsiText::LowerCase("I\xC4"), "i\xE4");
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    EXPECT_EQ(::AnsiText::LowerCase("I\xC4"), "i\xE4");
}

TEST_F(AnsiText, CapitalsWithAManyCharacterLowerCaseAreStillLowered)
{
    // Lithuanian lowers Ì and Í to an i with a combining dot and accent: three
    // characters, none of which is the byte wanted. The one-byte ì and í are.
    QLocale::setDefault(QLocale(QLocale::Lithuanian, QLocale::Lithuania));
    EXPECT_EQ(::AnsiText::LowerCase("\xCC\xCD\xCE I"), "\xEC\xED\xEE i");
}

TEST_F(AnsiText, LowerCaseInPlaceUsesTheTableGiven)
{
    ::AnsiText::TLowerTable shout{};
    for (int b = 0; b < 256; ++b)
        shout[b] = static_cast<unsigned char>(b >= 'a' && b <= 'z' ? b - 32 : b);
    std::string text = "mixed Case";
    ::AnsiText::LowerCaseInPlace(text, shout);
    EXPECT_EQ(text, "MIXED CASE");
}

TEST_F(AnsiText, CompareTextIgnoresCaseAndFollowsTheLocale)
{
    const struct {
        std::string A, B;
        int Sign;
    } finnish[] = {
        {"abc", "ABC", 0},
        {"\xE4iti", "\xC4ITI", 0}, // äiti / ÄITI
        {"Helsinki", "hELSINKI", 0},
        {"a", "B", -1},
        {"B", "a", 1},
        {"Zebra", "\xD6ljy", -1}, // in Finnish Ö comes after Z
        {"", "a", -1},
        {"", "", 0},
    };
    for (const auto& c : finnish)
        EXPECT_EQ(Sign(::AnsiText::CompareText(c.A, c.B)), c.Sign) << c.A << " / " << c.B;

    // German files the same Ö with O, before Z: the collation is the locale's, not a byte order.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_GT(::AnsiText::CompareText("Zebra", "\xD6ljy"), 0);
}

TEST_F(AnsiText, CollationKeysOrderAsCompareText)
{
    const std::vector<std::string> texts = {"b", "A", "\xC4", "a", "Z", "\xF6", "ab", "", "AB", "o"};
    const auto keys = ::AnsiText::CollationKeys(texts);
    ASSERT_EQ(keys.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        for (size_t j = 0; j < texts.size(); ++j)
            EXPECT_EQ(Sign(keys[i].compare(keys[j])), Sign(::AnsiText::CompareText(texts[i], texts[j])))
                << texts[i] << " / " << texts[j];
}

// In the C locale the texts are case-folded before they are collated: two
// characters of the code page collate equal exactly when they fold alike.
TEST_F(AnsiText, TheCLocaleCollatesEveryCharacterByItsCaseFolding)
{
    QLocale::setDefault(QLocale::c());
    std::vector<std::string> texts;
    std::vector<QString> folded;
    for (int b = 1; b < 256; ++b) {
        texts.emplace_back(1, static_cast<char>(b));
        folded.push_back(Cp1252::ToQString(texts.back()).toCaseFolded());
    }
    const auto keys = ::AnsiText::CollationKeys(texts);
    ASSERT_EQ(keys.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        for (size_t j = 0; j < texts.size(); ++j)
            ASSERT_EQ(keys[i].compare(keys[j]) == 0, folded[i] == folded[j]) << i + 1 << " / " << j + 1;
}

} // namespace

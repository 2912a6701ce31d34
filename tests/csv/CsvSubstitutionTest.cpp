/*
 * The closest Windows-1252 form of letters the catalogue cannot hold: marks
 * dropped, the stroked letters, Cyrillic and Greek transliterated in their
 * case, and "?" for the rest; every result fits the catalogue.
 */
#include "csv/CsvSubstitution.h"
#include "platform/Cp1252.h"

#include <gtest/gtest.h>

namespace {

TEST(CsvSubstitution, GivesTheClosestWindowsForm)
{
    const struct {
        char32_t Letter;
        const char* Expected; // UTF-8
    } cases[] = {
        {U'ł', "l"},    {U'Ł', "L"},    {U'ő', "o"}, {U'Ą', "A"},  {U'ǆ', "dž"}, {U'ﬁ', "fi"},     {U'Ж', "Zh"},
        {U'щ', "shch"}, {U'Щ', "Shch"}, {U'ё', "ë"}, {U'ъ', "”"},  {U'ї', "yi"}, {U'θ', "th"},     {U'Ω', "O"},
        {U'ή', "i"},    {U'Ά', "A"},    {U'−', "-"}, {U'日', "?"}, {U'😀', "?"},  {U'\u0301', "?"},
    };
    for (const auto& c : cases) {
        const QString latin = TCsvSubstitution::For(c.Letter);
        EXPECT_EQ(latin, QString::fromUtf8(c.Expected)) << static_cast<uint32_t>(c.Letter);
        EXPECT_TRUE(Cp1252::CanHold(latin)) << static_cast<uint32_t>(c.Letter);
    }
}

} // namespace

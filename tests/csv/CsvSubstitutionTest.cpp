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

// A row a rule: the letters around one decide its form.
TEST(CsvSubstitution, FollowsTheRulesOfTheStandardsInContext)
{
    const struct {
        const char* Text; // UTF-8
        const char* Expected;
    } cases[] = {
        {"Μουσική Οδύσσεια", "Mousiki Odysseia"}, // ου
        {"ΜΟΥΣΙΚΗ", "MOUSIKI"},                   // a word of capitals stays capitals
        {"Ευριπίδης", "Evripidis"},               // ευ before a voiced consonant
        {"αυτός", "aftos"},                       // αυ before a voiceless one
        {"Ζευς ευ", "Zefs ef"},                   // ευ before ς and at the end of a word
        {"ηυ", "if"},                             //
        {"Αΰ", "Ay"},                             // a diaeresis keeps two letters apart
        {"μπάλα λάμπα", "bala lamba"},            // μπ at the start and inside a word
        {"ντομάτα πέντε", "domata pente"},        // ντ likewise
        {"άγγελος άγκυρα σφίγξ έγχορδο", "angelos agkyra sfinx enchordo"},
        {"Евгений", "Yevgeniy"},                    // е at the start of a word
        {"Достоевский", "Dostoyevskiy"},            // е after a vowel
        {"подъезд Васильев", "pod”yezd Vasil’yev"}, // е after ъ and ь
        {"ёлка моё Пётр", "yëlka moyë Pëtr"},       // ё likewise
        {"ЩУКА И ЁЖ", "SHCHUKA I YËZH"},            // capitals
        {"Щука", "Shchuka"},                        // a capital starts a word
        {"Łódź ok 日", "Lódz ok ?"},                // letter by letter; ó is held
    };
    for (const auto& c : cases) {
        const QString latin = TCsvSubstitution::Text(QString::fromUtf8(c.Text));
        EXPECT_EQ(latin, QString::fromUtf8(c.Expected)) << c.Text;
        EXPECT_TRUE(Cp1252::CanHold(latin)) << c.Text;
    }
}

} // namespace

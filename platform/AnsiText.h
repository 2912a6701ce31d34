// Locale-aware text services on Windows-1252 bytes: lower-casing one character
// for one (accented capitals included) and case-insensitive collation, both in
// the default locale (QLocale()).
#pragma once

#include <QCollatorSortKey>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace AnsiText {

using TLowerTable = std::array<unsigned char, 256>;

// The byte-for-byte lower-case map of the default locale (cached per locale).
const TLowerTable& LowerTable();

std::string LowerCase(std::string_view text);
void LowerCaseInPlace(std::string& text, const TLowerTable& table);

// <0, 0, >0 like strcmp, ignoring case, by the default locale's collation.
int CompareText(const std::string& a, const std::string& b);

// Sort keys for CompareText, made in one go for many texts: comparing two keys
// gives the same order as CompareText on their texts, at a fraction of the cost.
std::vector<QCollatorSortKey> CollationKeys(const std::vector<std::string_view>& texts);
std::vector<QCollatorSortKey> CollationKeys(const std::vector<std::string>& texts);
// The same for UTF-8 texts (a book's details), in the same collation.
std::vector<QCollatorSortKey> CollationKeysOfUtf8(const std::vector<std::string_view>& texts);
// The locale whose collation CollationKeys follows now.
QString CollationLocale();

} // namespace AnsiText

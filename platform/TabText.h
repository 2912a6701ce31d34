// Texts in the tab-separated lines of the history and the details file: a
// tab, a backslash, CR or LF inside a text is written \t, \\, \r, \n, so a
// line holds any text and splits at its tabs alone.
#pragma once

#include <string>
#include <string_view>

namespace TabText {

// A tab, then the text escaped.
void Append(std::string& line, std::string_view text);
// The text unescaped into out (cleared first), or only checked where out is
// nullptr; false for a backslash that starts no escape.
bool Unescaped(std::string_view text, std::string* out);

} // namespace TabText

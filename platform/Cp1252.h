// Windows-1252 bytes <-> QString. The files and the engines hold 8-bit text;
// only the widgets see QString, and they convert here.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace Cp1252 {

QString ToQString(std::string_view bytes);
// Characters that Windows-1252 cannot hold become "?".
std::string FromQString(const QString& text);
// Whether every character of text has a Windows-1252 byte.
bool CanHold(const QString& text);

// One byte <-> one code point; bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D map to
// the C1 control of the same value, as Windows does.
char16_t ToUnicode(unsigned char byte);
// -1 when the character has no Windows-1252 byte.
int FromUnicode(char16_t ch);

} // namespace Cp1252

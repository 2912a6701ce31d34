// Texts in failure messages: quoted, with every byte outside printable ASCII
// (line breaks, NUL, Windows-1252 letters) written as \xNN.
#pragma once

#include <string>

inline std::string Quoted(const std::string& text)
{
    static const char Hex[] = "0123456789ABCDEF";
    std::string quoted = "\"";
    for (unsigned char c : text) {
        if (c >= 32 && c < 127 && c != '\\') {
            quoted += static_cast<char>(c);
        } else {
            quoted += "\\x";
            quoted += Hex[c >> 4];
            quoted += Hex[c & 15];
        }
    }
    return quoted + "\"";
}

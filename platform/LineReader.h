// Reads lines from the bytes of a text file the way both data files are read:
// a line ends at LF or CR LF, a CR that no LF follows is dropped from the text,
// a byte 26 (Ctrl+Z) ends the data, lines may be of any length, and the last
// line may lack its end. Reading past the end gives empty lines.
#pragma once

#include <string>
#include <string_view>

class TLineReader {
public:
    explicit TLineReader(std::string_view data);

    bool AtEnd() const { return Pos >= Data.size(); }
    // Whether a byte 26 in data is followed by anything but line ends (CR,
    // LF, more bytes 26). Old editors leave one after the last line, where it
    // ends nothing; one with text after it would silently drop that text, so
    // the stores refuse such a file as damaged instead of loading part of it.
    static bool TextAfterCtrlZ(std::string_view data);
    std::string ReadLine();

private:
    std::string_view Data;
    size_t Pos = 0;
};

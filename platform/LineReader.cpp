#include "platform/LineReader.h"

#include <cstring>

namespace {

constexpr char CtrlZ = 26;

std::string_view CutAtCtrlZ(std::string_view data)
{
    const size_t end = data.find(CtrlZ);
    return end == std::string_view::npos ? data : data.substr(0, end);
}

} // namespace

TLineReader::TLineReader(std::string_view data) : Data(CutAtCtrlZ(data)) {}

bool TLineReader::TextAfterCtrlZ(std::string_view data)
{
    const size_t end = data.find(CtrlZ);
    return end != std::string_view::npos && data.find_first_not_of("\r\n\x1a", end) != std::string_view::npos;
}

std::string TLineReader::ReadLine()
{
    if (AtEnd())
        return {};
    const char* begin = Data.data() + Pos;
    const size_t left = Data.size() - Pos;
    const void* lf = std::memchr(begin, '\n', left);
    const size_t length = lf ? static_cast<size_t>(static_cast<const char*>(lf) - begin) : left;
    Pos += lf ? length + 1 : length;

    std::string_view raw(begin, length);
    const size_t cr = raw.find('\r');
    if (cr == std::string_view::npos)
        return std::string(raw);
    // The usual line: its only CR the one before LF, copied whole without it.
    if (cr + 1 == length)
        return std::string(raw.substr(0, cr));
    // Any CR inside the line, the one before LF included, is not text.
    std::string line;
    line.reserve(length);
    for (char c : raw)
        if (c != '\r')
            line.push_back(c);
    return line;
}

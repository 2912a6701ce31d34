#include "platform/Cp1252.h"

#include <cstdint>
#include <cstring>

namespace Cp1252 {

namespace {

// 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr char16_t High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

char16_t ToUnicode(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? High[byte - 0x80] : char16_t(byte);
}

int FromUnicode(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return ch;
    for (int i = 0; i < 32; ++i)
        if (High[i] == ch)
            return 0x80 + i;
    return -1;
}

QString ToQString(std::string_view bytes)
{
    if (bytes.empty())
        return QString(0, Qt::Uninitialized);
    // Widened as Latin-1 in one pass (Qt's is vectorised), then the few
    // characters of 0x80..0x9F mended: book lists convert thousands of texts,
    // nearly all of them without such a character.
    QString text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t i = 0;
    // Eight bytes at a time while none has its top bit set.
    for (uint64_t word; i + sizeof word <= bytes.size(); i += sizeof word) {
        std::memcpy(&word, data + i, sizeof word);
        if (word & 0x8080808080808080u)
            break;
    }
    QChar* out = nullptr;
    for (; i < bytes.size(); ++i) {
        if (data[i] >= 0x80 && data[i] < 0xA0) {
            if (!out)
                out = text.data();
            out[i] = QChar(High[data[i] - 0x80]);
        }
    }
    return text;
}

std::string FromQString(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text.at(i).unicode();
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i; // one character outside the code page, one "?"
        const int byte = FromUnicode(ch);
        bytes.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return bytes;
}

bool CanHold(const QString& text)
{
    for (const QChar ch : text)
        if (FromUnicode(ch.unicode()) < 0)
            return false;
    return true;
}

} // namespace Cp1252

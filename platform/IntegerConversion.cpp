#include "platform/IntegerConversion.h"

#include "platform/EConvertError.h"

namespace IntegerConversion {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool TryStrToInt(std::string_view text, int32_t& value)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i == text.size())
        return false;

    // Hexadecimal: "$", "0x"/"0X" or "x"/"X", never after a sign.
    size_t hexStart = std::string_view::npos;
    if (text[i] == '$' || text[i] == 'x' || text[i] == 'X')
        hexStart = i + 1;
    else if (text[i] == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X'))
        hexStart = i + 2;
    if (hexStart != std::string_view::npos) {
        const size_t digits = text.size() - hexStart;
        if (digits == 0 || digits > 8)
            return false;
        uint32_t pattern = 0;
        for (size_t k = hexStart; k < text.size(); ++k) {
            const int d = HexDigit(text[k]);
            if (d < 0)
                return false;
            pattern = (pattern << 4) | static_cast<uint32_t>(d);
        }
        value = static_cast<int32_t>(pattern);
        return true;
    }

    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return false;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > int64_t(INT32_MAX) + 1)
            return false;
    }
    const int64_t result = negative ? -magnitude : magnitude;
    if (result > INT32_MAX || result < INT32_MIN)
        return false;
    value = static_cast<int32_t>(result);
    return true;
}

int32_t StrToInt(const std::string& text)
{
    int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError::NotAnInteger(text);
    return value;
}

std::string IntToStr(int32_t value)
{
    return std::to_string(value);
}

} // namespace IntegerConversion

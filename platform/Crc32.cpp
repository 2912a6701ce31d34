#include "platform/Crc32.h"

namespace {

// Table k gives the CRC of a byte followed by k zero bytes.
using TCrcTables = std::array<std::array<uint32_t, 256>, 8>;

const TCrcTables& CrcTables()
{
    static const TCrcTables tables = [] {
        TCrcTables t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (size_t k = 1; k < t.size(); ++k)
            for (size_t i = 0; i < 256; ++i)
                t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFFu];
        return t;
    }();
    return tables;
}

} // namespace

namespace Crc32 {

uint32_t Of(const char* data, size_t size)
{
    const TCrcTables& t = CrcTables();
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto word = [](const unsigned char* b) {
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    };
    uint32_t crc = 0xFFFFFFFFu;
    for (; size >= 8; p += 8, size -= 8) {
        const uint32_t one = crc ^ word(p);
        const uint32_t two = word(p + 4);
        crc = t[7][one & 0xFFu] ^ t[6][(one >> 8) & 0xFFu] ^ t[5][(one >> 16) & 0xFFu] ^ t[4][one >> 24] ^
              t[3][two & 0xFFu] ^ t[2][(two >> 8) & 0xFFu] ^ t[1][(two >> 16) & 0xFFu] ^ t[0][two >> 24];
    }
    for (; size > 0; ++p, --size)
        crc = t[0][(crc ^ *p) & 0xFFu] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::array<char, 8> Hex(uint32_t value)
{
    static const char digits[] = "0123456789abcdef";
    std::array<char, 8> text{};
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = digits[(value >> (28 - 4 * i)) & 0xFu];
    return text;
}

} // namespace Crc32

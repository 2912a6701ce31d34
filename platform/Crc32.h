// CRC-32 (the polynomial of zip and PNG), eight bytes a step, and its eight
// lower-case hex digits: the history's line checksum and the details file's
// fingerprints.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Crc32 {

uint32_t Of(const char* data, size_t size);
inline uint32_t Of(std::string_view text)
{
    return Of(text.data(), text.size());
}
std::array<char, 8> Hex(uint32_t value);

} // namespace Crc32

#include "engine/Covers.h"

#include "platform/Crc32.h"
#include "platform/EInOutError.h"
#include "platform/TextFile.h"

namespace {

bool AllOf(std::string_view text, bool (*test)(char))
{
    if (text.empty())
        return false;
    for (const char c : text)
        if (!test(c))
            return false;
    return true;
}

bool Digit(char c)
{
    return c >= '0' && c <= '9';
}

bool LowerHex(char c)
{
    return Digit(c) || (c >= 'a' && c <= 'f');
}

std::string NameOf(int32_t id, uint32_t crc, int copy)
{
    const auto hex = Crc32::Hex(crc);
    // Appended piece by piece: `"-" + std::to_string(...)` draws a false
    // -Wrestrict report from GCC 12 in optimised builds.
    std::string name = std::to_string(id);
    name += '-';
    name.append(hex.data(), hex.size());
    if (copy > 1) {
        name += '-';
        name += std::to_string(copy);
    }
    name += ".jpg";
    return name;
}

} // namespace

namespace Covers {

std::string FolderOf(const std::string& database)
{
    return TTextFile::SideFileName(database, ".covers");
}

bool IsCoverName(std::string_view value)
{
    constexpr std::string_view suffix = ".jpg";
    if (value.size() <= suffix.size() || value.substr(value.size() - suffix.size()) != suffix)
        return false;
    value.remove_suffix(suffix.size());
    const size_t dash = value.find('-');
    if (dash == std::string_view::npos || dash > 10 || !AllOf(value.substr(0, dash), Digit))
        return false;
    value.remove_prefix(dash + 1);
    if (value.size() < 8 || !AllOf(value.substr(0, 8), LowerHex))
        return false;
    value.remove_prefix(8);
    if (value.empty())
        return true;
    return value.front() == '-' && value.size() <= 10 && AllOf(value.substr(1), Digit);
}

std::string PathOf(const std::string& database, const std::string& value)
{
    if (!IsCoverName(value))
        return {};
    return FolderOf(database) + "/" + value;
}

std::string Store(const std::string& database, int32_t id, const std::string& jpeg)
{
    if (id <= 0)
        throw EInOutError("A cover needs the number of its book");
    const std::string folder = FolderOf(database);
    TTextFile::MakeSideFolder(folder, database);
    const uint32_t crc = Crc32::Of(jpeg);
    // A name is taken by other bytes only where two pictures of one book
    // share a CRC, or a file was put there by hand; a few tries always do.
    for (int copy = 1; copy <= 100; ++copy) {
        const std::string name = NameOf(id, crc, copy);
        const std::string path = folder + "/" + name;
        if (!TTextFile::Exists(path)) {
            TTextFile::WriteSideFile(path, jpeg, database);
            return name;
        }
        if (TTextFile::SizeOf(path) == static_cast<int64_t>(jpeg.size()) && TTextFile::ReadAll(path) == jpeg)
            return name;
    }
    throw EInOutError("No free name for a cover of book " + std::to_string(id) + " in " + folder);
}

} // namespace Covers

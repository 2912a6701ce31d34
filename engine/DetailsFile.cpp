#include "engine/DetailsFile.h"

#include "platform/Crc32.h"
#include "platform/TabText.h"
#include "platform/TextFile.h"

#include <charconv>

namespace {

const std::string_view HeaderLine = "Volumnia details";
const std::string_view JournalMark = "journal";
const std::string_view DueMovedMark = "due dates moved";

std::vector<std::string_view> Split(std::string_view line)
{
    std::vector<std::string_view> parts;
    size_t from = 0;
    while (true) {
        const size_t tab = line.find('\t', from);
        parts.push_back(line.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from));
        if (tab == std::string_view::npos)
            return parts;
        from = tab + 1;
    }
}

bool IsHex8(std::string_view text)
{
    if (text.size() != 8)
        return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

bool ReadHash(std::string_view text, uint32_t& hash)
{
    if (!IsHex8(text))
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), hash, 16);
    return error == std::errc() && end == text.data() + text.size();
}

bool ReadRow(std::string_view line, TDetailsRow& row)
{
    const std::vector<std::string_view> parts = Split(line);
    if (parts.size() < 4 || parts.size() % 2 != 0 || !IsHex8(parts[1]))
        return false;
    const std::string_view id = parts[0];
    const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), row.ID);
    if (error != std::errc() || end != id.data() + id.size() || row.ID <= 0)
        return false;
    row.Fingerprint = std::string(parts[1]);
    row.Details.Clear();
    std::string key;
    std::string value;
    for (size_t i = 2; i < parts.size(); i += 2) {
        if (!TabText::Unescaped(parts[i], &key) || key.empty() || !TabText::Unescaped(parts[i + 1], &value) ||
            row.Details.Has(key))
            return false;
        row.Details.Set(key, std::move(value));
    }
    return !row.Details.Empty();
}

void AddRows(std::string& out, const std::vector<TDetailsRow>& rows)
{
    for (const TDetailsRow& row : rows)
        DetailsFile::AppendRow(out, row.ID, row.Fingerprint, row.Details);
}

std::string HexOf(uint32_t value)
{
    const std::array<char, 8> hex = Crc32::Hex(value);
    return std::string(hex.data(), hex.size());
}

} // namespace

namespace DetailsFile {

std::string FileNameFor(const std::string& databaseFileName)
{
    return TTextFile::SideFileName(databaseFileName, ".details");
}

std::string Fingerprint(const TItem& book)
{
    std::string text = book.Fields[0];
    text += '\x1f';
    text += book.Fields[1];
    return HexOf(Crc32::Of(text));
}

std::string Header(bool dueMoved)
{
    std::string out(HeaderLine);
    out += "\r\n";
    if (dueMoved) {
        out += DueMovedMark;
        out += "\r\n";
    }
    return out;
}

void AppendRow(std::string& out, int32_t id, std::string_view fingerprint, const TDetails& details)
{
    out += std::to_string(id);
    TabText::Append(out, fingerprint);
    for (const auto& [key, value] : details.Values()) {
        TabText::Append(out, key);
        TabText::Append(out, value);
    }
    out += "\r\n";
}

std::string Journaled(const std::string& after, uint32_t hashAfter, uint32_t hashBefore, const std::string& before)
{
    std::string out;
    out.reserve(after.size() + before.size() + 32);
    out = after;
    out += JournalMark;
    out += '\t' + HexOf(hashAfter) + '\t' + HexOf(hashBefore) + "\r\n";
    // The rows before without the header (a "due dates moved" line after
    // it is read wherever it stands).
    out.append(before, std::min(before.size(), Header().size()), std::string::npos);
    return out;
}

std::string Format(const std::vector<TDetailsRow>& rows, bool dueMoved)
{
    std::string out = Header(dueMoved);
    AddRows(out, rows);
    return out;
}

std::string FormatJournaled(const std::vector<TDetailsRow>& rows, uint32_t hashAfter, uint32_t hashBefore,
                            const std::vector<TDetailsRow>& rowsBefore, bool dueMoved)
{
    std::string out = Format(rows, dueMoved);
    out += JournalMark;
    out += '\t' + HexOf(hashAfter) + '\t' + HexOf(hashBefore) + "\r\n";
    AddRows(out, rowsBefore);
    return out;
}

TContent Parse(std::string_view bytes)
{
    TContent content;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    bool first = true;
    std::vector<TDetailsRow>* into = &content.Rows;
    size_t from = 0;
    while (from < bytes.size()) {
        size_t end = bytes.find('\n', from);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(from, end - from);
        from = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (first) {
            first = false;
            if (line != HeaderLine) {
                content.NotOurs = true;
                return content;
            }
            continue;
        }
        if (line.empty())
            continue;
        if (line == DueMovedMark) {
            content.DueMoved = true;
            continue;
        }
        if (line.substr(0, JournalMark.size() + 1) == std::string(JournalMark) + '\t') {
            const std::vector<std::string_view> parts = Split(line);
            if (!content.HasJournal && parts.size() == 3 && ReadHash(parts[1], content.HashAfter) &&
                ReadHash(parts[2], content.HashBefore)) {
                content.HasJournal = true;
                into = &content.RowsBefore;
            } else {
                ++content.Damaged;
            }
            continue;
        }
        TDetailsRow row;
        if (ReadRow(line, row))
            into->push_back(std::move(row));
        else
            ++content.Damaged;
    }
    if (first && !bytes.empty())
        content.NotOurs = true;
    return content;
}

const std::vector<TDetailsRow>& RowsFor(const TContent& content, uint32_t databaseHash)
{
    return RowsFor(const_cast<TContent&>(content), databaseHash);
}

std::vector<TDetailsRow>& RowsFor(TContent& content, uint32_t databaseHash)
{
    if (content.HasJournal && databaseHash == content.HashBefore && databaseHash != content.HashAfter)
        return content.RowsBefore;
    return content.Rows;
}

} // namespace DetailsFile

#include "engine/History.h"

#include "platform/EInOutError.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

const char* const Mark = "VH1";

uint32_t Crc32(const char* data, size_t size)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xFFu] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string Hex(uint32_t value)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

void AddText(std::string& line, const std::string& text)
{
    line += '\t';
    for (const char c : text) {
        switch (c) {
        case '\t':
            line += "\\t";
            break;
        case '\\':
            line += "\\\\";
            break;
        case '\r':
            line += "\\r";
            break;
        case '\n':
            line += "\\n";
            break;
        default:
            line += c;
        }
    }
}

bool Unescaped(std::string_view text, std::string& out)
{
    out.clear();
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return false;
        switch (text[i]) {
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        default:
            return false;
        }
    }
    return true;
}

bool Number(std::string_view text, long long& value)
{
    if (text.empty() || text.size() > 19)
        return false;
    const std::string digits(text);
    char* end = nullptr;
    value = std::strtoll(digits.c_str(), &end, 10);
    return end == digits.c_str() + digits.size();
}

std::vector<std::string_view> Split(std::string_view line)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        const size_t tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos)
            return parts;
        start = tab + 1;
    }
}

// The lines of the file's bytes; the last one without its CR LF is cut.
std::vector<std::string> Lines(const std::string& bytes, bool& cutAtEnd)
{
    std::vector<std::string> lines;
    size_t start = 0;
    cutAtEnd = false;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            cutAtEnd = true;
            return lines;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

} // namespace

THistory::THistory(const std::string& databaseFileName) : FFileName(FileNameFor(databaseFileName)) {}

std::string THistory::FileNameFor(const std::string& databaseFileName)
{
    return databaseFileName + ".history";
}

std::string THistory::Encode(const THistoryEntry& entry)
{
    std::string line = Mark;
    line += '\t' + std::to_string(entry.Time);
    AddText(line, entry.Program);
    line += '\t' + KindName(entry.Change.Kind);
    line += '\t' + std::to_string(entry.Change.Books.size());
    for (const TBookChange::TBook& book : entry.Change.Books) {
        line += '\t' + std::to_string(book.ID) + '\t';
        line += book.Before ? 'B' : '-';
        line += book.After ? 'A' : '-';
        for (const std::optional<TItem>* item : {&book.Before, &book.After})
            if (*item)
                for (const std::string& field : (*item)->Fields)
                    AddText(line, field);
    }
    line += '\t' + Hex(Crc32(line.data(), line.size()));
    line += "\r\n";
    return line;
}

bool THistory::Decode(const std::string& line, THistoryEntry& entry)
{
    const size_t lastTab = line.rfind('\t');
    if (lastTab == std::string::npos || line.size() - lastTab != 9 ||
        line.compare(lastTab + 1, 8, Hex(Crc32(line.data(), lastTab))) != 0)
        return false;
    const std::vector<std::string_view> parts = Split(std::string_view(line).substr(0, lastTab));
    if (parts.size() < 5 || parts[0] != Mark)
        return false;
    long long time = 0;
    long long count = 0;
    if (!Number(parts[1], time) || !Unescaped(parts[2], entry.Program) ||
        !KindFromName(std::string(parts[3]), entry.Change.Kind) || !Number(parts[4], count) || count < 0)
        return false;
    entry.Time = time;
    entry.Change.Books.clear();
    size_t at = 5;
    for (long long b = 0; b < count; ++b) {
        if (at + 2 > parts.size())
            return false;
        TBookChange::TBook book;
        long long id = 0;
        const std::string_view marks = parts[at + 1];
        if (!Number(parts[at], id) || marks.size() != 2 || (marks[0] != 'B' && marks[0] != '-') ||
            (marks[1] != 'A' && marks[1] != '-'))
            return false;
        book.ID = static_cast<int32_t>(id);
        at += 2;
        for (size_t which = 0; which < 2; ++which) {
            if (marks[which] == '-')
                continue;
            std::optional<TItem>& item = which == 0 ? book.Before : book.After;
            if (at + 10 > parts.size())
                return false;
            item = TItem{};
            item->ID = book.ID;
            for (size_t f = 0; f < 10; ++f)
                if (!Unescaped(parts[at + f], item->Fields[f]))
                    return false;
            at += 10;
        }
        entry.Change.Books.push_back(std::move(book));
    }
    return at == parts.size();
}

void THistory::Append(const THistoryEntry& entry)
{
    const std::string line = Encode(entry);
    // Only the size is needed here; the file is read only when it must be trimmed.
    const int64_t size = std::max<int64_t>(TTextFile::SizeOf(FFileName), 0);
    if (static_cast<size_t>(size) + line.size() <= FSizeLimit) {
        TTextFile::Append(FFileName, line);
        return;
    }
    // Keep the newest whole entries that, with the new one, fill three
    // quarters of the limit; damaged ones go with the trim.
    std::vector<std::string> lines;
    try {
        bool cut = false; // a cut last line goes with the trim
        lines = Lines(TTextFile::ReadAll(FFileName), cut);
    } catch (const EInOutError&) {
    }
    const size_t room = FSizeLimit / 4 * 3;
    size_t kept = line.size();
    size_t first = lines.size();
    THistoryEntry ignored;
    while (first > 0) {
        const std::string& previous = lines[first - 1];
        if (kept + previous.size() + 2 > room)
            break;
        kept += previous.size() + 2;
        --first;
    }
    std::string content;
    content.reserve(kept);
    for (size_t i = first; i < lines.size(); ++i)
        if (Decode(lines[i], ignored))
            content += lines[i] + "\r\n";
    content += line;
    TTextFile::WriteAtomically(FFileName, content);
}

std::vector<THistoryEntry> THistory::ReadAll(std::string* note) const
{
    std::vector<THistoryEntry> entries;
    if (!TTextFile::Exists(FFileName))
        return entries;
    std::string bytes;
    try {
        bytes = TTextFile::ReadAll(FFileName);
    } catch (const EInOutError& error) {
        if (note)
            *note = "The history " + FFileName + " could not be read (" + error.what() + ").";
        return entries;
    }
    bool cut = false;
    const std::vector<std::string> lines = Lines(bytes, cut);
    size_t damaged = cut ? 1 : 0;
    entries.reserve(lines.size());
    for (const std::string& line : lines) {
        if (line.empty())
            continue;
        THistoryEntry entry;
        if (Decode(line, entry))
            entries.push_back(std::move(entry));
        else
            ++damaged;
    }
    if (note && damaged > 0)
        *note = std::to_string(damaged) + (damaged == 1 ? " damaged entry" : " damaged entries") + " of the history " +
                FFileName + " passed over.";
    return entries;
}

// Reference readings of the two data files (see ReferenceReaders.h). Written for
// obviousness, not speed: byte by byte, one rule a line.
#include "fuzzing/ReferenceReaders.h"

#include <algorithm>
#include <climits>

namespace ReferenceReaders {

namespace {

bool IsDecimal(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHex(char c)
{
    return IsDecimal(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::optional<TValueKind> KindOfWord(const std::string& word)
{
    if (word == "vString")
        return TValueKind::vString;
    if (word == "vInteger")
        return TValueKind::vInteger;
    if (word == "vFloat")
        return TValueKind::vFloat;
    if (word == "vBoolean")
        return TValueKind::vBoolean;
    return std::nullopt;
}

const char* WordOfKind(TValueKind kind)
{
    switch (kind) {
    case TValueKind::vString:
        return "vString";
    case TValueKind::vInteger:
        return "vInteger";
    case TValueKind::vFloat:
        return "vFloat";
    case TValueKind::vBoolean:
        return "vBoolean";
    case TValueKind::vUnsaved:
        break;
    }
    return nullptr;
}

// Hands out the lines of a data file one at a time; past the last one, empty
// lines. A byte 26 ends the data, a line ends at LF, a CR is never text.
class TLineCursor {
public:
    explicit TLineCursor(std::string_view bytes) : Rest(bytes.substr(0, bytes.find('\x1a'))) {}

    // Any byte left, a lone CR included, starts one more line.
    bool AtEnd() const { return Rest.empty(); }

    std::string Next()
    {
        const size_t lf = Rest.find('\n');
        const std::string_view raw = Rest.substr(0, lf);
        Rest.remove_prefix(lf == std::string_view::npos ? Rest.size() : lf + 1);
        std::string line(raw.size(), '\0');
        line.erase(std::remove_copy(raw.begin(), raw.end(), line.begin(), '\r'), line.end());
        return line;
    }

private:
    std::string_view Rest;
};

} // namespace

std::vector<std::string> Lines(std::string_view bytes)
{
    std::vector<std::string> lines;
    for (TLineCursor cursor(bytes); !cursor.AtEnd();)
        lines.push_back(cursor.Next());
    return lines;
}

std::optional<int32_t> Integer(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);

    for (std::string_view prefix : {"$", "x", "X", "0x", "0X"}) {
        if (text.substr(0, prefix.size()) != prefix)
            continue;
        const std::string_view digits = text.substr(prefix.size());
        if (digits.empty() || digits.size() > 8 || !std::all_of(digits.begin(), digits.end(), IsHex))
            return std::nullopt;
        const unsigned long pattern = std::stoul(std::string(digits), nullptr, 16);
        return static_cast<int32_t>(static_cast<uint32_t>(pattern));
    }

    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !std::all_of(text.begin(), text.end(), IsDecimal))
        return std::nullopt;
    while (text.size() > 1 && text.front() == '0')
        text.remove_prefix(1);
    if (text.size() > 10) // more digits than any 32-bit number has
        return std::nullopt;
    const long long magnitude = std::stoll(std::string(text));
    const long long value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

// Whether a byte 26 is followed by anything but CR, LF or more bytes 26.
bool TextAfterCtrlZ(std::string_view bytes)
{
    const size_t at = bytes.find('\x1a');
    if (at == std::string_view::npos)
        return false;
    for (const char c : bytes.substr(at))
        if (c != '\r' && c != '\n' && c != '\x1a')
            return true;
    return false;
}

TExpectedDatabase ExpectedDatabase(std::string_view bytes)
{
    using TOutcome = TExpectedDatabase::TOutcome;
    TExpectedDatabase expected;
    if (TextAfterCtrlZ(bytes)) {
        expected.Outcome = TOutcome::TextAfterCtrlZ;
        return expected;
    }
    expected.Items.reserve(TableSlots); // one size for every input: cheap to recycle
    TLineCursor cursor(bytes);
    while (!cursor.AtEnd()) {
        const std::string idLine = cursor.Next();
        if (idLine.empty()) {
            // The rest of the file is ignored, the items before it stay;
            // unless text follows, which marks a damaged file.
            while (!cursor.AtEnd())
                if (!cursor.Next().empty())
                    expected.Outcome = TOutcome::TextAfterEmptyIdLine;
            expected.Empty = true;
            break;
        }
        if (expected.Items.size() == TableSlots) {
            expected.Outcome = TOutcome::TooManyItems;
            break;
        }
        const std::optional<int32_t> id = Integer(idLine);
        if (!id) {
            expected.Outcome = TOutcome::BadIdLine;
            expected.BadLine = idLine;
            break;
        }
        TItem& item = expected.Items.emplace_back();
        item.ID = *id;
        int missing = 0;
        for (std::string& field : item.Fields) {
            missing += cursor.AtEnd() ? 1 : 0;
            field = cursor.Next();
        }
        // The last item short of lines, its last line without an end: a cut.
        const std::string_view data = bytes.substr(0, bytes.find('\x1a'));
        if (missing > 0 && (data.empty() || data.back() != '\n')) {
            expected.Outcome = TOutcome::CutInsideALine;
            return expected;
        }
    }
    if (expected.Outcome == TOutcome::Loaded || expected.Outcome == TOutcome::BadIdLine) {
        std::vector<int32_t> ids;
        for (const TItem& item : expected.Items)
            ids.push_back(item.ID);
        std::sort(ids.begin(), ids.end());
        if (std::adjacent_find(ids.begin(), ids.end()) != ids.end())
            expected.Outcome = TOutcome::TwoOfOneId;
    }
    return expected;
}

std::string NotAnIntegerMessage(const std::string& text)
{
    const std::string quoted = text.size() <= 100 ? text : text.substr(0, 100) + "...";
    return "'" + quoted + "' is not a valid integer value";
}

std::string DatabaseFileOf(const std::vector<TItem>& items)
{
    std::string bytes;
    for (const TItem& item : items) {
        bytes += std::to_string(item.ID) + "\r\n";
        for (const std::string& field : item.Fields)
            bytes += field + "\r\n";
    }
    return bytes;
}

TExpectedSettings ExpectedSettings(std::string_view bytes)
{
    using TOutcome = TExpectedSettings::TOutcome;
    TExpectedSettings expected;
    expected.Values.reserve(TableSlots);
    if (TextAfterCtrlZ(bytes)) {
        expected.Outcome = TOutcome::Corrupted;
        return expected;
    }
    // Whether the data has ended is asked only before an entry's name line.
    for (TLineCursor cursor(bytes); !cursor.AtEnd();) {
        if (expected.Values.size() == TableSlots) {
            expected.Outcome = TOutcome::TooManyValues;
            break;
        }
        TValue value;
        value.Name = cursor.Next();
        value.Value = cursor.Next();
        const std::optional<TValueKind> kind = KindOfWord(cursor.Next());
        if (!kind) {
            expected.Outcome = TOutcome::Corrupted;
            break;
        }
        value.Kind = *kind;
        expected.Values.push_back(std::move(value));
    }
    return expected;
}

std::string SettingsFileOf(const std::vector<TValue>& values)
{
    std::string bytes;
    for (const TValue& value : values)
        if (const char* word = WordOfKind(value.Kind))
            bytes += value.Name + "\r\n" + value.Value + "\r\n" + word + "\r\n";
    return bytes;
}

} // namespace ReferenceReaders

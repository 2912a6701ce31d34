// The reference model of the settings store (see SettingsModel.h).
#include "tests/reliability/SettingsModel.h"

namespace {

TOutcome NotAnInteger(const std::string& text)
{
    return {"EConvertError", NotAnIntegerMessage(text)};
}

int HexValue(char c)
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

std::string TSettingsModel::Cleaned(const std::string& text)
{
    std::string cleaned = text;
    for (char& c : cleaned)
        if (c == '\r' || c == '\n' || c == 26)
            c = ' ';
    return cleaned;
}

const char* TSettingsModel::KindWord(TValueKind kind)
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
    default:
        return nullptr;
    }
}

bool TSettingsModel::ToInteger(const std::string& text, int32_t& value)
{
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos)
        return false;
    const std::string rest = text.substr(i);
    std::string hex;
    if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')
        hex = rest.substr(1);
    else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X'))
        hex = rest.substr(2);
    else {
        // Optional sign, then decimal digits within the 32-bit range.
        size_t d = rest[0] == '+' || rest[0] == '-' ? 1 : 0;
        const bool negative = rest[0] == '-';
        if (d == rest.size())
            return false;
        long long magnitude = 0;
        for (; d < rest.size(); ++d) {
            if (rest[d] < '0' || rest[d] > '9')
                return false;
            magnitude = magnitude * 10 + (rest[d] - '0');
            if (magnitude > 2147483648LL)
                return false;
        }
        if (!negative && magnitude > 2147483647LL)
            return false;
        value = static_cast<int32_t>(negative ? -magnitude : magnitude);
        return true;
    }
    if (hex.empty() || hex.size() > 8)
        return false;
    uint32_t pattern = 0;
    for (char c : hex) {
        if (HexValue(c) < 0)
            return false;
        pattern = pattern * 16 + static_cast<uint32_t>(HexValue(c));
    }
    value = static_cast<int32_t>(pattern);
    return true;
}

int32_t TSettingsModel::Find(const std::string& name) const
{
    // Names are held without line breaks, and asked for the same way.
    const std::string wanted = Cleaned(name);
    for (size_t i = 0; i < Entries.size(); ++i)
        if (Entries[i].Name == wanted)
            return static_cast<int32_t>(i);
    return -1;
}

TOutcome TSettingsModel::ReadString(const std::string& name, std::string& value) const
{
    if (Entries.empty())
        return {"EInvalidParam", "#104: No values saved."};
    const int32_t i = Find(name);
    if (i < 0)
        return {"EInvalidParam", "#105: Supplied value name not found."};
    value = Entries[static_cast<size_t>(i)].Value;
    return NoError();
}

TOutcome TSettingsModel::ReadInteger(const std::string& name, int32_t& value) const
{
    std::string text;
    const TOutcome read = ReadString(name, text);
    if (read.Raised())
        return read;
    if (!ToInteger(text, value))
        return NotAnInteger(text);
    return NoError();
}

bool TSettingsModel::ValueExists(const std::string& name) const
{
    return Find(name) >= 0;
}

TOutcome TSettingsModel::Save(TDisk disk) const
{
    if (disk == TDisk::FileMissing)
        return {"EKELTError", "#101: File does not exist."};
    if (disk == TDisk::WriteFails)
        return {"EInOutError", "Disk full"};
    return NoError();
}

TOutcome TSettingsModel::Write(const TValue& value, TDisk disk)
{
    const TValue cleaned{Cleaned(value.Name), Cleaned(value.Value), value.Kind};
    const int32_t i = Find(value.Name);
    if (i >= 0) {
        Entries[static_cast<size_t>(i)] = cleaned;
    } else {
        if (static_cast<int32_t>(Entries.size()) >= AddLimit)
            return {"EKELTError", "#107: Cannot add value. Too many values."};
        Entries.push_back(cleaned);
    }
    // The change is held whether or not the save that follows succeeds; a
    // successful save reads back exactly what it wrote.
    return Save(disk);
}

TOutcome TSettingsModel::WriteString(const std::string& name, const std::string& text, TDisk disk)
{
    return Write({name, text, TValueKind::vString}, disk);
}

TOutcome TSettingsModel::WriteInteger(const std::string& name, int32_t number, TDisk disk)
{
    return Write({name, std::to_string(number), TValueKind::vInteger}, disk);
}

std::string TSettingsModel::FileContent() const
{
    std::string bytes;
    for (const TValue& entry : Entries)
        if (const char* word = KindWord(entry.Kind))
            bytes += entry.Name + "\r\n" + entry.Value + "\r\n" + word + "\r\n";
    return bytes;
}

TOutcome TSettingsModel::Loaded(const TFileLoad& file)
{
    if (file.Missing)
        return {"EKELTError", "#103: File does not exist."};
    // A file that cannot be taken whole changes nothing.
    if (file.TooMany)
        return {"EKELTError", "#108: Too many values in the file."};
    if (file.Corrupt) // entries after a Ctrl+Z first included
        return {"EKELTError", "#102: File corrupted."};
    if (file.NoData)
        return NoError(); // the store keeps what it holds
    Entries = file.Entries;
    return NoError();
}

/*
 * The settings store: named text values held in memory and mirrored in one
 * plain text file of three lines a value (name, value, kind word). Every add
 * or update rewrites the whole file and reads it back, so memory and file agree
 * after each successful write.
 *
 * Two things make the store safer than a plain rewrite would be:
 * - a load parses into a staging list and only a complete, valid file replaces
 *   what is held, so a corrupt or oversized file never leaves half a store;
 * - a save goes through TTextFile::WriteAtomically, so a full disk or another
 *   write failure leaves the old file untouched instead of a truncated one;
 * - a save that would leave the file's bytes as they are writes nothing;
 * - a file that is no regular file is refused saying so, one far too big saying
 *   that;
 * - several values that belong together can be written in one save
 *   (WriteValues), so a kill between them never leaves half of them.
 */
#include "settings/RFileSystem.h"

#include "platform/IntegerConversion.h"
#include "platform/LineReader.h"
#include "platform/TextFile.h"
#include "settings/EInvalidParam.h"
#include "settings/EKELTError.h"

#include <algorithm>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr char CtrlZ = 26;

constexpr const char* SaveFileMissing = "#101: File does not exist.";
constexpr const char* FileCorrupted = "#102: File corrupted.";
constexpr const char* LoadFileMissing = "#103: File does not exist.";
constexpr const char* NoValuesSaved = "#104: No values saved.";
constexpr const char* NameNotFound = "#105: Supplied value name not found.";
constexpr const char* TooManyValues = "#107: Cannot add value. Too many values.";
constexpr const char* TooManyInFile = "#108: Too many values in the file.";

// The word written for a kind; null for a kind that is never written.
const char* KindWord(TValueKind kind)
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

// Kind words match exactly, case included; anything else is a corrupt file.
TValueKind KindFromWord(const std::string& word)
{
    for (TValueKind kind : {TValueKind::vString, TValueKind::vInteger, TValueKind::vFloat, TValueKind::vBoolean})
        if (word == KindWord(kind))
            return kind;
    throw EKELTError(FileCorrupted);
}

// What stands at path, when it is no regular file.
std::string KindOf(const std::string& path)
{
    struct stat info = {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISFIFO(info.st_mode))
            return "a FIFO";
        if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
            return "a device";
        if (S_ISSOCK(info.st_mode))
            return "a socket";
    }
    return "no regular file";
}

bool IsLineBreakByte(char c)
{
    return c == '\r' || c == '\n' || c == CtrlZ;
}

// The file holds one name or value a line, and a byte 26 would end the data
// on the next read: such bytes become blanks so the file always reads back.
std::string WithoutLineBreaks(std::string text)
{
    std::replace_if(text.begin(), text.end(), IsLineBreakByte, ' ');
    return text;
}

TValue WithoutLineBreaks(const TValue& value)
{
    return TValue{WithoutLineBreaks(value.Name), WithoutLineBreaks(value.Value), value.Kind};
}

} // namespace

TRFileSystem::TRFileSystem(const std::string& fileName) : FFileName(fileName)
{
    LoadFromFile();
}

void TRFileSystem::LoadFromFile()
{
    if (!TTextFile::Exists(FFileName))
        throw EKELTError(LoadFileMissing);
    std::string data;
    try {
        data = TTextFile::ReadAll(FFileName);
    } catch (const EFileTooLarge&) {
        throw; // says so, with the limit
    } catch (const EUnusableFile&) {
        // A FIFO, a device: no settings file, and nothing in it is corrupted.
        throw EKELTError("#109: " + FFileName + " is " + KindOf(FFileName) + ", not a file.");
    }
    // Entries after a Ctrl+Z would be lost at the next save: a damaged file.
    if (TLineReader::TextAfterCtrlZ(data))
        throw EKELTError(FileCorrupted);
    TLineReader reader(data);
    if (reader.AtEnd())
        return; // an empty file leaves the count as it was

    std::vector<TValue> staged;
    while (!reader.AtEnd()) {
        // Refused before anything is parsed past the capacity, so a huge file
        // costs no more memory than a full store.
        if (staged.size() == static_cast<size_t>(Capacity))
            throw EKELTError(TooManyInFile);
        TValue entry;
        entry.Name = reader.ReadLine();
        entry.Value = reader.ReadLine();
        entry.Kind = KindFromWord(reader.ReadLine());
        staged.push_back(std::move(entry));
    }

    for (size_t i = 0; i < staged.size(); ++i)
        Values[i] = std::move(staged[i]);
    FValueCount = static_cast<int32_t>(staged.size());
}

void TRFileSystem::SaveToFile()
{
    if (InMemoryOnly)
        return;
    if (!TTextFile::Exists(FFileName))
        throw EKELTError(SaveFileMissing);
    std::string content;
    for (int32_t i = 0; i < FValueCount; ++i) {
        const TValue& entry = Values[static_cast<size_t>(i)];
        const char* word = KindWord(entry.Kind);
        if (!word)
            continue;
        content.append(entry.Name).append("\r\n");
        content.append(entry.Value).append("\r\n");
        content.append(word).append("\r\n");
    }
    // Most writes store what the file holds already (the browser writes its
    // position at every mouse move over its margin): then the file is left as
    // it is, with no rename and no sync.
    TTextFile::WriteIfChanged(FFileName, content);
}

int32_t TRFileSystem::Find(const std::string& name) const
{
    // Names are stored without line breaks; a name asked for with them means
    // the entry it was stored under.
    const bool hasBreaks = std::any_of(name.begin(), name.end(), IsLineBreakByte);
    const std::string stored = hasBreaks ? WithoutLineBreaks(name) : std::string();
    const std::string& wanted = hasBreaks ? stored : name;
    for (int32_t i = 0; i < FValueCount; ++i)
        if (Values[static_cast<size_t>(i)].Name == wanted)
            return i;
    return -1;
}

void TRFileSystem::GetValue(const std::string& name, std::string& value) const
{
    if (FValueCount == 0)
        throw EInvalidParam(NoValuesSaved);
    const int32_t position = Find(name);
    if (position < 0)
        throw EInvalidParam(NameNotFound);
    value = Values[static_cast<size_t>(position)].Value;
}

bool TRFileSystem::ValueExists(const std::string& name) const
{
    return Find(name) >= 0;
}

void TRFileSystem::AddValue(const TValue& value)
{
    if (FValueCount >= MaxAdded)
        throw EKELTError(TooManyValues);
    Values[static_cast<size_t>(FValueCount)] = WithoutLineBreaks(value);
    ++FValueCount;
    SaveToFile();
    if (!InMemoryOnly)
        LoadFromFile();
}

void TRFileSystem::UpdateValue(const TValue& value)
{
    const int32_t position = Find(value.Name);
    if (position < 0)
        return;
    Values[static_cast<size_t>(position)] = WithoutLineBreaks(value);
    SaveToFile();
    if (!InMemoryOnly)
        LoadFromFile();
}

void TRFileSystem::WriteValues(const std::vector<TValue>& values)
{
    std::vector<std::string> added;
    for (const TValue& value : values) {
        const std::string name = WithoutLineBreaks(value.Name);
        if (Find(name) < 0 && std::find(added.begin(), added.end(), name) == added.end())
            added.push_back(name);
    }
    if (!added.empty() && FValueCount + static_cast<int64_t>(added.size()) > MaxAdded)
        throw EKELTError(TooManyValues);
    for (const TValue& value : values) {
        const int32_t position = Find(value.Name);
        Values[static_cast<size_t>(position >= 0 ? position : FValueCount++)] = WithoutLineBreaks(value);
    }
    SaveToFile();
    if (!InMemoryOnly)
        LoadFromFile();
}

TValue TRFileSystem::StringValue(const std::string& name, const std::string& text)
{
    return TValue{name, text, TValueKind::vString};
}

TValue TRFileSystem::IntegerValue(const std::string& name, int32_t number)
{
    return TValue{name, IntegerConversion::IntToStr(number), TValueKind::vInteger};
}

std::string TRFileSystem::ReadString(const std::string& name) const
{
    std::string value;
    GetValue(name, value);
    return value;
}

int32_t TRFileSystem::ReadInteger(const std::string& name) const
{
    return IntegerConversion::StrToInt(ReadString(name));
}

void TRFileSystem::WriteString(const std::string& name, const std::string& text)
{
    const TValue value{name, text, TValueKind::vString};
    if (ValueExists(name))
        UpdateValue(value);
    else
        AddValue(value);
}

void TRFileSystem::WriteInteger(const std::string& name, int32_t number)
{
    const TValue value{name, IntegerConversion::IntToStr(number), TValueKind::vInteger};
    if (ValueExists(name))
        UpdateValue(value);
    else
        AddValue(value);
}

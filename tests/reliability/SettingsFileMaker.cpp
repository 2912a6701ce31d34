// Settings files from outside, and what their reader must make of them (see
// SettingsFileMaker.h).
#include "tests/reliability/SettingsFileMaker.h"

namespace {

const std::vector<TValueKind> Kinds = {TValueKind::vString, TValueKind::vInteger, TValueKind::vFloat,
                                       TValueKind::vBoolean};

// Kind lines that are no kind word.
const std::vector<std::string> BadKindWords = {"vstring",  "VSTRING", "vString ", " vString",
                                               "vUnsaved", "Integer", "",         "vBool"};

// Ends of a file that stop inside an entry.
const std::vector<std::string> CutOffEntries = {"name", "name\r\n", "name\r\nvalue", "name\r\nvalue\r\n", "\r\n"};

} // namespace

void TSettingsFileMaker::AddEntries(int count)
{
    for (int i = 0; i < count; ++i) {
        // Big files are mostly names of their own, so that writes afterwards
        // add new names up to the limit of adding.
        const std::string name = count > 100 && Random.Chance(0.95) ? "bulk" + std::to_string(i) : Name();
        const TValue value{name, Value(), Random.PickFrom(Kinds)};
        File->Entries.push_back(value);
        for (const std::string& line : {value.Name, value.Value, std::string(TSettingsModel::KindWord(value.Kind))})
            Bytes += Random.WithLoneCr(line, 0.05) + Random.LineEnd(LineEnds);
    }
}

std::string TSettingsFileMaker::Clean(int entries, TSettingsModel::TFileLoad& file)
{
    File = &file;
    Bytes.clear();
    LineEnds = 0;
    AddEntries(entries);
    file.NoData = Bytes.empty();
    return Bytes;
}

std::string TSettingsFileMaker::Make(TSettingsModel::TFileLoad& file, std::string& shape)
{
    File = &file;
    Bytes.clear();
    LineEnds = Random.Uniform(0, 2); // CR LF, LF, either at random
    const auto end = [this] { return std::string(Random.LineEnd(LineEnds)); };
    const int pick = Random.Uniform(0, 19);
    switch (pick / 2) {
    case 0:
    case 1:
    case 2:
        // One time in twenty a file near the limit, which keeps the store
        // big (and every write slow) until the next file comes.
        if (pick == 5) {
            shape = "near the limit";
            AddEntries(Random.Uniform(1490, 1500));
            break;
        }
        shape = "clean";
        AddEntries(Random.Uniform(0, 40));
        if (Random.Chance(0.3) && !Bytes.empty()) // without the last line end
            Bytes.resize(Bytes.size() - (Bytes.size() > 1 && Bytes[Bytes.size() - 2] == '\r' ? 2 : 1));
        break;
    case 3:
        shape = "too many entries";
        AddEntries(Random.Uniform(1501, 1600));
        file.TooMany = true;
        break;
    case 4:
        shape = "a bad kind word";
        AddEntries(Random.Uniform(0, 10));
        Bytes += "name" + end() + "value" + end() + Random.PickFrom(BadKindWords) + end();
        AddEntries(Random.Uniform(0, 3));
        file.Corrupt = true;
        break;
    case 5:
        shape = "cut-off last entry";
        AddEntries(Random.Uniform(0, 10));
        Bytes += Random.PickFrom(CutOffEntries);
        file.Corrupt = true;
        break;
    case 6:
        shape = Random.Chance(0.5) ? "empty file" : "Ctrl+Z first";
        if (shape != "empty file") {
            // Line ends after a Ctrl+Z end nothing (entries after it are a
            // damaged file: the shape "Ctrl+Z between entries").
            Bytes = "\x1a";
            AddEntries(2);
            Bytes = "\x1a\r\n";
            file.Entries.clear();
        }
        break;
    case 7: {
        shape = "Ctrl+Z between entries";
        AddEntries(Random.Uniform(1, 10));
        const std::vector<TValue> before = file.Entries;
        Bytes += "\x1a";
        const int after = Random.Uniform(0, 3);
        AddEntries(after);
        file.Entries = before;
        file.Corrupt = after > 0;
        break;
    }
    default:
        shape = "duplicates and every kind";
        AddEntries(Random.Uniform(1, 30));
        for (int i = Random.Uniform(1, 5); i > 0; --i) {
            const TValue twin{Random.PickFrom(file.Entries).Name, Value(), Random.PickFrom(Kinds)};
            file.Entries.push_back(twin);
            Bytes += twin.Name + end() + twin.Value + end() + TSettingsModel::KindWord(twin.Kind) + end();
        }
        break;
    }
    file.NoData = Bytes.empty() || Bytes[0] == '\x1a';
    return Bytes;
}

// Database files from outside, and what their reader must make of them (see
// DatabaseFileMaker.h).
#include "tests/reliability/DatabaseFileMaker.h"

namespace {

// ID lines that are no whole number.
const std::vector<std::string> BadIdLines = {"12a",
                                             "1 2",
                                             "2147483648",
                                             "-2147483649",
                                             "-",
                                             "+",
                                             "0x",
                                             "$",
                                             "$123456789",
                                             "\xEF\xBB\xBF"
                                             "7",
                                             "7 ",
                                             "\t7",
                                             "--1",
                                             "0x-1",
                                             "x",
                                             "1e3",
                                             "\xA0"
                                             "1",
                                             std::string("\0"
                                                         "1",
                                                         2)};

} // namespace

void TDatabaseFileMaker::AddItems(int count, const std::function<int32_t(int)>& id)
{
    for (int i = 0; i < count; ++i) {
        TItem item;
        item.ID = id(i);
        for (std::string& field : item.Fields)
            field = FieldText();
        File->Items.push_back(item);
        Bytes += Random.NumberText(item.ID) + Random.LineEnd(LineEnds);
        for (const std::string& field : item.Fields)
            Bytes += Random.WithLoneCr(field, 0.1) + Random.LineEnd(LineEnds);
    }
}

std::string TDatabaseFileMaker::Clean(int count, const std::function<int32_t(int)>& id, TDatabaseModel::TFileLoad& file)
{
    File = &file;
    Bytes.clear();
    LineEnds = 0;
    AddItems(count, id);
    file.Bytes = Bytes.size();
    file.NoData = Bytes.empty();
    return Bytes;
}

std::string TDatabaseFileMaker::Make(TDatabaseModel::TFileLoad& file, std::string& shape)
{
    File = &file;
    Bytes.clear();
    LineEnds = Random.Uniform(0, 2); // CR LF, LF, either at random
    const auto end = [this] { return std::string(Random.LineEnd(LineEnds)); };
    // Small IDs repeat; the big files count up.
    const auto smallId = [this](int) { return Random.Uniform(-3, 40); };
    const auto countingId = [](int i) { return i * 2 + 1; };
    switch (Random.Uniform(0, 9)) {
    case 0:
    case 1:
        shape = "clean";
        AddItems(Random.Uniform(0, 40), smallId);
        if (Random.Chance(0.3) && !Bytes.empty()) // without the last line end
            Bytes.resize(Bytes.size() - (Bytes.size() > 1 && Bytes[Bytes.size() - 2] == '\r' ? 2 : 1));
        break;
    case 2:
        shape = "near the limit";
        AddItems(Random.Uniform(1480, 1500), countingId);
        break;
    case 3:
        shape = "empty ID line";
        AddItems(Random.Uniform(0, 12), smallId);
        // A line of CRs alone is empty too. Text after it marks a damaged file;
        // empty lines alone after it do not.
        Bytes += (Random.Chance(0.5) ? "" : "\r") + end();
        if (Random.Chance(0.5)) {
            Bytes += "99" + end() + "lost" + end();
            file.TextAfterEmptyIdLine = true;
        } else {
            Bytes += end() + "\r" + end();
        }
        file.EmptyIdLine = true;
        break;
    case 4:
        shape = "bad ID line";
        AddItems(Random.Uniform(0, 12), smallId);
        file.BadLine = Random.PickFrom(BadIdLines);
        file.BadIdLine = true;
        Bytes += file.BadLine + end() + "after" + end();
        break;
    case 5:
        shape = "too many items";
        AddItems(Random.Uniform(1501, 1600), countingId);
        file.TooMany = true;
        break;
    case 6:
        shape = Random.Chance(0.5) ? "zero bytes" : "Ctrl+Z first";
        if (shape != "zero bytes")
            Bytes = Random.Chance(0.5) ? "\x1a\r\n" : "\x1a";
        break;
    case 7: {
        shape = "cut-off last item";
        AddItems(Random.Uniform(1, 10), smallId);
        // Drop the last lines of the last item; its ID line and `keep` texts stay.
        const int keep = Random.Uniform(0, 9);
        TItem& last = file.Items.back();
        size_t cut = Bytes.size() - 1; // the last line end
        for (int line = 10; line > keep; --line) {
            cut = Bytes.rfind('\n', cut - 1);
            last.Fields[static_cast<size_t>(line - 1)].clear();
        }
        Bytes.resize(cut + 1);
        if (Random.Chance(0.5)) { // without the last line end: cut inside a line, damaged
            Bytes.resize(Bytes.size() - (Bytes.size() > 1 && Bytes[Bytes.size() - 2] == '\r' ? 2 : 1));
            // Unless the line cut was an empty one: then the file still ends
            // with a line end, and the item merely lacks one more line.
            file.CutInsideALine = Bytes.empty() || Bytes.back() != '\n';
        }
        break;
    }
    default:
        AddItems(Random.Uniform(1, 10), smallId);
        // Line ends after it end nothing; text after it marks a damaged file.
        if (Random.Chance(0.5)) {
            shape = "Ctrl+Z after the items";
            Bytes += Random.Chance(0.5) ? "\x1a" : "\x1a\r\n\x1a";
        } else {
            shape = "text after a Ctrl+Z";
            Bytes += "\x1a"
                     "5\r\nafter the end\r\n";
            file.TextAfterEmptyIdLine = true;
        }
        break;
    }
    file.Bytes = Bytes.size();
    file.NoData = Bytes.empty() || Bytes[0] == '\x1a';
    return Bytes;
}

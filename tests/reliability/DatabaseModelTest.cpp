/*
 * The database engine against its reference model: long random sequences of
 * every operation (add, update, delete, delete-where, replace, sort, search,
 * item and field reads by ID and by slot, saves with and without injected
 * write faults, and database files put in place from outside), each call's
 * outcome (error class and message) and effect compared with the model's.
 * After every successful save the file must hold exactly the model's bytes and
 * a fresh engine made on the same settings must read back the model's items.
 */
#include "engine/ORBL.h"
#include "platform/TextFile.h"
#include "tests/reliability/DatabaseFileMaker.h"
#include "tests/reliability/DatabaseModel.h"
#include "tests/reliability/ModelRun.h"
#include "tests/reliability/StoreFolder.h"
#include "tests/support/FailingWriteStep.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <climits>
#include <iostream>

#include <malloc.h>

namespace {

using namespace Reliability;

enum class TStart { OneEmptyLine, ZeroBytes, Full, ScatteredIds };

struct TRunConfig {
    const char* Name;
    uint32_t Seed;
    QLocale::Language Language;
    QLocale::Territory Territory;
    TStart Start;
};

void PrintTo(const TRunConfig& config, std::ostream* os)
{
    *os << config.Name;
}

enum TOp { Add, Update, Delete, DeleteWhere, Replace, Sort, Search, GetItem, GetField, Exists, Save, Load, OpCount };
const char* const OpNames[] = {"Add",    "Update",  "Delete",   "DeleteWhere", "Replace", "Sort",
                               "Search", "GetItem", "GetField", "Exists",      "Save",    "Load"};

// Weights while the store grows towards its limit and while it shrinks.
const double GrowWeights[OpCount] = {30, 8, 4, 1, 2, 1, 6, 10, 10, 4, 2, 0.5};
const double ShrinkWeights[OpCount] = {8, 6, 20, 5, 2, 1, 6, 8, 8, 4, 6, 0.5};

// Bytes the texts are made of: letters in both cases (accented ones too),
// a blank, and a letter that Swedish sorts after z.
const std::string Alphabet = "aAbBzZ \xE9\xC9\x8A\x9A\xE4\xC4";

class TDatabaseRun : public TModelRun {
public:
    TDatabaseRun(const TRunConfig& config, TTempWorkingFolder& folder)
        : TModelRun(config.Name, config.Seed), Config(config), Folder(folder), Model(Aliases)
    {
    }

    // Each returns false once a difference has been reported.
    bool Start();
    bool Step(int step);
    bool FinalCheck();

    int MaxCount = 0;

private:
    std::string Text(int maxLength, bool lineBreaks);
    std::string FieldText() { return Text(Chance(0.9) ? 3 : 14, false); }
    int32_t AnyId();
    std::string AnyAlias();
    TItem AnyItem(int32_t id);
    std::string HeldText(size_t field);

    bool SameState();
    bool SameSlots(int32_t from, int32_t to);
    bool SameFreshEngine();

    bool DoSave();
    bool DoLoad();
    bool DoSort();
    bool DoSearch();

    const TRunConfig& Config;
    TTempWorkingFolder& Folder;
    std::unique_ptr<TRFileSystem> Settings;
    std::unique_ptr<TDatabase> Db;
    TDatabaseModel Model;
    std::unique_ptr<Searchresult> SearchBuffer = std::make_unique<Searchresult>(); // 1500 slots, made once
    std::string Disk;                                                              // what the database file must hold
    // Every save of the run writes through it.
    TFailingWriteStep WriteFault;
    TDatabaseFileMaker Files{*this, [this] { return FieldText(); }};
};

std::string TDatabaseRun::Text(int maxLength, bool lineBreaks)
{
    std::string text;
    for (int n = Uniform(0, maxLength); n > 0; --n) {
        const int pick = Uniform(0, 99);
        if (pick < 2)
            text += '\0';
        else if (pick < 4)
            text += static_cast<char>(Uniform(0x80, 0xFF));
        else if (lineBreaks && pick < 8)
            text += "\r\n\x1a"[Uniform(0, 2)];
        else
            text += Alphabet[static_cast<size_t>(Uniform(0, static_cast<int>(Alphabet.size()) - 1))];
    }
    return text;
}

int32_t TDatabaseRun::AnyId()
{
    const int pick = Uniform(0, 99);
    if (pick < 60 && Model.Count() > 0)
        return Model.Slot(Uniform(0, Model.Count() - 1)).ID;
    if (pick < 63) {
        const int32_t extremes[] = {INT32_MIN, INT32_MAX, -1, 0};
        return extremes[Uniform(0, 3)];
    }
    return Uniform(-2, 2500);
}

std::string TDatabaseRun::AnyAlias()
{
    if (Chance(0.9))
        return Aliases[static_cast<size_t>(Uniform(0, 9))];
    const char* bad[] = {"book title", "Book title ", "BOOK AUTHOR", "Nope", "Other information (2)", "\xC4"};
    return bad[Uniform(0, 5)];
}

TItem TDatabaseRun::AnyItem(int32_t id)
{
    TItem item;
    item.ID = id;
    const bool breaks = Chance(0.05);
    for (std::string& field : item.Fields)
        field = breaks ? Text(6, true) : FieldText();
    item.Deleted = Chance(0.1); // the engine must ignore a caller's mark
    return item;
}

// A text some item holds in that field, or a fresh one.
std::string TDatabaseRun::HeldText(size_t field)
{
    if (Model.Count() > 0 && Chance(0.75))
        return Model.Slot(Uniform(0, Model.Count() - 1)).Fields[field];
    return FieldText();
}

bool TDatabaseRun::SameState()
{
    return Expect(Db->Count() == Model.Count(),
                  "count " + std::to_string(Db->Count()) + ", model " + std::to_string(Model.Count())) &&
           Expect(Db->Empty() == Model.Empty(), "Empty differs") &&
           Expect(Db->FileSize() == Model.FileSize(),
                  "FileSize " + std::to_string(Db->FileSize()) + ", model " + std::to_string(Model.FileSize()));
}

// Slots [from, to) as the callers can see them. While Empty is set GetItem
// copies nothing, so the fields are read one by one and the IDs through
// ItemExists.
bool TDatabaseRun::SameSlots(int32_t from, int32_t to)
{
    to = std::min(to, TDatabaseModel::Slots);
    for (int32_t i = from; i < to; ++i) {
        const TItem& expected = Model.Slot(i);
        if (!Db->Empty()) {
            TItem item;
            Db->GetItem(-1, i, item);
            if (!Expect(SameItem(item, expected), [&] {
                    return "slot " + std::to_string(i) + " holds " + Describe(item) + ", model " + Describe(expected);
                }))
                return false;
            continue;
        }
        for (size_t f = 0; f < 10; ++f) {
            if (Model.FieldOf(Aliases[f]) != static_cast<int32_t>(f))
                continue;
            if (!Expect(Db->GetField(-1, i, Aliases[f]) == expected.Fields[f], [&] {
                    return "slot " + std::to_string(i) + " field " + std::to_string(f) + " differs, model " +
                           Describe(expected);
                }))
                return false;
        }
        if (i < Model.Count() &&
            !Expect(Db->ItemExists(expected.ID), [&] { return "ID " + std::to_string(expected.ID) + " lost"; }))
            return false;
    }
    return true;
}

// A program started now: a new settings store and engine on the same files.
bool TDatabaseRun::SameFreshEngine()
{
    TRFileSystem settings("volumnia.kelt");
    TDatabase fresh(settings);
    if (!Expect(fresh.Count() == Model.Count(), "a fresh engine reads " + std::to_string(fresh.Count()) + " items") ||
        !Expect(!fresh.Empty(), "a fresh engine reads a saved file as Empty") ||
        !Expect(fresh.FileSize() == Model.FileSize(), "a fresh engine's FileSize differs") ||
        !Expect(settings.ReadInteger("orbl_itemcount") == Model.Count(), "orbl_itemcount differs"))
        return false;
    for (int32_t i = 0; i < Model.Count(); ++i) {
        TItem item;
        fresh.GetItem(-1, i, item);
        if (!Expect(SameItem(item, Model.Slot(i)),
                    [&] { return "a fresh engine reads slot " + std::to_string(i) + " as " + Describe(item); }))
            return false;
    }
    return true;
}

bool TDatabaseRun::Start()
{
    CurrentStep = -1;
    TDatabaseModel::TFileLoad file;
    switch (Config.Start) {
    case TStart::OneEmptyLine:
        Disk = "\r\n";
        file.EmptyIdLine = true;
        break;
    case TStart::ZeroBytes:
        file.NoData = true;
        break;
    case TStart::Full:
        Disk = Files.Clean(
            1499, [](int i) { return i * 3; }, file);
        break;
    case TStart::ScatteredIds:
        // Small IDs out of order (two of one ID are a damaged file).
        Disk = Files.Clean(
            30, [](int i) { return (i * 7) % 30 - 9; }, file);
        break;
    }
    file.Bytes = Disk.size();
    Folder.WriteFile("volumnia.kelt", DatabaseSettings("books.orbl"));
    Folder.WriteFile("books.orbl", Disk);
    Settings = std::make_unique<TRFileSystem>("volumnia.kelt");
    const TOutcome made = Capture([&] { Db = std::make_unique<TDatabase>(*Settings); });
    NoteOp([] { return "Create"; });
    return SameOutcome(made, Model.Loaded(file), "Create") && SameState() && SameSlots(0, 1500);
}

bool TDatabaseRun::DoSave()
{
    const std::string content = Model.FileContent();
    const int mode = Uniform(0, 99); // < 12: one failing write, < 18: failing until cleared
    const int64_t failAfter = Uniform(0, static_cast<int>(content.size()));
    NoteOp([mode, failAfter, size = content.size()] {
        return "Save" +
               std::string(mode < 12   ? " failing once after "
                           : mode < 18 ? " failing always after "
                                       : "") +
               (mode < 18 ? std::to_string(failAfter) + " of " + std::to_string(size) + " bytes" : "");
    });
    if (mode < 18)
        WriteFault.FailAfter(failAfter, mode < 12);
    TOutcome outcome = Capture([&] { Db->SaveToFile(); });
    if (mode >= 12 && mode < 18) {
        // A lasting fault fails the next save as well.
        const TOutcome again = Capture([&] { Db->SaveToFile(); });
        if (!SameOutcome(again, outcome, "second Save under a lasting fault"))
            return false;
    }
    WriteFault.Clear();

    const std::vector<std::string> files{"books.orbl", "volumnia.kelt"};
    if (mode < 18) {
        return SameOutcome(outcome, {"EInOutError", "Disk full"}, "Save with a fault") &&
               Expect(Folder.ReadFile("books.orbl") == Disk, "a failed save changed the file") &&
               Expect(Folder.FileNames() == files, "a failed save left a file behind") && SameState() &&
               SameSlots(0, 1500);
    }
    if (!SameOutcome(outcome, NoError(), "Save"))
        return false;
    Model.Saved();
    Disk = content;
    return Expect(Folder.ReadFile("books.orbl") == content, "the file does not hold the model's bytes") &&
           Expect(Folder.FileNames() == files, "a save left a file behind") && SameState() && SameSlots(0, 1500) &&
           SameFreshEngine();
}

// A database file put in place from outside, in any of the shapes its reader
// must take or refuse.
bool TDatabaseRun::DoLoad()
{
    TDatabaseModel::TFileLoad file;
    std::string shape;
    Disk = Files.Make(file, shape);
    NoteOp([shape, n = file.Items.size()] {
        return "Load of a file from outside: " + shape + ", " + std::to_string(n) + " items";
    });
    Folder.WriteFile("books.orbl", Disk);
    const TOutcome outcome = Capture([&] { Db->LoadFromFile(); });
    ++Seen["load: " + shape];
    return SameOutcome(outcome, Model.Loaded(file), "LoadFromFile") && SameState() && SameSlots(0, 1500);
}

bool TDatabaseRun::DoSort()
{
    const std::string alias = AnyAlias();
    NoteOp([=] { return "SortBy(" + Quoted(alias) + ")"; });
    const TOutcome expected = Model.SortOutcome(alias);
    const TOutcome outcome = Capture([&] { Db->SortBy(alias); });
    if (!SameOutcome(outcome, expected, "SortBy"))
        return false;
    if (expected.Raised())
        return SameSlots(0, Model.Count());
    std::vector<TItem> sorted(static_cast<size_t>(Model.Count()));
    for (int32_t i = 0; i < Model.Count(); ++i)
        Db->GetItem(-1, i, sorted[static_cast<size_t>(i)]);
    const std::string wrong = Model.CheckSort(alias, sorted);
    return Expect(wrong.empty(), "SortBy: " + wrong) && SameSlots(Model.Count(), Model.Count() + 3);
}

bool TDatabaseRun::DoSearch()
{
    static const TItem NoItem;
    const std::string alias = AnyAlias();
    std::string text;
    const int pick = Uniform(0, 9);
    if (pick == 0)
        text = ""; // refused
    else if (pick < 4 && Model.Count() > 0)
        text = Model.Slot(Uniform(0, Model.Count() - 1)).Fields[static_cast<size_t>(Uniform(0, 9))];
    else
        text = Text(2, pick == 4);
    NoteOp([=] { return "Search(" + Quoted(alias) + ", " + Quoted(text) + ")"; });
    std::vector<TItem> found;
    const TOutcome expected = Model.Search(alias, text, found);
    Searchresult* result = SearchBuffer.get();
    const TOutcome outcome = Capture([&] { *result = Db->Search(alias, text); });
    if (!SameOutcome(outcome, expected, "Search"))
        return false;
    if (expected.Raised())
        return true;
    if (!Expect(result->ItemCount == static_cast<int32_t>(found.size()),
                "Search found " + std::to_string(result->ItemCount) + ", model " + std::to_string(found.size())))
        return false;
    ++Seen[found.empty() ? "Search found nothing" : "Search found something"];
    for (size_t i = 0; i < result->Items.size(); ++i) {
        const TItem& expectedItem = i < found.size() ? found[i] : NoItem;
        if (!Expect(SameItem(result->Items[i], expectedItem),
                    [&] { return "Search result slot " + std::to_string(i) + " is " + Describe(result->Items[i]); }))
            return false;
    }
    return true;
}

bool TDatabaseRun::Step(int step)
{
    CurrentStep = step;
    const bool growing = step % 9000 < 6000;
    const double* weights = growing ? GrowWeights : ShrinkWeights;
    std::discrete_distribution<int> pickOp(weights, weights + OpCount);
    TOp op = static_cast<TOp>(pickOp(Rng));
    // While Empty is set the engine's order cannot be read back item by item.
    if (op == Sort && Model.Empty() && Model.Count() > 0)
        op = Search;

    bool ok = true;
    switch (op) {
    case Add: {
        const TItem item = AnyItem(Chance(0.3) ? AnyId() : Uniform(-2, 2500));
        NoteOp([=] { return "AddItem(" + Describe(item) + ")"; });
        const TOutcome expected = Model.Add(item);
        ok = SameOutcome(Capture([&] { Db->AddItem(item); }), expected, "AddItem") &&
             (expected.Raised() || SameSlots(Model.Count() - 1, Model.Count() + 1));
        break;
    }
    case Update: {
        const TItem item = AnyItem(AnyId());
        NoteOp([=] { return "UpdateItem(" + Describe(item) + ")"; });
        const int32_t slot = Model.FirstSlot(item.ID);
        const TOutcome expected = Model.Update(item);
        ok = SameOutcome(Capture([&] { Db->UpdateItem(item); }), expected, "UpdateItem") &&
             (slot < 0 || SameSlots(slot, slot + 1));
        break;
    }
    case Delete: {
        const int32_t id = AnyId();
        NoteOp([=] { return "DeleteItem(" + std::to_string(id) + ")"; });
        const int32_t slot = Model.FirstSlot(id);
        const TOutcome expected = Model.Delete(id);
        ok = SameOutcome(Capture([&] { Db->DeleteItem(id); }), expected, "DeleteItem") &&
             (slot < 0 || SameSlots(slot, slot + 1));
        break;
    }
    case DeleteWhere: {
        const std::string alias = AnyAlias();
        const int32_t f = Model.FieldOf(alias);
        const std::string value = HeldText(f < 0 ? 0 : static_cast<size_t>(f));
        NoteOp([=] { return "DeleteWhere(" + Quoted(alias) + ", " + Quoted(value) + ")"; });
        const TOutcome expected = Model.DeleteWhere(alias, value);
        ok = SameOutcome(Capture([&] { Db->DeleteWhere(alias, value); }), expected, "DeleteWhere") &&
             SameSlots(0, Model.Count());
        break;
    }
    case Replace: {
        const std::string alias = AnyAlias();
        const int32_t f = Model.FieldOf(alias);
        const std::string oldValue = Chance(0.05) ? Text(4, true) : HeldText(f < 0 ? 0 : static_cast<size_t>(f));
        const std::string newValue = Text(5, Chance(0.1));
        NoteOp([=] {
            return "ReplaceFieldValue(" + Quoted(alias) + ", " + Quoted(oldValue) + ", " + Quoted(newValue) + ")";
        });
        const TOutcome expected = Model.Replace(alias, oldValue, newValue);
        ok = SameOutcome(Capture([&] { Db->ReplaceFieldValue(alias, oldValue, newValue); }), expected,
                         "ReplaceFieldValue") &&
             SameSlots(0, Model.Count());
        break;
    }
    case Sort:
        ok = DoSort();
        break;
    case Search:
        ok = DoSearch();
        break;
    case GetItem:
    case GetField: {
        int32_t id = -1, index = -1;
        if (Chance(0.5)) {
            id = AnyId();
            index = Chance(0.9) ? -1 : 1500;
        } else {
            const int pick = Uniform(0, 19);
            if (pick < 14)
                index = Uniform(0, Model.Count() + 1);
            else if (pick < 17)
                index = Uniform(0, 1499);
            else {
                const int32_t edges[] = {1499, 1500, 1501, INT32_MAX, -1, -2, INT32_MIN};
                index = edges[Uniform(0, 6)];
            }
        }
        if (op == GetItem) {
            NoteOp([=] { return "GetItem(" + std::to_string(id) + ", " + std::to_string(index) + ")"; });
            TItem sentinel;
            sentinel.ID = 777777;
            sentinel.Fields[0] = "sentinel";
            TItem engineItem = sentinel, modelItem = sentinel;
            const TOutcome expected = Model.GetItem(id, index, modelItem);
            ok = SameOutcome(Capture([&] { Db->GetItem(id, index, engineItem); }), expected, "GetItem") &&
                 Expect(SameItem(engineItem, modelItem),
                        [&] { return "GetItem gave " + Describe(engineItem) + ", model " + Describe(modelItem); });
        } else {
            const std::string alias = AnyAlias();
            NoteOp([=] {
                return "GetField(" + std::to_string(id) + ", " + std::to_string(index) + ", " + Quoted(alias) + ")";
            });
            std::string engineText = "sentinel", modelText = "sentinel";
            const TOutcome expected = Model.GetField(id, index, alias, modelText);
            ok = SameOutcome(Capture([&] { engineText = Db->GetField(id, index, alias); }), expected, "GetField") &&
                 Expect(engineText == modelText,
                        [&] { return "GetField gave " + Quoted(engineText) + ", model " + Quoted(modelText); });
        }
        break;
    }
    case Exists: {
        const int32_t id = AnyId();
        NoteOp([=] { return "ItemExists(" + std::to_string(id) + ")"; });
        ok = Expect(Db->ItemExists(id) == Model.Exists(id), "ItemExists differs");
        break;
    }
    case Save:
        ok = DoSave();
        ++Seen["Save"];
        break;
    case Load:
        ok = DoLoad();
        break;
    case OpCount:
        break;
    }
    ++Seen[std::string("op ") + OpNames[op]];
    MaxCount = std::max(MaxCount, Model.Count());
    ok = ok && SameState();
    if (ok && step % 1000 == 999)
        ok = SameSlots(0, 1500);
    return ok;
}

bool TDatabaseRun::FinalCheck()
{
    CurrentStep = ModelOpsPerSeed;
    NoteOp([] { return "final Save"; });
    WriteFault.Clear();
    const std::string content = Model.FileContent();
    if (!SameOutcome(Capture([&] { Db->SaveToFile(); }), NoError(), "final Save"))
        return false;
    Model.Saved();
    return Expect(Folder.ReadFile("books.orbl") == content, "the last save's file differs") && SameFreshEngine();
}

class DatabaseModel : public ::testing::TestWithParam<TRunConfig> {};

TEST_P(DatabaseModel, AgreesWithTheReferenceModel)
{
    const TRunConfig& config = GetParam();
    // Every fresh engine allocates two tables of 1500 items (half a megabyte
    // each). Kept on the heap instead of being mapped anew each time, their
    // pages fault in once rather than at each of the run's thousand saves.
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    QLocale::setDefault(QLocale(config.Language, config.Territory));
    auto folder = RamFolder();
    TDatabaseRun run(config, *folder);
    bool ok = run.Start();
    int step = 0;
    for (; ok && step < ModelOpsPerSeed; ++step)
        ok = run.Step(step);
    ok = ok && run.FinalCheck();
    QLocale::setDefault(QLocale::c());
    ASSERT_TRUE(ok) << "stopped at operation " << step;

    std::cout << "[ model    ] " << config.Name << ": " << step << " operations, largest store " << run.MaxCount << "; "
              << run.SeenSummary() << "\n";

    // The run must have reached the cases it is meant to exercise.
    if (ModelOpsPerSeed < 30000)
        return;
    EXPECT_EQ(run.MaxCount >= 1499, true) << "the store never reached its limit";
    for (const char* message :
         {"EInvalidParam #101", "EORBLError #103", "EORBLError #104", "EORBLError #105", "EORBLError #107",
          "EORBLError #108", "EORBLError #109", "EORBLError #110", "EORBLError #111", "EInvalidParam #112",
          "EDatabaseError #113", "EConvertError", "EInOutError Disk full", "Search found something",
          "Search found nothing", "ok SortBy", "ok Save"})
        EXPECT_GT(run.Seen[message], 0) << message << " never happened";
}

INSTANTIATE_TEST_SUITE_P(
    Seeds, DatabaseModel,
    ::testing::Values(
        TRunConfig{"EnglishFromOneEmptyLine", 1, QLocale::English, QLocale::UnitedStates, TStart::OneEmptyLine},
        TRunConfig{"SwedishFromZeroBytes", 20240229, QLocale::Swedish, QLocale::Sweden, TStart::ZeroBytes},
        TRunConfig{"GermanFromAFullFile", 77, QLocale::German, QLocale::Germany, TStart::Full},
        TRunConfig{"FrenchFromScatteredIds", 4242, QLocale::French, QLocale::France, TStart::ScatteredIds}),
    [](const ::testing::TestParamInfo<TRunConfig>& info) { return std::string(info.param.Name); });

} // namespace

// Fuzz harness of the database file reader. Each input is written as the database
// file and loaded by a freshly made TDatabase, as the program makes it at start:
// from a settings store naming that file and the ten field aliases. The load must
// end as the reference reading of the same bytes says (the same items, or the
// documented refusal); an accepted file must then save to its canonical bytes and
// load again, in the same engine and in a fresh one, to the very same items.
// Anything else aborts: a mismatch, an undocumented exception, a sanitizer report.
#include "engine/ORBL.h"
#include "fuzzing/FuzzSupport.h"
#include "fuzzing/ReferenceReaders.h"
#include "settings/KELT.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace DatabaseFuzz {

namespace {

using FuzzSupport::Check;
using FuzzSupport::Fail;
using FuzzSupport::Mismatch;
using FuzzSupport::Shown;
using ReferenceReaders::TExpectedDatabase;

const TAlias Aliases = {
    "Book title", "Book author", "Publisher",  "Year published", "Other information (1)", "Other information (2)",
    "Loaner",     "Date loaned", "Shelf mark", "Acquired"};

// The items whose lookups by ID and by alias are checked too: a lookup is a
// linear scan, so checking all of a full table would dominate the run time.
constexpr size_t LookupChecks = 24;

// Made once a process: the settings file is written a single time, and the
// store stays open like the program's own (each engine made from it only
// updates its item count).
struct TSetup {
    std::string DatabasePath;
    std::unique_ptr<TRFileSystem> Settings;
};

TSetup& Setup()
{
    static TSetup setup = [] {
        TSetup made;
        const std::string& folder = FuzzSupport::ScratchFolder();
        made.DatabasePath = folder + "/books.orbl";
        std::string settings = "orbl_databasefile\r\n" + made.DatabasePath + "\r\nvString\r\n";
        for (size_t i = 0; i < Aliases.size(); ++i)
            settings += "orbl_alias" + std::to_string(i) + "\r\n" + Aliases[i] + "\r\nvString\r\n";
        const std::string settingsPath = folder + "/volumnia.kelt";
        FuzzSupport::WriteBytes(settingsPath, settings);
        made.Settings = std::make_unique<TRFileSystem>(settingsPath);
        return made;
    }();
    return setup;
}

std::string Where(const char* stage, size_t slot)
{
    return std::string(stage) + ", slot " + std::to_string(slot) + ": ";
}

void CheckSameItem(const TItem& got, const TItem& want, const char* stage, size_t slot)
{
    if (got.ID != want.ID)
        Fail(Where(stage, slot) + "ID " + std::to_string(got.ID) + ", expected " + std::to_string(want.ID));
    for (size_t f = 0; f < want.Fields.size(); ++f)
        if (got.Fields[f] != want.Fields[f])
            Fail(Where(stage, slot) + "field " + std::to_string(f) + ": " + Mismatch(got.Fields[f], want.Fields[f]));
    if (got.Deleted)
        Fail(Where(stage, slot) + "a loaded item carries the deleted mark");
}

// The engine holds exactly these items in slot order. While the empty mark is
// set, GetItem must copy nothing, so the fields are checked through GetField.
void CheckHolds(const TDatabase& db, const std::vector<TItem>& items, const char* stage)
{
    if (db.Count() < 0 || static_cast<size_t>(db.Count()) != items.size())
        Fail(std::string(stage) + ": Count() is " + std::to_string(db.Count()) + ", expected " +
             std::to_string(items.size()));
    Check(db.Count() <= static_cast<int32_t>(ReferenceReaders::TableSlots), "Count() above the table size");

    if (db.Empty()) {
        TItem untouched;
        untouched.ID = 424242;
        untouched.Fields[0] = "untouched";
        TItem copy = untouched;
        db.GetItem(-1, 0, copy);
        Check(copy.ID == untouched.ID && copy.Fields[0] == untouched.Fields[0],
              "GetItem copied an item while the empty mark is set");
    } else {
        for (size_t slot = 0; slot < items.size(); ++slot) {
            TItem got;
            db.GetItem(-1, static_cast<int32_t>(slot), got);
            CheckSameItem(got, items[slot], stage, slot);
        }
    }

    for (size_t slot = 0; slot < items.size() && slot < LookupChecks; ++slot) {
        const TItem& want = items[slot];
        if (!db.ItemExists(want.ID))
            Fail(Where(stage, slot) + "ItemExists(" + std::to_string(want.ID) + ") is false");
        for (size_t f = 0; f < Aliases.size(); ++f)
            if (db.GetField(-1, static_cast<int32_t>(slot), Aliases[f]) != want.Fields[f])
                Fail(Where(stage, slot) + "GetField by slot differs in field " + std::to_string(f));
        // By ID the first item of that ID answers, which may be an earlier one.
        // An ID of -1 selects by slot instead, so such an item has no lookup by ID.
        if (want.ID == -1)
            continue;
        size_t first = 0;
        while (items[first].ID != want.ID)
            ++first;
        if (db.GetField(want.ID, -1, Aliases[0]) != items[first].Fields[0])
            Fail(Where(stage, slot) + "GetField by ID " + std::to_string(want.ID) + " answers with another item");
    }
}

void CheckRefusal(const std::optional<FuzzSupport::TRefusal>& refusal, const TExpectedDatabase& expected)
{
    using TOutcome = TExpectedDatabase::TOutcome;
    switch (expected.Outcome) {
    case TOutcome::Loaded:
        if (refusal)
            Fail("a readable file was refused with " + refusal->Class + " " + Shown(refusal->Message));
        return;
    case TOutcome::BadIdLine: {
        const std::string message = ReferenceReaders::NotAnIntegerMessage(expected.BadLine);
        if (!refusal)
            Fail("the ID line " + Shown(expected.BadLine) + " was taken as a number");
        if (refusal->Class != "EConvertError" || refusal->Message != message)
            Fail("a bad ID line raised " + refusal->Class + ": " + Mismatch(refusal->Message, message));
        return;
    }
    case TOutcome::TextAfterEmptyIdLine:
    case TOutcome::TextAfterCtrlZ:
    case TOutcome::CutInsideALine:
    case TOutcome::TwoOfOneId:
        if (!refusal || refusal->Class != "EDatabaseError" || refusal->Message != "#114: Database file corrupted.")
            Fail("text after an empty ID line or a Ctrl+Z, a cut inside a line or two items of one ID was not "
                 "refused as a damaged file" +
                 (refusal ? ", but with " + refusal->Class + " " + Shown(refusal->Message) : std::string()));
        return;
    case TOutcome::TooManyItems:
        // The table cannot take the file; the engine refuses it whole.
        if (!refusal || refusal->Class != "EDatabaseError")
            Fail("a file of more than " + std::to_string(ReferenceReaders::TableSlots) +
                 " items was not refused with EDatabaseError" + (refusal ? ", but " + refusal->Class : ""));
        return;
    }
}

void CheckRoundTrip(TDatabase& db, const TExpectedDatabase& expected)
{
    TSetup& setup = Setup();
    const bool emptyBefore = db.Empty();
    const auto saveRefusal = FuzzSupport::DocumentedRefusal([&] { db.SaveToFile(); });
    if (saveRefusal)
        Fail("saving an accepted file raised " + saveRefusal->Class + " " + Shown(saveRefusal->Message));

    const std::string saved = FuzzSupport::ReadBytes(setup.DatabasePath);
    const std::string canonical = ReferenceReaders::DatabaseFileOf(expected.Items);
    if (saved != canonical)
        Fail("the saved file is not the canonical form of the loaded items: " + Mismatch(saved, canonical));
    // A saved file never begins with an empty line; with no items it is 0 bytes,
    // which leaves the mark as it was.
    Check(db.Empty() == (expected.Items.empty() && emptyBefore), "empty mark wrong after the save's reload");
    CheckHolds(db, expected.Items, "after save");

    std::unique_ptr<TDatabase> fresh;
    const auto reloadRefusal =
        FuzzSupport::DocumentedRefusal([&] { fresh = std::make_unique<TDatabase>(*setup.Settings); });
    if (reloadRefusal)
        Fail("a saved file was refused with " + reloadRefusal->Class + " " + Shown(reloadRefusal->Message));
    Check(!fresh->Empty(), "a saved file loads with the empty mark set");
    Check(fresh->FileSize() == static_cast<int32_t>(saved.size() / 128), "FileSize of the saved file is wrong");
    CheckHolds(*fresh, expected.Items, "fresh load of the saved file");
}

} // namespace

} // namespace DatabaseFuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace DatabaseFuzz;
    TSetup& setup = Setup();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FuzzSupport::WriteBytes(setup.DatabasePath, bytes);
    const TExpectedDatabase expected = ReferenceReaders::ExpectedDatabase(bytes);

    std::unique_ptr<TDatabase> db;
    const auto refusal = FuzzSupport::DocumentedRefusal([&] { db = std::make_unique<TDatabase>(*setup.Settings); });
    CheckRefusal(refusal, expected);
    if (refusal)
        return 0;

    Check(db->FileSize() == static_cast<int32_t>(size / 128), "FileSize is not the file length in 128-byte blocks");
    Check(db->Empty() == expected.Empty, "empty mark differs from an empty ID line");
    CheckHolds(*db, expected.Items, "load");
    CheckRoundTrip(*db, expected);
    return 0;
}

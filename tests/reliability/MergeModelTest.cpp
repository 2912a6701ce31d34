/*
 * The merge of two copies of one catalogue against a reference model. Each
 * run copies one base (books, details, a history) to two folders, runs a
 * random edit script on each through the catalogue (so that the histories
 * are real), merges the second into the first as the program does and
 * compares the outcome with what the model expects from the scripts' end
 * states and the base alone: every change made on one side is in the merged
 * catalogue, each book added on either side is there once under a number of
 * its own, every unit changed differently on both sides (and every book
 * removed on one side and changed on the other) is listed as a clash and
 * nothing else is, each clash settled as chosen, and the merge taken back
 * gives both files back byte for byte.
 */
#include "engine/Catalogue.h"
#include "engine/Database.h"
#include "engine/History.h"
#include "engine/Merge.h"
#include "platform/TextFile.h"
#include "settings/RFileSystem.h"
#include "tests/reliability/StoreFolder.h"
#include "tests/reliability/TestRandom.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using namespace Reliability;

// A unit as the model sees it: texts of the file, or details.
struct TModelUnit {
    std::string Name;
    std::vector<size_t> Fields;
    std::vector<std::string> Keys;
};

const std::vector<TModelUnit> ModelUnits = {
    {"title", {0}, {}},     {"author", {1}, {}},       {"publisher", {2}, {}},     {"year", {3}, {}},
    {"info1", {4}, {}},     {"loan", {6, 7}, {"due"}}, {"series", {}, {"series"}}, {"location", {}, {"location"}},
    {"tags", {}, {"tags"}},
};

bool SameUnit(const TItem& a, const TItem& b, const TModelUnit& unit)
{
    for (const size_t f : unit.Fields)
        if (a.Fields[f] != b.Fields[f])
            return false;
    for (const std::string& key : unit.Keys)
        if (a.Details.Value(key) != b.Details.Value(key))
            return false;
    return true;
}

void TakeUnit(TItem& to, const TItem& from, const TModelUnit& unit)
{
    for (const size_t f : unit.Fields)
        to.Fields[f] = from.Fields[f];
    for (const std::string& key : unit.Keys)
        to.Details.Set(key, from.Details.Value(key));
}

bool SameBook(const TItem& a, const TItem& b)
{
    return a.Fields == b.Fields && a.Details == b.Details;
}

using TBooks = std::map<int32_t, TItem>;

class TSide {
public:
    TSide(const std::string& folder) : Folder(folder) {}
    std::string Path(const std::string& name) const { return Folder + "/" + name; }
    void Open()
    {
        auto settings = std::make_unique<TRFileSystem>(Path("volumnia.kelt"));
        auto database = std::make_unique<TDatabase>(*settings);
        Catalogue = std::make_unique<TCatalogue>(std::move(settings), std::move(database));
        Catalogue->ReadCurrentIndex();
        Catalogue->EnableHistory("Volumnia", [this] { return ++Clock; });
    }
    TBooks Books() const
    {
        TBooks books;
        const TDatabase& database = Catalogue->Database();
        for (int32_t slot = 0; slot < database.Count(); ++slot)
            if (!database.ItemAt(slot).Deleted)
                books.emplace(database.ItemAt(slot).ID, database.ItemAt(slot));
        return books;
    }
    std::string Bytes(const std::string& name) const
    {
        return TTextFile::Exists(Path(name)) ? TTextFile::ReadAll(Path(name)) : std::string("(none)");
    }

    std::string Folder;
    std::unique_ptr<TCatalogue> Catalogue;
    int64_t Clock = 1765000000000;
};

class TMergeRun : public TTestRandom {
public:
    TMergeRun(uint32_t seed, const std::string& root)
        : TTestRandom(seed), Ours(root + "/ours"), Theirs(root + "/theirs")
    {
    }

    // The base: ten books, a few with details, and a history of a few
    // changes, the same files in both folders.
    void MakeBase()
    {
        for (TSide* side : {&Ours, &Theirs}) {
            QDir().mkpath(QString::fromStdString(side->Folder));
            TTextFile::WriteAtomically(side->Path("volumnia.kelt"), DatabaseSettings(side->Path("books.orbl")) +
                                                                        "CurrentIndex\r\n10\r\nvInteger\r\n");
        }
        std::string base;
        for (int32_t id = 1; id <= 10; ++id) {
            base += std::to_string(id) + "\r\n";
            for (size_t f = 0; f < 10; ++f)
                base += (f == 0   ? "Title " + std::to_string(id)
                         : f == 2 ? std::string("Penguin")
                                  : std::string()) +
                        "\r\n";
        }
        TTextFile::WriteAtomically(Ours.Path("books.orbl"), base);
        Ours.Open();
        for (int n = Uniform(1, 3); n > 0; --n)
            Edit(Ours, "base");
        // The settings travel too: the counter stands where the base left it.
        TTextFile::WriteAtomically(Theirs.Path("volumnia.kelt"),
                                   DatabaseSettings(Theirs.Path("books.orbl")) + "CurrentIndex\r\n" +
                                       std::to_string(Ours.Catalogue->CurrentIndex()) + "\r\nvInteger\r\n");
        for (const char* name : {"books.orbl", "books.orbl.details", "books.orbl.history"})
            if (TTextFile::Exists(Ours.Path(name)))
                TTextFile::WriteAtomically(Theirs.Path(name), TTextFile::ReadAll(Ours.Path(name)));
        Theirs.Open();
        Base = Ours.Books();
        OursAdded.clear();
    }

    std::string Value() { return PickFrom<std::string>({"a", "b", "c", "d"}); }

    // One random change through the catalogue.
    void Edit(TSide& side, const std::string& who)
    {
        const TBooks books = side.Books();
        std::vector<int32_t> ids;
        for (const auto& [id, book] : books)
            ids.push_back(id);
        const int op = ids.empty() ? 0 : Uniform(0, 9);
        if (op == 0) {
            TItem book;
            book.Fields[0] = who + " new " + std::to_string(++Made);
            if (Chance(0.5))
                book.Details.Set("series", Value());
            const int32_t id = side.Catalogue->Add(book);
            (&side == &Ours ? OursAdded : TheirsAdded).insert(id);
            return;
        }
        const int32_t id = PickFrom(ids);
        TItem book = books.at(id);
        if (op <= 3) {
            book.Fields[static_cast<size_t>(PickFrom<int>({0, 1, 2, 3, 4}))] = Value();
            side.Catalogue->Update(book);
        } else if (op <= 5) {
            TDetails details = book.Details;
            details.Set(PickFrom<std::string>({"series", "location", "tags", "due"}), Chance(0.2) ? "" : Value());
            side.Catalogue->SetDetails(id, details);
        } else if (op == 6) {
            side.Catalogue->Lend(id, Value(), "2026-12-0" + std::to_string(Uniform(1, 3)));
        } else if (op == 7) {
            side.Catalogue->Return(id);
        } else {
            side.Catalogue->Remove(id);
            (&side == &Ours ? OursAdded : TheirsAdded).erase(id);
        }
    }

    // Returns an empty text when the merge is as the model says, or what differs.
    std::string Run()
    {
        for (int n = Uniform(0, 6); n > 0; --n)
            Edit(Ours, "ours");
        for (int n = Uniform(0, 6); n > 0; --n)
            Edit(Theirs, "theirs");
        const TBooks ours = Ours.Books();
        const TBooks theirs = Theirs.Books();

        // The model: from the base and the two end states only.
        TBooks expected;
        std::set<std::pair<int32_t, std::string>> clashes;
        Merge::TPlan plan = Merge::Plan(Merge::OurSide(Ours.Catalogue->Database()),
                                        Merge::ReadSide(Theirs.Path("books.orbl"), Theirs.Path("books.orbl.details"),
                                                        Theirs.Path("books.orbl.history"), Ours.Catalogue->Database()));
        std::map<std::pair<int32_t, std::string>, bool> choice;
        for (Merge::TClash& clash : plan.Clashes) {
            clash.TakeTheirs = Chance(0.5);
            choice[{clash.ID, clash.Unit}] = clash.TakeTheirs;
        }
        const auto chosen = [&](int32_t id, const std::string& unit) {
            const auto found = choice.find({id, unit});
            return found != choice.end() && found->second;
        };
        for (const auto& [id, base] : Base) {
            const auto o = ours.find(id);
            const auto t = theirs.find(id);
            const bool oursThere = o != ours.end();
            const bool theirsThere = t != theirs.end();
            const bool oursChanged = !oursThere || !SameBook(o->second, base);
            const bool theirsChanged = !theirsThere || !SameBook(t->second, base);
            if (oursThere && theirsThere) {
                TItem merged = o->second;
                for (const TModelUnit& unit : ModelUnits) {
                    const bool oc = !SameUnit(o->second, base, unit);
                    const bool tc = !SameUnit(t->second, base, unit);
                    if (oc && tc && !SameUnit(o->second, t->second, unit)) {
                        clashes.insert({id, unit.Name});
                        if (chosen(id, unit.Name))
                            TakeUnit(merged, t->second, unit);
                    } else if (tc) {
                        TakeUnit(merged, t->second, unit);
                    }
                }
                expected.emplace(id, merged);
            } else if (oursThere != theirsThere) {
                const bool keptChanged = oursThere ? oursChanged : theirsChanged;
                if (keptChanged) {
                    clashes.insert({id, ""});
                    const bool theirsWins = chosen(id, "");
                    if (oursThere != theirsWins)
                        expected.emplace(id, oursThere ? o->second : t->second);
                }
            }
        }
        for (const int32_t id : OursAdded)
            expected.emplace(id, ours.at(id));

        std::set<std::pair<int32_t, std::string>> listed;
        for (const Merge::TClash& clash : plan.Clashes)
            if (!listed.insert({clash.ID, clash.Unit}).second)
                return "a clash listed twice: book " + std::to_string(clash.ID) + " " + clash.Unit;
        if (listed != clashes) {
            std::string text = "clashes differ; listed:";
            for (const auto& [id, unit] : listed)
                text += " " + std::to_string(id) + "/" + unit;
            text += "; expected:";
            for (const auto& [id, unit] : clashes)
                text += " " + std::to_string(id) + "/" + unit;
            return text;
        }

        const std::string databaseBefore = Ours.Bytes("books.orbl");
        const std::string detailsBefore = Ours.Bytes("books.orbl.details");
        const int32_t highest = std::max({Ours.Catalogue->CurrentIndex(), Theirs.Catalogue->CurrentIndex()});
        const std::vector<int32_t> given = Ours.Catalogue->Merge(Merge::Settled(plan), plan.Added, plan.HighestNumber);
        const TBooks merged = Ours.Books();
        if (given.size() != TheirsAdded.size())
            return std::to_string(given.size()) + " books numbered, " + std::to_string(TheirsAdded.size()) +
                   " added by theirs";
        if (static_cast<size_t>(Ours.Catalogue->Database().Count()) != merged.size())
            return "two books under one number";
        // Theirs' new books: each once, under a number no other book had.
        std::multiset<std::string> theirsNew;
        for (const int32_t id : TheirsAdded)
            theirsNew.insert(theirs.at(id).Fields[0] + "|" + theirs.at(id).Details.Value("series"));
        for (const int32_t id : given) {
            if (id <= highest)
                return "book " + std::to_string(id) + " numbered at or below " + std::to_string(highest);
            const auto found = theirsNew.find(merged.at(id).Fields[0] + "|" + merged.at(id).Details.Value("series"));
            if (found == theirsNew.end())
                return "book " + std::to_string(id) + " is none theirs added";
            theirsNew.erase(found);
            expected.emplace(id, merged.at(id));
        }
        if (merged.size() != expected.size())
            return std::to_string(merged.size()) + " books merged, " + std::to_string(expected.size()) + " expected";
        for (const auto& [id, book] : expected) {
            const auto found = merged.find(id);
            if (found == merged.end())
                return "book " + std::to_string(id) + " lost";
            if (!SameBook(found->second, book))
                return "book " + std::to_string(id) + " is \"" + found->second.Fields[0] + "\" \"" +
                       found->second.Fields[2] + "\", expected \"" + book.Fields[0] + "\" \"" + book.Fields[2] + "\"";
        }
        Clashed = !plan.Clashes.empty();
        const bool merging = !Merge::Settled(plan).empty() || !plan.Added.empty();
        if (merging != (Ours.Catalogue->UndoName().rfind("Merge", 0) == 0))
            return merging ? "the merge is no change to take back" : "a merge of nothing is a change";
        if (merging) {
            Ours.Catalogue->Undo();
            if (Ours.Bytes("books.orbl") != databaseBefore || Ours.Bytes("books.orbl.details") != detailsBefore)
                return "the merge taken back leaves other files";
        }
        return {};
    }

    TSide Ours;
    TSide Theirs;
    TBooks Base;
    std::set<int32_t> OursAdded;
    std::set<int32_t> TheirsAdded;
    int Made = 0;
    bool Clashed = false;
};

TEST(MergeModelTest, ThousandPairsOfEditScriptsMergeWithNothingLost)
{
    QLocale::setDefault(QLocale::c());
    const std::unique_ptr<TTempWorkingFolder> folder = RamFolder();
    int clashing = 0;
    for (uint32_t seed = 1; seed <= 1000; ++seed) {
        const std::string root = folder->FilePath("run" + std::to_string(seed));
        TMergeRun run(seed, root);
        run.MakeBase();
        const std::string differs = run.Run();
        ASSERT_EQ(differs, "") << "seed " << seed;
        clashing += run.Clashed ? 1 : 0;
        QDir(QString::fromStdString(root)).removeRecursively();
    }
    // The scripts reach the merge's every path, not only the easy ones.
    EXPECT_GT(clashing, 100);
}

} // namespace

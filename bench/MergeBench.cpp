// Timing of a merge with a sync tool's conflict copy on two full catalogues:
// 1499 books with every detail on both sides, and both histories near their
// size limit, most of them shared; each side then changed a fifth of the
// books (ours a field, theirs a detail) after they parted. Timed: the plan
// alone on both sides in memory, and the whole merge as Volumnia does it at
// start (both sides read from their files, the plan, the change saved
// through the catalogue with its history entry), taken back by Undo between
// runs, untimed. And what a start with no copy pays: the search for copies
// in the folder (all the merge adds then). Medians in milliseconds; the target is 1 s.
#include "bench/BenchBooks.h"
#include "engine/Catalogue.h"
#include "engine/ConflictCopies.h"
#include "engine/History.h"
#include "engine/Merge.h"
#include "engine/ORBL.h"
#include "platform/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

namespace {

using namespace BenchBooks;

std::string Entry(int64_t i, TBookChangeKind kind, const TItem& before, const TItem& after)
{
    return THistory::Encode({int64_t(1765000000000) + i * 60000, "Volumnia", {kind, {{before.ID, before, after}}}});
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path())) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    TTextFile::WriteAtomically("volumnia.kelt", Lines(CatalogueSettings()) + "CurrentIndex\r\n1499\r\nvInteger\r\n");
    std::vector<TItem> base = Books(TDatabase::MaxItems);
    for (TItem& book : base)
        book.Details = FullDetails(book);
    // The shared history: edits of the books' notes until it nears the limit.
    std::string shared;
    int64_t at = 0;
    for (size_t i = 0; shared.size() < THistory::DefaultSizeLimit * 3 / 5; ++i, ++at) {
        TItem edited = base[i % base.size()];
        edited.Fields[5] = "note " + std::to_string(i);
        shared += Entry(at, TBookChangeKind::Updated, base[i % base.size()], edited);
    }
    std::vector<TItem> ours = base;
    std::vector<TItem> theirs = base;
    std::string ourHistory = shared;
    std::string theirHistory = shared;
    for (size_t i = 0; i < ours.size(); i += 5) {
        TItem edited = ours[i];
        edited.Fields[2] = "Our Press";
        ourHistory += Entry(at, TBookChangeKind::Updated, ours[i], edited);
        ours[i] = edited;
        edited = theirs[i + 1];
        edited.Details.Set("location", "Their shelf");
        theirHistory += Entry(at + 1, TBookChangeKind::DetailsSet, theirs[i + 1], edited);
        theirs[i + 1] = edited;
        at += 2;
    }
    TTextFile::WriteAtomically("books.orbl", DatabaseFile(ours));
    TTextFile::WriteAtomically("books.orbl.details", FullDetailsFile(ours));
    TTextFile::WriteAtomically("books.orbl.history", ourHistory);
    TTextFile::WriteAtomically("copy.orbl", DatabaseFile(theirs));
    TTextFile::WriteAtomically("copy.orbl.details", FullDetailsFile(theirs));
    TTextFile::WriteAtomically("copy.orbl.history", theirHistory);
    std::printf("two sides of %zu books, histories of %zu and %zu bytes\n", ours.size(), ourHistory.size(),
                theirHistory.size());

    const double search = MedianMs(
        101, [] {}, [] { (void)FindConflictCopies("books.orbl"); });
    std::printf("%-48s %9.3f ms  (target <= 2 ms)\n", "FindConflictCopies, none there", search);

    auto store = std::make_unique<TRFileSystem>("volumnia.kelt");
    auto database = std::make_unique<TDatabase>(*store);
    TCatalogue catalogue(std::move(store), std::move(database));
    catalogue.ReadCurrentIndex();
    catalogue.EnableHistory("Volumnia");

    const Merge::TSide ourSide = Merge::OurSide(catalogue.Database());
    const Merge::TSide theirSide =
        Merge::ReadSide("copy.orbl", "copy.orbl.details", "copy.orbl.history", catalogue.Database());
    size_t taken = 0;
    const double plan = MedianMs(
        11, [] {},
        [&] {
            const Merge::TPlan planned = Merge::Plan(ourSide, theirSide);
            taken = Merge::Settled(planned).size();
        });
    std::printf("%-48s %9.3f ms  (%zu books take the copy's details)\n", "Merge::Plan and Settled, in memory", plan,
                taken);
    const double whole = MedianMs(
        11,
        [&] {
            if (catalogue.CanUndo())
                catalogue.Undo();
            TTextFile::WriteAtomically("books.orbl.history", ourHistory);
        },
        [&] {
            const Merge::TPlan planned = Merge::Plan(
                Merge::OurSide(catalogue.Database()),
                Merge::ReadSide("copy.orbl", "copy.orbl.details", "copy.orbl.history", catalogue.Database()));
            catalogue.Merge(Merge::Settled(planned), planned.Added, planned.HighestNumber);
        });
    std::printf("%-48s %9.3f ms  (target <= 1000 ms)\n", "read both, plan, merge and save", whole);
    return 0;
}

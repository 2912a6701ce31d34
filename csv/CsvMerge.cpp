#include "csv/CsvMerge.h"

#include "csv/CsvCatalogue.h"
#include "csv/ECsvRefusal.h"
#include "engine/ConflictCopies.h"
#include "engine/Merge.h"
#include "platform/Cp1252.h"
#include "platform/WorkingFolderLock.h"
#include "settings/SettingsKeys.h"

#include <exception>

namespace {

std::string Utf8(const std::string& cp1252)
{
    return TCsvCatalogue::Utf8(cp1252);
}

std::string Named(int32_t id, const std::optional<TItem>& book)
{
    return "book " + std::to_string(id) + (book ? " \"" + Utf8(book->Fields[0]) + "\"" : std::string());
}

std::string Version(const std::optional<TItem>& book, const std::string& unit)
{
    if (!book)
        return "removed";
    // Appended, not `"\"" + text`: GCC 12 reports a false -Wrestrict there in
    // optimised builds.
    std::string text = "\"";
    text += Merge::UnitText(*book, unit);
    text += '"';
    return text;
}

void Describe(const Merge::TPlan& plan, bool dryRun, std::ostream& report)
{
    const char* would = dryRun ? "would be " : "";
    for (const TBookChange::TBook& book : plan.Books) {
        if (!book.After) {
            report << "  " << Named(book.ID, book.Before) << ": " << would << "removed, as in the copy\n";
            continue;
        }
        std::string units;
        for (const std::string& unit : Merge::DifferingUnits(*book.Before, *book.After))
            units += (units.empty() ? "" : ", ") + Merge::UnitCaption(unit);
        report << "  " << Named(book.ID, book.Before) << ": " << units << " " << would << "taken from the copy\n";
    }
    for (const TItem& book : plan.Added)
        report << "  \"" << Utf8(book.Fields[0]) << "\" (" << book.ID << " in the copy): " << would
               << "added under a new number\n";
    for (const Merge::TClash& clash : plan.Clashes)
        report << "  Clash: " << Named(clash.ID, clash.Ours ? clash.Ours : clash.Theirs) << ", "
               << Merge::UnitCaption(clash.Unit) << ": here " << Version(clash.Ours, clash.Unit) << ", in the copy "
               << Version(clash.Theirs, clash.Unit) << "\n";
}

} // namespace

void TCsvMerge::Run(const TCsvMergeOptions& options, std::ostream& report)
{
    TWorkingFolderLock lock(QStringLiteral("."), TSettingsKeys::FileName, "a merge (volumnia-csv)");
    TCsvCatalogue::TakeLock(lock, report, "nothing merged");
    TCsvCatalogue catalogue;
    const TDatabase& database = catalogue.Database();
    TWorkingFolderLock databaseLock = TWorkingFolderLock::ForFile(database.FileName(), "a merge (volumnia-csv)");
    TCsvCatalogue::TakeLock(databaseLock, report, "nothing merged");
    catalogue.Catalogue().Reload();
    catalogue.Catalogue().ReadCurrentIndex();

    const std::string file = Cp1252::FromQString(options.File);
    const std::string name = options.File.toStdString();
    const Merge::TCopyFiles files = Merge::FilesOf(file, database.FileName(), FindConflictCopies(database.FileName()));
    Merge::TSide theirs;
    try {
        theirs = Merge::ReadSide(files.Database, files.Details, files.History, database);
    } catch (const std::exception& error) {
        throw ECsvRefusal(name + ": " + Utf8(error.what()) + "; nothing merged");
    }
    Merge::TPlan plan = Merge::Plan(Merge::OurSide(database), theirs);
    report << (plan.SharedHistory
                   ? "Merging " + name + " against the last change both copies share.\n"
                   : "Merging " + name + ": no change in both histories, so each book that differs is a clash.\n");
    if (plan.Empty()) {
        report << "Nothing to merge: the copy holds nothing the catalogue lacks.\n";
    } else {
        Describe(plan, options.DryRun, report);
    }
    if (!plan.Clashes.empty()) {
        if (options.Prefer == TCsvMergeOptions::TPrefer::Nothing) {
            const std::string count =
                std::to_string(plan.Clashes.size()) + (plan.Clashes.size() == 1 ? " clash" : " clashes");
            if (!options.DryRun)
                throw ECsvRefusal(name + ": " + count +
                                  " (listed above); settle them in Volumnia, or choose a side for all with "
                                  "--prefer ours or --prefer theirs; nothing merged");
            report << count << ": a merge needs --prefer ours or --prefer theirs, or Volumnia to settle them.\n";
        }
        for (Merge::TClash& clash : plan.Clashes)
            clash.TakeTheirs = options.Prefer == TCsvMergeOptions::TPrefer::Theirs;
    }
    if (options.DryRun) {
        report << "Dry run: nothing is written.\n";
        return;
    }
    if (plan.Empty() && files.Aside.empty())
        return;
    const std::vector<TBookChange::TBook> books = Merge::Settled(plan);
    if (database.Count() + static_cast<int64_t>(plan.Added.size()) > TDatabase::MaxItems)
        throw ECsvRefusal(name + ": the books of both would be more than " + std::to_string(TDatabase::MaxItems) +
                          "; nothing merged");
    TCatalogue& target = catalogue.Catalogue();
    target.EnableStartOfRunBackup([&report](const std::string& text) { report << "Note: " << Utf8(text) << "\n"; });
    target.EnableHistory("volumnia-csv", {},
                         [&report](const std::string& text) { report << "Note: " << Utf8(text) << "\n"; });
    const std::vector<int32_t> numbers = target.Merge(books, plan.Added, plan.HighestNumber);
    report << "Merged: " << books.size() << (books.size() == 1 ? " book" : " books") << " changed, " << numbers.size()
           << (numbers.size() == 1 ? " book" : " books") << " added";
    if (!numbers.empty())
        report << " (IDs " << numbers.front() << (numbers.size() > 1 ? " to " + std::to_string(numbers.back()) : "")
               << ")";
    report << ".\n";
    // Once merged, the copy goes aside; one that cannot is said, as the
    // merge is in the catalogue.
    for (const TConflictCopy& copy : files.Aside) {
        try {
            MoveAside(copy);
            report << "Moved aside: " << Utf8(copy.Path) << "\n";
        } catch (const std::exception& error) {
            report << "Note: " << Utf8(error.what()) << "\n";
        }
    }
}

#include "app/StartupMerge.h"

#include "dialogs/MergeDialog.h"
#include "engine/Catalogue.h"
#include "engine/ConflictCopies.h"
#include "engine/Database.h"
#include "engine/Merge.h"
#include "platform/Cp1252.h"
#include "platform/gui/MessageLayer.h"
#include "platform/gui/ModalRunner.h"
#include "platform/gui/Platform.h"

#include <QFileInfo>

#include <exception>

namespace {

QString NameOf(const std::string& path)
{
    return QFileInfo(Cp1252::ToQString(path)).fileName();
}

void MergeOne(TCatalogue& catalogue, const Merge::TCopyFiles& files, QWidget* owner)
{
    const QString name = NameOf(files.Database);
    Merge::TPlan plan;
    try {
        plan = Merge::Plan(Merge::OurSide(catalogue.Database()),
                           Merge::ReadSide(files.Database, files.Details, files.History, catalogue.Database()));
    } catch (const std::exception& error) {
        TPlatform::Messages().Information(QStringLiteral("The copy %1 that a sync tool left could not be read (%2); "
                                                         "it is left where it is.")
                                              .arg(name, Cp1252::ToQString(error.what())));
        return;
    }
    if (!plan.Clashes.empty()) {
        TdlgMerge dialog(plan.Clashes, name, owner);
        if (TPlatform::Modal().Exec(dialog) != QDialog::Accepted)
            return;
    }
    const std::vector<TBookChange::TBook> books = Merge::Settled(plan);
    std::vector<int32_t> numbers;
    try {
        numbers = catalogue.Merge(books, plan.Added, plan.HighestNumber);
    } catch (const std::exception& error) {
        TPlatform::Messages().Information(
            QStringLiteral("The copy %1 that a sync tool left could not be merged (%2); it is left where it is.")
                .arg(name, Cp1252::ToQString(error.what())));
        return;
    }
    QString moved;
    for (const TConflictCopy& copy : files.Aside) {
        try {
            MoveAside(copy);
        } catch (const std::exception& error) {
            moved += QStringLiteral(" ") + Cp1252::ToQString(error.what());
        }
    }
    if (books.empty() && numbers.empty())
        return;
    TPlatform::Messages().Information(
        QStringLiteral("The copy %1 that a sync tool left was merged: %2 changed, %3 added. Undo takes the merge "
                       "back.%4")
            .arg(name, books.size() == 1 ? QStringLiteral("1 book") : QStringLiteral("%1 books").arg(books.size()),
                 numbers.size() == 1 ? QStringLiteral("1 book") : QStringLiteral("%1 books").arg(numbers.size()),
                 moved));
}

} // namespace

namespace StartupMerge {

void Run(TCatalogue& catalogue, QWidget* owner)
{
    // A read-only run changes nothing: the copies wait for a run that may.
    if (catalogue.ReadOnly())
        return;
    const std::string& database = catalogue.Database().FileName();
    const std::vector<TConflictCopy> found = FindConflictCopies(database);
    if (found.empty())
        return;
    // The browser sorts the books once it shows them; sorted first, the
    // merge's save keeps the order the file had for its undo, which then
    // gives the file back byte for byte.
    catalogue.SortByStored();
    for (const Merge::TCopyFiles& files : Merge::DatabaseCopies(database, found))
        MergeOne(catalogue, files, owner);
    for (const TConflictCopy& copy : Merge::LeftBehind(database, FindConflictCopies(database))) {
        try {
            MoveAside(copy);
        } catch (const std::exception&) {
            // Left for the next start.
        }
    }
}

} // namespace StartupMerge

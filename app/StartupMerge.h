// At start, once the catalogue is open: the sync tools' conflict copies of
// the database (engine/ConflictCopies) merged into it one by one, oldest
// first (engine/Merge), each as one change "Merge" that Undo takes back. The
// clashes of a copy are settled in one dialog (dialogs/MergeDialog); a copy
// merged goes aside, one put off ("Later") or that could not be read or
// merged stays for the next start, and the user is told.
#pragma once

class QWidget;
class TCatalogue;

namespace StartupMerge {

void Run(TCatalogue& catalogue, QWidget* owner);

} // namespace StartupMerge

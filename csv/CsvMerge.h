// TCsvMerge: volumnia-csv merge, a copy of the catalogue (a sync tool's
// conflict copy, or one found by hand) merged into the catalogue of the
// working folder book by book (engine/Merge), as Volumnia does at start: one
// change in the history, the copy and its side files' copies moved aside.
// What cannot be settled alone (the same field changed differently on both
// sides) is settled by --prefer, or the merge is refused listing it.
#pragma once

#include <QString>

#include <ostream>

struct TCsvMergeOptions {
    QString File;
    bool DryRun = false;
    enum class TPrefer { Nothing, Ours, Theirs } Prefer = TPrefer::Nothing;
};

class TCsvMerge {
public:
    static void Run(const TCsvMergeOptions& options, std::ostream& report);
};

// Settings files as they may come from outside the program: clean ones with
// duplicate names and all four kind words, ones at and past the limit of the
// store, a bad kind word, a cut-off last entry, a Ctrl+Z first or between
// entries, mixed line ends and stray CRs. Each comes with what the reader must
// make of it.
#pragma once

#include "tests/reliability/SettingsModel.h"
#include "tests/reliability/TestRandom.h"

#include <functional>
#include <string>

class TSettingsFileMaker {
public:
    // name and value make the names and values of the entries.
    TSettingsFileMaker(TTestRandom& random, std::function<std::string()> name, std::function<std::string()> value)
        : Random(random), Name(std::move(name)), Value(std::move(value))
    {
    }

    // The file's bytes; file and shape say what it is and what it must give.
    std::string Make(TSettingsModel::TFileLoad& file, std::string& shape);
    std::string Clean(int entries, TSettingsModel::TFileLoad& file);

private:
    void AddEntries(int count);

    TTestRandom& Random;
    std::function<std::string()> Name, Value;
    TSettingsModel::TFileLoad* File = nullptr;
    std::string Bytes;
    int LineEnds = 0;
};

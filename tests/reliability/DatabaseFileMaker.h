// Database files as they may come from outside the program: clean ones with
// duplicate IDs and every spelling of a number, ones at and past the limit of
// the table, an empty or a bad ID line, a cut-off last item, a Ctrl+Z, mixed
// line ends and stray CRs. Each comes with what the reader must make of it.
#pragma once

#include "tests/reliability/DatabaseModel.h"
#include "tests/reliability/TestRandom.h"

#include <functional>
#include <string>

class TDatabaseFileMaker {
public:
    TDatabaseFileMaker(TTestRandom& random, std::function<std::string()> fieldText)
        : Random(random), FieldText(std::move(fieldText))
    {
    }

    // The file's bytes; file and shape say what it is and what it must give.
    std::string Make(TDatabaseModel::TFileLoad& file, std::string& shape);
    // A clean file of count items whose IDs are given by id(i).
    std::string Clean(int count, const std::function<int32_t(int)>& id, TDatabaseModel::TFileLoad& file);

private:
    void AddItems(int count, const std::function<int32_t(int)>& id);

    TTestRandom& Random;
    std::function<std::string()> FieldText;
    TDatabaseModel::TFileLoad* File = nullptr;
    std::string Bytes;
    int LineEnds = 0;
};

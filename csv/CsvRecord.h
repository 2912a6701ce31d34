// One record of a CSV file: its fields and the line of the file where each
// field begins (a quoted field may span lines), counted from 1.
#pragma once

#include <QString>

#include <vector>

struct TCsvRecord {
    std::vector<QString> Fields;
    std::vector<int> Lines;
    int Line() const { return Lines.front(); }
};

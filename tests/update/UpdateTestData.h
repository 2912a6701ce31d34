// Fixture files of the update program's tests (tests/data/update), read as raw bytes.
#pragma once

#include <QFile>

#include <stdexcept>
#include <string>

inline std::string UpdateTestData(const std::string& name)
{
    QFile file(QStringLiteral(VOLUMNIA_TEST_DATA "/update/") + QString::fromStdString(name));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("missing test data file update/" + name);
    return file.readAll().toStdString();
}

inline int CountCrLfLines(const std::string& text)
{
    int lines = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++lines;
    return lines;
}

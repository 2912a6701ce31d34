// Set-up shared by the reliability tests: working folders (on a RAM file
// system for the long model runs, where a save costs no disk flush), the
// aliases the database tests use, and the settings file that names them.
#pragma once

#include "engine/Item.h"
#include "tests/support/TempWorkingFolder.h"

#include <QDir>

#include <memory>
#include <string>

namespace Reliability {

// Exact matching is part of what is tested: field 8 repeats the alias of field
// 2 (so the first wins and field 8 has no alias of its own), field 9's alias is
// the empty text, and one alias holds an 8-bit letter.
inline const TAlias Aliases = {
    "Book title",     "Book author", "Publisher",   "Year published", "Other information (1)",
    "Other \xE4 (2)", "Loaner",      "Date loaned", "Publisher",      ""};

inline std::string DatabaseSettings(const std::string& databasePath)
{
    std::string bytes = "orbl_databasefile\r\n" + databasePath + "\r\nvString\r\n";
    for (size_t i = 0; i < Aliases.size(); ++i)
        bytes += "orbl_alias" + std::to_string(i) + "\r\n" + Aliases[i] + "\r\nvString\r\n";
    return bytes;
}

// A temporary working folder on /dev/shm when there is one: the model runs
// save thousands of times, and each save flushes the file to its disk.
inline std::unique_ptr<TTempWorkingFolder> RamFolder()
{
    const bool had = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray former = qgetenv("TMPDIR");
    if (QDir(QStringLiteral("/dev/shm")).exists())
        qputenv("TMPDIR", "/dev/shm");
    auto folder = std::make_unique<TTempWorkingFolder>();
    if (had)
        qputenv("TMPDIR", former);
    else
        qunsetenv("TMPDIR");
    return folder;
}

} // namespace Reliability

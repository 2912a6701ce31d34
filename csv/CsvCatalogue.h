// TCsvCatalogue: the catalogue of the working folder as volumnia-csv sees it:
// the settings store on "volumnia.kelt" and the database it names, both read
// without writing anything back. A file that cannot be read becomes a refusal
// naming it, with the engine's own message.
#pragma once

#include "engine/Database.h"
#include "settings/RFileSystem.h"

#include <QString>

#include <memory>
#include <string>

class TCsvCatalogue {
public:
    TCsvCatalogue();

    TRFileSystem& Settings() { return *FSettings; }
    TDatabase& Database() { return *FDatabase; }

    // The engines' messages and paths are Windows-1252; standard error wants UTF-8.
    static std::string Utf8(const std::string& cp1252);
    // The database file's path for the file system.
    QString DatabasePath() const;

private:
    std::unique_ptr<TRFileSystem> FSettings;
    std::unique_ptr<TDatabase> FDatabase;
};

// TCsvCatalogue: the catalogue of the working folder as volumnia-csv sees it:
// the settings store on "volumnia.kelt" and the database it names, both read
// without writing anything back, in the catalogue through which an import
// adds its books. A file that cannot be read becomes a refusal naming it,
// with the engine's own message.
#pragma once

#include "engine/Catalogue.h"
#include "engine/Database.h"
#include "settings/RFileSystem.h"

#include <QString>

#include <memory>
#include <string>

class TCsvCatalogue {
public:
    TCsvCatalogue();

    TRFileSystem& Settings() { return FCatalogue->Settings(); }
    const TDatabase& Database() const { return FCatalogue->Database(); }
    TCatalogue& Catalogue() { return *FCatalogue; }

    // The engines' messages and paths are Windows-1252; standard error wants UTF-8.
    static std::string Utf8(const std::string& cp1252);
    // The database file's path for the file system.
    QString DatabasePath() const;

private:
    std::unique_ptr<TCatalogue> FCatalogue;
};

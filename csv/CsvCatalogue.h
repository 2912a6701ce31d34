// TCsvCatalogue: the catalogue of the working folder as volumnia-csv sees it:
// the settings store on "volumnia.kelt" and the database it names, both read
// without writing anything back, in the catalogue through which an import
// adds its books. A file that cannot be read becomes a refusal naming it,
// with the engine's own message.
#pragma once

#include "engine/Catalogue.h"
#include "engine/Database.h"
#include "platform/WorkingFolderLock.h"
#include "settings/RFileSystem.h"

#include <QString>

#include <memory>
#include <ostream>
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
    // Takes a lock of the working folder or the database: Volumnia keeps its
    // books in memory and writes them at its end, so a command changing the
    // files of a folder it runs on would be lost. A lock held elsewhere is a
    // refusal ending in `nothingDone` ("nothing imported"); where no lock
    // file can be made at all, the report says so and the command goes on.
    static void TakeLock(TWorkingFolderLock& lock, std::ostream& report, const std::string& nothingDone);

private:
    std::unique_ptr<TCatalogue> FCatalogue;
};

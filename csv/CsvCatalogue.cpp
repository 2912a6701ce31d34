#include "csv/CsvCatalogue.h"

#include "csv/ECsvRefusal.h"
#include "platform/Cp1252.h"
#include "settings/SettingsKeys.h"

#include <QFile>

#include <exception>
#include <utility>

TCsvCatalogue::TCsvCatalogue()
{
    std::unique_ptr<TRFileSystem> settings;
    std::unique_ptr<TDatabase> database;
    try {
        settings = std::make_unique<TRFileSystem>(TSettingsKeys::FileName);
    } catch (const std::exception& error) {
        const bool missing = !QFile::exists(QString::fromLatin1(TSettingsKeys::FileName));
        throw ECsvRefusal(std::string(TSettingsKeys::FileName) + ": " + Utf8(error.what()) +
                          (missing ? " (run volumnia-csv in Volumnia's folder)" : ""));
    }
    try {
        database = std::make_unique<TDatabase>(std::as_const(*settings), TDatabase::TLoadOnly{});
    } catch (const std::exception& error) {
        std::string path;
        if (settings->ValueExists("orbl_databasefile"))
            path = Utf8(settings->ReadString("orbl_databasefile")) + ": ";
        throw ECsvRefusal("database " + path + Utf8(error.what()));
    }
    FCatalogue = std::make_unique<TCatalogue>(std::move(settings), std::move(database));
}

std::string TCsvCatalogue::Utf8(const std::string& cp1252)
{
    return Cp1252::ToQString(cp1252).toStdString();
}

QString TCsvCatalogue::DatabasePath() const
{
    return Cp1252::ToQString(FCatalogue->Database().FileName());
}

void TCsvCatalogue::TakeLock(TWorkingFolderLock& lock, std::ostream& report, const std::string& nothingDone)
{
    switch (lock.TryLock()) {
    case TWorkingFolderLock::TResult::Locked:
        break;
    case TWorkingFolderLock::TResult::HeldElsewhere:
    case TWorkingFolderLock::TResult::Refused:
        throw ECsvRefusal(Utf8(lock.Message()) + "; " + nothingDone);
    case TWorkingFolderLock::TResult::NotPossible:
        // Neither beside the file nor in the runtime folder.
        report << "No lock file can be made for " << lock.LockPath().constData()
               << ": make sure no other program works on these files.\n";
        break;
    }
}

#include "csv/CsvCatalogue.h"

#include "csv/ECsvRefusal.h"
#include "platform/Cp1252.h"
#include "settings/SettingsKeys.h"

#include <QFile>

#include <exception>
#include <utility>

TCsvCatalogue::TCsvCatalogue()
{
    try {
        FSettings = std::make_unique<TRFileSystem>(TSettingsKeys::FileName);
    } catch (const std::exception& error) {
        const bool missing = !QFile::exists(QString::fromLatin1(TSettingsKeys::FileName));
        throw ECsvRefusal(std::string(TSettingsKeys::FileName) + ": " + Utf8(error.what()) +
                          (missing ? " (run volumnia-csv in Volumnia's folder)" : ""));
    }
    try {
        FDatabase = std::make_unique<TDatabase>(std::as_const(*FSettings), TDatabase::TLoadOnly{});
    } catch (const std::exception& error) {
        std::string path;
        if (FSettings->ValueExists("orbl_databasefile"))
            path = Utf8(FSettings->ReadString("orbl_databasefile")) + ": ";
        throw ECsvRefusal("database " + path + Utf8(error.what()));
    }
}

std::string TCsvCatalogue::Utf8(const std::string& cp1252)
{
    return Cp1252::ToQString(cp1252).toStdString();
}

QString TCsvCatalogue::DatabasePath() const
{
    return Cp1252::ToQString(FDatabase->FileName());
}

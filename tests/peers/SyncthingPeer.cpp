// One computer's side in the sync tier (tests/peers/syncthing.py), run in its
// working folder as that computer's user: makes a change to the books the way
// Volumnia does (the locks taken, the history kept, one save a change), and
// lists the conflict copies the finder sees beside a file.
//   syncthing-peer add TITLE AUTHOR
//   syncthing-peer publisher ID TEXT | title ID TEXT | lend ID LOANER DATE
//   syncthing-peer find FILE      (lines: tool TAB original TAB copy)
//   syncthing-peer settings merge (the settings file's copies merged in; how many)
//   syncthing-peer hold           (a running Volumnia: takes the locks, says "held",
//                                  saves a publisher for each line "ID TEXT" of its
//                                  input, and lets go at the end of it)
#include "engine/Catalogue.h"
#include "engine/ConflictCopies.h"
#include "engine/Database.h"
#include "platform/WorkingFolderLock.h"
#include "settings/RFileSystem.h"
#include "settings/SettingsKeys.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

namespace {

int Fail(const std::string& why)
{
    std::cerr << "syncthing-peer: " << why << "\n";
    return 2;
}

void Take(TWorkingFolderLock& lock)
{
    if (lock.TryLock() != TWorkingFolderLock::TResult::Locked)
        throw std::runtime_error(lock.Message());
}

int Change(const std::string& command, int argc, char** argv)
{
    TWorkingFolderLock folder(QStringLiteral("."), TSettingsKeys::FileName, "Volumnia");
    Take(folder);
    auto settings = std::make_unique<TRFileSystem>(TSettingsKeys::FileName);
    TWorkingFolderLock file = TWorkingFolderLock::ForFile(settings->ReadString("orbl_databasefile"), "Volumnia");
    Take(file);
    auto database = std::make_unique<TDatabase>(*settings);
    TCatalogue catalogue(std::move(settings), std::move(database));
    catalogue.ReadCurrentIndex();
    catalogue.EnableHistory("Volumnia", [] { return QDateTime::currentMSecsSinceEpoch(); });
    if (command == "hold") {
        // A running Volumnia: each line of input a book's new publisher
        // ("ID TEXT"), answered "saved" or "refused: <why>".
        std::cout << "held" << std::endl;
        int32_t id = 0;
        std::string text;
        while (std::cin >> id && std::getline(std::cin >> std::ws, text)) {
            try {
                const int32_t slot = catalogue.Database().SlotOf(id);
                if (slot < 0)
                    throw std::runtime_error("no book " + std::to_string(id));
                TItem book = catalogue.Database().ItemAt(slot);
                book.Fields[2] = text;
                catalogue.Update(book);
                std::cout << "saved" << std::endl;
            } catch (const std::exception& error) {
                std::cout << "refused: " << error.what() << std::endl;
            }
        }
        return 0;
    }
    if (command == "add" && argc == 4) {
        TItem book;
        book.Fields[0] = argv[2];
        book.Fields[1] = argv[3];
        std::cout << catalogue.Add(book) << "\n";
        return 0;
    }
    const int32_t id = argc >= 4 ? std::atoi(argv[2]) : 0;
    const int32_t slot = catalogue.Database().SlotOf(id);
    if (slot < 0)
        return Fail("no book " + std::to_string(id));
    TItem book = catalogue.Database().ItemAt(slot);
    if ((command == "publisher" || command == "title") && argc == 4) {
        book.Fields[command == "title" ? 0 : 2] = argv[3];
        catalogue.Update(book);
    } else if (command == "lend" && argc == 5) {
        catalogue.Lend(id, argv[3], argv[4]);
    } else {
        return Fail("unknown command");
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const std::string command = argc > 1 ? argv[1] : "";
    if (argc < 3 && command != "hold")
        return Fail("usage: syncthing-peer add|publisher|title|lend|find|settings|hold ...");
    try {
        if (command == "settings") {
            TWorkingFolderLock folder(QStringLiteral("."), TSettingsKeys::FileName, "Volumnia");
            Take(folder);
            TRFileSystem settings(TSettingsKeys::FileName);
            std::cout << MergeSettingsCopies(settings).size() << "\n";
            return 0;
        }
        if (command == "find") {
            for (const TConflictCopy& copy : FindConflictCopies(argv[2]))
                std::cout << copy.Tool << "\t" << copy.Original << "\t" << copy.Path << "\n";
            return 0;
        }
        return Change(command, argc, argv);
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
}

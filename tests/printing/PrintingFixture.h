// A settings store and a database in a temporary working folder, and a browser
// grid made of plain rows, for tests of the print run without windows.
#pragma once

#include "engine/ORBL.h"
#include "platform/Cp1252.h"
#include "printing/BookListPrinter.h"
#include "tests/support/DatabaseFile.h"
#include "tests/support/RecordingPrintTarget.h"
#include "tests/support/TempWorkingFolder.h"

#include <QString>

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

// A book as the tests build them: title, author, publisher; a loan when date is set.
inline TItem PrintBook(int32_t id, const std::string& title, const std::string& author, const std::string& publisher,
                       const std::string& loaner = "", const std::string& date = "")
{
    TItem item;
    item.ID = id;
    item.Fields[0] = title;
    item.Fields[1] = author;
    item.Fields[2] = publisher;
    item.Fields[6] = loaner;
    item.Fields[7] = date;
    return item;
}

// n books "Title i" / "Author i" / "Publisher i", i from 1.
inline std::vector<TItem> NumberedBooks(int n)
{
    std::vector<TItem> books;
    for (int i = 1; i <= n; ++i)
        books.push_back(PrintBook(i, "Title " + std::to_string(i), "Author " + std::to_string(i),
                                  "Publisher " + std::to_string(i)));
    return books;
}

class TPrintingFixture : public ::testing::Test {
protected:
    // The settings an installation holds for printing and for the database.
    static std::map<std::string, std::string> DefaultSettings()
    {
        return {
            {"orbl_databasefile", "books.orbl"},
            {"orbl_alias0", "Book title"},
            {"orbl_alias1", "Book author"},
            {"orbl_alias2", "Publisher"},
            {"orbl_alias3", "Year published"},
            {"orbl_alias4", "Other information (1)"},
            {"orbl_alias5", "Other information (2)"},
            {"orbl_alias6", "Loaner"},
            {"orbl_alias7", "Date loaned"},
            {"orbl_alias8", "Reserved (8)"},
            {"orbl_alias9", "Reserved (9)"},
            {"pcol1", "Book title"},
            {"pcol2", "Book author"},
            {"pcol3", "Publisher"},
            {"pcol1_dst", "20"},
            {"pcol2_dst", "950"},
            {"pcol3_dst", "1800"},
        };
    }
    std::map<std::string, std::string> Settings = DefaultSettings();

    // Writes both files and opens the engines on them; the browser grid gets
    // one row per book as the main window fills it (bullet, author, title,
    // publisher), or one blank row for an empty database.
    void Open(const std::vector<TItem>& books)
    {
        std::string settings;
        for (const auto& [name, value] : Settings) {
            const bool integer = name.ends_with("_dst");
            settings += name + "\r\n" + value + "\r\n" + (integer ? "vInteger" : "vString") + "\r\n";
        }
        Folder.WriteFile("volumnia.kelt", settings);
        Folder.WriteFile("books.orbl", DatabaseFile(books));
        Store = std::make_unique<TRFileSystem>("volumnia.kelt");
        Database = std::make_unique<TDatabase>(*Store);

        Shown.clear();
        for (const TItem& item : books)
            Shown.push_back(item.ID);
    }

    TBrowserRows Browser() { return {Shown}; }

    static TPrintOptions Options(TPrintChoice choice, bool listFormat = true, int size = 10)
    {
        TPrintOptions options;
        options.Choice = choice;
        options.ListFormat = listFormat;
        options.Font.Face = QStringLiteral("MS Sans Serif");
        options.Font.Size = size;
        return options;
    }

    // A whole run as the print dialog makes it: settings first, then the printer.
    TBookListPrinter Run(const TPrintOptions& options, IPrintTarget& target)
    {
        TBookListPrinter printer(*Database, *Store, Browser(), options);
        printer.ReadSettings();
        printer.Print(target);
        return printer;
    }

    TTempWorkingFolder Folder;
    std::unique_ptr<TRFileSystem> Store;
    std::unique_ptr<TDatabase> Database;
    // The IDs the browser lists: every book, unless a test lists a search's result.
    std::vector<int32_t> Shown;
};

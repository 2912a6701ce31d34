// Shared set-up of the engine tests: a temporary working folder holding a
// settings file that names "books.orbl" and the ten aliases, helpers to write
// database files as raw bytes, and an engine made from them like the program
// makes it.
#pragma once

#include "engine/ORBL.h"
#include "tests/support/TempWorkingFolder.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace EngineTest {

inline const TAlias Aliases = {
    "Book title", "Book author", "Publisher", "Year published", "Other information (1)", "Other information (2)",
    "Loaner",     "Date loaned", "Spare one", "Spare two"};

inline TItem Item(int32_t id, const std::string& title = {}, const std::string& author = {},
                  const std::string& publisher = {})
{
    TItem item;
    item.ID = id;
    item.Fields[0] = title;
    item.Fields[1] = author;
    item.Fields[2] = publisher;
    return item;
}

// The 11 lines of one item as SaveToFile writes them.
inline std::string ItemLines(const TItem& item)
{
    std::vector<std::string> lines{std::to_string(item.ID)};
    lines.insert(lines.end(), item.Fields.begin(), item.Fields.end());
    return CrLfLines(lines);
}

inline std::string FileOf(const std::vector<TItem>& items)
{
    std::string bytes;
    for (const TItem& item : items)
        bytes += ItemLines(item);
    return bytes;
}

// n items with IDs 1..n and a title naming the ID.
inline std::vector<TItem> Numbered(int n)
{
    std::vector<TItem> items;
    for (int i = 1; i <= n; ++i)
        items.push_back(Item(i, "Title " + std::to_string(i)));
    return items;
}

class TEngineFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        WriteSettings(SettingsLines());
    }

    static std::vector<std::string> SettingsLines()
    {
        std::vector<std::string> lines{"orbl_databasefile", "books.orbl", "vString"};
        for (size_t i = 0; i < Aliases.size(); ++i)
            lines.insert(lines.end(), {"orbl_alias" + std::to_string(i), Aliases[i], "vString"});
        return lines;
    }
    void WriteSettings(const std::vector<std::string>& lines) { Folder.WriteFile("volumnia.kelt", CrLfLines(lines)); }

    void WriteDatabase(const std::string& bytes) { Folder.WriteFile("books.orbl", bytes); }
    std::string DatabaseBytes() const { return Folder.ReadFile("books.orbl"); }

    // Makes the settings store and the engine on the files now in the folder.
    TDatabase& Open()
    {
        Database.reset();
        Settings = std::make_unique<TRFileSystem>("volumnia.kelt");
        Database = std::make_unique<TDatabase>(*Settings);
        return *Database;
    }
    TDatabase& OpenWith(const std::string& bytes)
    {
        WriteDatabase(bytes);
        return Open();
    }

    // Slot i as GetItem by index gives it.
    TItem Slot(int32_t i) const
    {
        TItem item;
        Database->GetItem(-1, i, item);
        return item;
    }
    std::vector<int32_t> Ids() const
    {
        std::vector<int32_t> ids;
        for (int32_t i = 0; i < Database->Count(); ++i)
            ids.push_back(Slot(i).ID);
        return ids;
    }

    TTempWorkingFolder Folder;
    std::unique_ptr<TRFileSystem> Settings;
    std::unique_ptr<TDatabase> Database;
};

// Runs f and returns the message of the error of class E it raises; fails the
// test when it raises nothing or something else.
template <typename E, typename F> std::string ErrorOf(F&& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.what();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "wrong error class, message: " << e.what();
        return {};
    }
    ADD_FAILURE() << "no error raised";
    return {};
}

} // namespace EngineTest

// A running Volumnia for window tests: a temporary working folder holding an
// installed settings file and a database file, the scripted platform services,
// and the windows made as the program makes them. Tests may change the
// files before Start() and read them after Stop() (which destroys the windows
// the way the program's end does, so the main window writes its state back).
#pragma once

#include "engine/Item.h"
#include "tests/support/DatabaseFile.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TempWorkingFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class TApplicationWindows;
class TCatalogue;
class TRunState;
class TShownRows;

// The settings an installation places, in file order: every key the programs
// read, with the database file "books.orbl".
std::vector<std::pair<std::string, std::string>> InstalledSettings();
// A settings file (CR LF, kinds as the programs write them) for those pairs.
std::string SettingsFile(const std::vector<std::pair<std::string, std::string>>& settings);
// A book: title, author, publisher, year; loaner and loan date optional.
TItem Book(int32_t id, const std::string& title, const std::string& author, const std::string& publisher,
           const std::string& year = "", const std::string& loaner = "", const std::string& date = "");

class TAppFixture : public ::testing::Test {
protected:
    TAppFixture();
    ~TAppFixture() override;

    // Writes the settings (InstalledSettings() with Overrides applied, minus
    // Removed) and the books, unless a test wrote its own files already.
    void WriteFiles(const std::vector<TItem>& books);
    // Makes the windows; returns whether start-up succeeded.
    bool Start();
    // Destroys the windows as the program's end does.
    void Stop();

    // What the windows of the running program share.
    TCatalogue& Catalogue();
    TShownRows& Rows();
    TRunState& Run();
    // Lists these books as a search's result would.
    void ShowFound(const std::vector<TItem>& books);

    std::string SettingsText() const { return Folder.ReadFile("volumnia.kelt"); }
    std::string DatabaseText() const { return Folder.ReadFile("books.orbl"); }
    // The value of a setting in the file on disk ("" and false when missing).
    bool SettingOnDisk(const std::string& name, std::string& value) const;

    std::map<std::string, std::string> Overrides;
    std::vector<std::string> Removed;

    TTempWorkingFolder Folder;
    TScriptedPlatform Platform;
    std::unique_ptr<TApplicationWindows> Windows;
};

// A plain reference model of the settings store, written from the store's
// rules and not from its code: entries in file order, lookups by the first
// entry of a name (case-sensitive), the capacity check of adding, the kind
// words, the platform's integer conversion, and what a save or a load leaves
// behind when it fails. Each operation returns the outcome the store must give
// and applies the change the store must make.
#pragma once

#include "settings/Value.h"
#include "tests/reliability/Outcome.h"

#include <cstdint>
#include <string>
#include <vector>

class TSettingsModel {
public:
    static constexpr int32_t AddLimit = 1499;

    // How the save that a write ends with will go.
    enum class TDisk { Writable, FileMissing, WriteFails };

    const std::vector<TValue>& Values() const { return Entries; }

    TOutcome ReadString(const std::string& name, std::string& value) const;
    TOutcome ReadInteger(const std::string& name, int32_t& value) const;
    bool ValueExists(const std::string& name) const;
    TOutcome WriteString(const std::string& name, const std::string& text, TDisk disk);
    TOutcome WriteInteger(const std::string& name, int32_t number, TDisk disk);
    TOutcome Save(TDisk disk) const;

    // The bytes a save writes.
    std::string FileContent() const;

    // A settings file put in place from outside, as its reader must take it.
    struct TFileLoad {
        std::vector<TValue> Entries;
        bool Missing = false; // no file at all
        bool NoData = false;  // 0 bytes, or a Ctrl+Z first
        bool Corrupt = false; // a kind line that is no kind word, or entries after a Ctrl+Z
        bool TooMany = false; // more entries than the store has positions
    };
    TOutcome Loaded(const TFileLoad& file);

    // The platform's text-to-integer rules, written out again.
    static bool ToInteger(const std::string& text, int32_t& value);
    static std::string Cleaned(const std::string& text);
    static const char* KindWord(TValueKind kind);

private:
    int32_t Find(const std::string& name) const; // -1 when not held
    TOutcome Write(const TValue& value, TDisk disk);

    std::vector<TValue> Entries;
};

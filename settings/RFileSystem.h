// TRFileSystem: the settings store. Named text values held in memory and
// mirrored in one plain text file (three lines a value: name, value, kind
// word; CR LF line ends). Every add or update, or every batch of them
// (WriteValues), rewrites the whole file atomically (unless its bytes would
// not change) and reads it back. The store never creates its file.
#pragma once

#include "settings/Value.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TRFileSystem {
public:
    static constexpr int32_t Capacity = 1500; // positions
    static constexpr int32_t MaxAdded = 1499; // values an add may reach

    // Create: sets FileName and loads the file; raises what LoadFromFile raises.
    explicit TRFileSystem(const std::string& fileName);

    void LoadFromFile();
    void SaveToFile();
    void GetValue(const std::string& name, std::string& value) const;
    bool ValueExists(const std::string& name) const;
    void AddValue(const TValue& value);
    void UpdateValue(const TValue& value);
    std::string ReadString(const std::string& name) const;
    int32_t ReadInteger(const std::string& name) const;
    void WriteString(const std::string& name, const std::string& text);
    void WriteInteger(const std::string& name, int32_t number);
    // Several settings that belong together in one save of the file (and one
    // read back), so that they reach the file together or not at all: each
    // value is added or updates the first of its name, as WriteString and
    // WriteInteger do. Checked first: when the new names would take the store
    // past MaxAdded, "#107" is raised and nothing changes. On a failed save
    // the values stay in memory, as after a failed WriteString.
    void WriteValues(const std::vector<TValue>& values);
    static TValue StringValue(const std::string& name, const std::string& text);
    static TValue IntegerValue(const std::string& name, int32_t number);

    // From now on the values change in memory only and the file is never
    // written: a run that only looks at files another program holds.
    void KeepInMemory() { InMemoryOnly = true; }

    int32_t ValueCount() const { return FValueCount; }
    const TValue& ValueAt(int32_t position) const { return Values[static_cast<size_t>(position)]; }
    const std::string& FileName() const { return FFileName; }

private:
    int32_t Find(const std::string& name) const; // first position, or -1

    std::array<TValue, Capacity> Values;
    int32_t FValueCount = 0;
    std::string FFileName;
    bool InMemoryOnly = false;
};

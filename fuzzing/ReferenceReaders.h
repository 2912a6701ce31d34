// Reference readings of the database file and the settings file for the fuzz
// harnesses. They follow the documented file rules in the plainest way possible
// and share no code with the program's readers on purpose: each harness compares
// what the real engine loads with what these say it must load, so a fault in the
// engine's line splitting, number conversion or record assembly shows up as a
// mismatch even when nothing crashes.
#pragma once

#include "engine/Item.h"
#include "settings/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ReferenceReaders {

// Slots of both tables: a file may fill them all, an add stops one short.
constexpr size_t TableSlots = 1500;

// The lines of a data file: a byte 26 ends the data, a line ends at LF, a CR is
// never part of a text, and the last line may lack its end. The expectations
// below read the same way, line by line.
std::vector<std::string> Lines(std::string_view bytes);

// A whole number as both files write it and read it: leading blanks, then a
// sign and decimal digits within 32 bits, or a "$", "x" or "0x" prefix (either
// case) and one to eight hexadecimal digits taken as a 32-bit pattern.
std::optional<int32_t> Integer(std::string_view text);

struct TExpectedDatabase {
    enum class TOutcome {
        Loaded,
        BadIdLine,
        TooManyItems,
        TextAfterEmptyIdLine,
        TextAfterCtrlZ,
        CutInsideALine,
        TwoOfOneId
    };
    TOutcome Outcome = TOutcome::Loaded;
    std::vector<TItem> Items; // the items completed before the load ended
    bool Empty = false;       // an empty line stood where an ID was due
    std::string BadLine;      // the ID line that is no number
};

// What a freshly made engine must hold after loading these bytes. A file in
// which a non-empty line follows an empty ID line, or anything but line ends
// follows a byte 26, is damaged and refused.
TExpectedDatabase ExpectedDatabase(std::string_view bytes);

// The conversion error's message for a text: at most its first 100
// characters are quoted, then "...".
std::string NotAnIntegerMessage(const std::string& text);

// The bytes a save of these items must write.
std::string DatabaseFileOf(const std::vector<TItem>& items);

struct TExpectedSettings {
    enum class TOutcome { Loaded, Corrupted, TooManyValues };
    TOutcome Outcome = TOutcome::Loaded;
    std::vector<TValue> Values;
};

// What a freshly made settings store must hold after loading these bytes;
// anything but line ends after a byte 26 makes a corrupted file.
TExpectedSettings ExpectedSettings(std::string_view bytes);

// The bytes a save of these values must write.
std::string SettingsFileOf(const std::vector<TValue>& values);

} // namespace ReferenceReaders

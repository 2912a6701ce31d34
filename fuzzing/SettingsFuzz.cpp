// Fuzz harness of the settings file reader. Each input is written as a settings
// file and opened by a new TRFileSystem. The load must end as the reference
// reading of the same bytes says (the same values, or the documented refusal);
// the lookups must answer from the first value of a name; an accepted file must
// save to its canonical bytes and load again, in a fresh store, to the very same
// values. Anything else aborts: a mismatch, an undocumented exception, a
// sanitizer report.
#include "fuzzing/FuzzSupport.h"
#include "fuzzing/ReferenceReaders.h"
#include "settings/KELT.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace SettingsFuzz {

namespace {

using FuzzSupport::Check;
using FuzzSupport::Fail;
using FuzzSupport::Mismatch;
using FuzzSupport::Shown;
using ReferenceReaders::TExpectedSettings;

// Names whose lookups are checked: a lookup is a linear scan, so checking every
// name of a full store would dominate the run time.
constexpr size_t LookupChecks = 16;

const std::string& InputPath()
{
    static const std::string path = FuzzSupport::ScratchFolder() + "/fuzz-input.kelt";
    return path;
}

std::string Where(const char* stage, size_t position)
{
    return std::string(stage) + ", position " + std::to_string(position) + ": ";
}

void CheckHolds(const TRFileSystem& store, const std::vector<TValue>& values, const char* stage)
{
    if (store.ValueCount() < 0 || static_cast<size_t>(store.ValueCount()) != values.size())
        Fail(std::string(stage) + ": ValueCount() is " + std::to_string(store.ValueCount()) + ", expected " +
             std::to_string(values.size()));
    Check(store.ValueCount() <= static_cast<int32_t>(ReferenceReaders::TableSlots), "ValueCount() above 1500");
    for (size_t i = 0; i < values.size(); ++i) {
        const TValue& got = store.ValueAt(static_cast<int32_t>(i));
        const TValue& want = values[i];
        if (got.Name != want.Name)
            Fail(Where(stage, i) + "name: " + Mismatch(got.Name, want.Name));
        if (got.Value != want.Value)
            Fail(Where(stage, i) + "value: " + Mismatch(got.Value, want.Value));
        if (got.Kind != want.Kind)
            Fail(Where(stage, i) + "kind " + std::to_string(static_cast<int>(got.Kind)) + ", expected " +
                 std::to_string(static_cast<int>(want.Kind)));
    }
}

// Reads answer from the first value of a name; ReadInteger takes the same number
// forms as the files; a name not held is refused with the documented message.
void CheckLookups(const TRFileSystem& store, const std::vector<TValue>& values)
{
    size_t longestName = 0;
    for (const TValue& value : values)
        longestName = std::max(longestName, value.Name.size());
    const std::string absent(longestName + 1, 'Q'); // longer than every name held
    const auto absentRefusal = FuzzSupport::DocumentedRefusal([&] { store.ReadString(absent); });
    const std::string absentMessage =
        values.empty() ? "#104: No values saved." : "#105: Supplied value name not found.";
    if (!absentRefusal || absentRefusal->Class != "EInvalidParam" || absentRefusal->Message != absentMessage)
        Fail("reading a name not held did not raise EInvalidParam " + Shown(absentMessage));
    Check(!store.ValueExists(absent), "ValueExists is true for a name not held");

    for (size_t i = 0; i < values.size() && i < LookupChecks; ++i) {
        const std::string& name = values[i].Name;
        const TValue& first =
            *std::find_if(values.begin(), values.end(), [&name](const TValue& value) { return value.Name == name; });
        Check(store.ValueExists(name), "ValueExists is false for a name held");
        if (store.ReadString(name) != first.Value)
            Fail(Where("lookup", i) + "ReadString(" + Shown(name) + ") does not give the first value of that name");

        const std::optional<int32_t> number = ReferenceReaders::Integer(first.Value);
        int32_t read = 0;
        const auto refusal = FuzzSupport::DocumentedRefusal([&] { read = store.ReadInteger(name); });
        if (number && (refusal || read != *number))
            Fail(Where("lookup", i) + "ReadInteger of " + Shown(first.Value) + " is not " + std::to_string(*number));
        const std::string message = ReferenceReaders::NotAnIntegerMessage(first.Value);
        if (!number && !refusal)
            Fail(Where("lookup", i) + "ReadInteger took " + Shown(first.Value) + " as " + std::to_string(read));
        if (!number && (refusal->Class != "EConvertError" || refusal->Message != message))
            Fail(Where("lookup", i) + "ReadInteger raised " + refusal->Class + ": " +
                 Mismatch(refusal->Message, message));
    }
}

void CheckRefusal(const std::optional<FuzzSupport::TRefusal>& refusal, const TExpectedSettings& expected)
{
    using TOutcome = TExpectedSettings::TOutcome;
    switch (expected.Outcome) {
    case TOutcome::Loaded:
        if (refusal)
            Fail("a readable file was refused with " + refusal->Class + " " + Shown(refusal->Message));
        return;
    case TOutcome::Corrupted:
        if (!refusal || refusal->Class != "EKELTError" || refusal->Message != "#102: File corrupted.")
            Fail("a bad kind line did not raise EKELTError \"#102: File corrupted.\"" +
                 (refusal ? ", but " + refusal->Class + " " + Shown(refusal->Message) : std::string()));
        return;
    case TOutcome::TooManyValues:
        // The table cannot take the file; the store refuses it whole.
        if (!refusal || refusal->Class != "EKELTError")
            Fail("a file of more than " + std::to_string(ReferenceReaders::TableSlots) +
                 " values was not refused with EKELTError" + (refusal ? ", but " + refusal->Class : ""));
        return;
    }
}

} // namespace

} // namespace SettingsFuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace SettingsFuzz;
    const std::string& path = InputPath();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FuzzSupport::WriteBytes(path, bytes);
    const TExpectedSettings expected = ReferenceReaders::ExpectedSettings(bytes);

    std::unique_ptr<TRFileSystem> store;
    const auto refusal = FuzzSupport::DocumentedRefusal([&] { store = std::make_unique<TRFileSystem>(path); });
    CheckRefusal(refusal, expected);
    if (refusal)
        return 0;
    CheckHolds(*store, expected.Values, "load");
    CheckLookups(*store, expected.Values);

    const auto saveRefusal = FuzzSupport::DocumentedRefusal([&] { store->SaveToFile(); });
    if (saveRefusal)
        Fail("saving an accepted file raised " + saveRefusal->Class + " " + Shown(saveRefusal->Message));
    const std::string saved = FuzzSupport::ReadBytes(path);
    const std::string canonical = ReferenceReaders::SettingsFileOf(expected.Values);
    if (saved != canonical)
        Fail("the saved file is not the canonical form of the loaded values: " + Mismatch(saved, canonical));

    std::unique_ptr<TRFileSystem> fresh;
    const auto reloadRefusal = FuzzSupport::DocumentedRefusal([&] { fresh = std::make_unique<TRFileSystem>(path); });
    if (reloadRefusal)
        Fail("a saved file was refused with " + reloadRefusal->Class + " " + Shown(reloadRefusal->Message));
    CheckHolds(*fresh, expected.Values, "fresh load of the saved file");
    return 0;
}

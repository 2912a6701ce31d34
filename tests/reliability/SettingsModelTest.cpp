/*
 * The settings store against its reference model: long random sequences of
 * writes (string and integer, new names and held ones, names and values with
 * line breaks), reads (as text, as integer, existence), explicit saves, write
 * faults injected once or lastingly, the file deleted and put back, and
 * settings files put in place from outside in every shape the reader must
 * take or refuse. Every outcome is compared with the model's; after every
 * successful write the file holds exactly the model's bytes and a fresh store
 * on it reads back the model's entries.
 */
#include "platform/TextFile.h"
#include "settings/KELT.h"
#include "tests/reliability/ModelRun.h"
#include "tests/reliability/Quoted.h"
#include "tests/reliability/SettingsFileMaker.h"
#include "tests/reliability/SettingsModel.h"
#include "tests/reliability/StoreFolder.h"
#include "tests/support/FailingWriteStep.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <climits>
#include <iostream>
#include <optional>

namespace {

using namespace Reliability;
using TDisk = TSettingsModel::TDisk;

const std::string FileName = "volumnia.kelt";

enum class TStart { EmptyFile, Installed, NearlyFull, Duplicates };

struct TRunConfig {
    const char* Name;
    uint32_t Seed;
    TStart Start;
};

void PrintTo(const TRunConfig& config, std::ostream* os)
{
    *os << config.Name;
}

enum TOp {
    WriteString,
    WriteInteger,
    ReadString,
    ReadInteger,
    Exists,
    Save,
    Reload,
    LoadFromOutside,
    DeleteFile,
    PutFileBack,
    Restart,
    OpCount
};
const char* const OpNames[] = {"WriteString", "WriteInteger", "ReadString", "ReadInteger", "ValueExists", "Save",
                               "Reload",      "Load",         "DeleteFile", "PutFileBack", "Restart"};
const double Weights[OpCount] = {25, 10, 15, 15, 10, 3, 2, 2, 0.3, 0, 0.5};

bool SameValue(const TValue& a, const TValue& b)
{
    return a.Name == b.Name && a.Value == b.Value && a.Kind == b.Kind;
}

std::string Describe(const TValue& value)
{
    return "{" + Quoted(value.Name) + ", " + Quoted(value.Value) + ", " + std::to_string(static_cast<int>(value.Kind)) +
           "}";
}

class TSettingsRun : public TModelRun {
public:
    TSettingsRun(const TRunConfig& config, TTempWorkingFolder& folder)
        : TModelRun(config.Name, config.Seed), Config(config), Folder(folder)
    {
    }

    bool Start();
    bool Step(int step);
    bool FinalCheck();

    size_t MaxCount = 0;

private:
    std::string Text(bool lineBreaks);
    std::string AnyName(bool forFile);
    std::string AnyValueText();
    int32_t AnyNumber();

    bool SameEntries(const std::vector<TValue>& held, const char* whose);
    bool SameStore();
    bool SameFreshStore();
    bool SameDisk();

    // A write or a save, with or without a fault, and its checks.
    bool DoWrite(TOp op);
    bool DoLoad(bool fromOutside);

    TDisk DiskFor(const std::string& content) const;

    const TRunConfig& Config;
    TTempWorkingFolder& Folder;
    std::unique_ptr<TRFileSystem> Store;
    TSettingsModel Model;
    std::optional<std::string> Disk;     // the file's bytes; none when it is missing
    TSettingsModel::TFileLoad DiskShape; // what a load of the file must give
    int64_t FaultAfter = -1;             // the fault armed for the next write
    // Every save of the run writes through it.
    TFailingWriteStep WriteFault;
    TSettingsFileMaker Files{*this, [this] { return AnyName(true); },
                             [this] { return Chance(0.5) ? NumberText(AnyNumber()) : Text(false); }};
};

const std::string Alphabet = "aAbBzZ 019-$x\xE4\xC4\x95";

std::string TSettingsRun::Text(bool lineBreaks)
{
    std::string text;
    for (int n = Uniform(0, Chance(0.9) ? 4 : 20); n > 0; --n) {
        if (lineBreaks && Chance(0.1))
            text += "\r\n\x1a"[Uniform(0, 2)];
        else if (Chance(0.03))
            text += static_cast<char>(Uniform(0x80, 0xFF));
        else
            text += Alphabet[static_cast<size_t>(Uniform(0, static_cast<int>(Alphabet.size()) - 1))];
    }
    return text;
}

// Names: the real keys, the same letters in another case, numbered keys, the
// empty name, and (through the API only) names holding line breaks.
std::string TSettingsRun::AnyName(bool forFile)
{
    static const std::vector<std::string> fixed = {"MF_X", "mf_x", "MF_Y",    "AlwaysOnTop", "orbl_alias0", "",
                                                   " ",    "a b",  "\xE4iti", "SortMethod",  "pcol1"};
    static const std::vector<std::string> broken = {"a\rb", "a\nb",
                                                    "a\x1a"
                                                    "b",
                                                    "MF_X\r\n", "\n"};
    const int pick = Uniform(0, 99);
    if (pick < 30)
        return PickFrom(fixed);
    if (!forFile && pick < 35)
        return PickFrom(broken);
    if (pick < 40 && !Model.Values().empty())
        return PickFrom(Model.Values()).Name;
    return "k" + std::to_string(Uniform(0, 60));
}

std::string TSettingsRun::AnyValueText()
{
    static const std::vector<std::string> notNumbers = {"",
                                                        "  ",
                                                        "12 ",
                                                        "1 2",
                                                        "+",
                                                        "-",
                                                        "$",
                                                        "0x",
                                                        "x",
                                                        "$123456789",
                                                        "2147483648",
                                                        "-2147483649",
                                                        "- 5",
                                                        "--5",
                                                        "\t5",
                                                        "5.0",
                                                        "1e3",
                                                        "0x-1",
                                                        "$G",
                                                        "\xA0"
                                                        "1",
                                                        "3,5",
                                                        "true"};
    const int pick = Uniform(0, 9);
    if (pick < 3)
        return NumberText(AnyNumber());
    if (pick < 5)
        return PickFrom(notNumbers);
    return Text(pick == 5);
}

int32_t TSettingsRun::AnyNumber()
{
    if (Chance(0.1)) {
        const int32_t extremes[] = {INT32_MIN, INT32_MAX, 0, -1, INT32_MIN + 1};
        return extremes[Uniform(0, 4)];
    }
    return Uniform(-100000, 100000);
}

bool TSettingsRun::SameEntries(const std::vector<TValue>& held, const char* whose)
{
    const std::vector<TValue>& expected = Model.Values();
    if (!Expect(held.size() == expected.size(), [&] {
            return std::string(whose) + " holds " + std::to_string(held.size()) + " values, the model " +
                   std::to_string(expected.size());
        }))
        return false;
    for (size_t i = 0; i < held.size(); ++i)
        if (!Expect(SameValue(held[i], expected[i]), [&] {
                return std::string(whose) + " position " + std::to_string(i) + " holds " + Describe(held[i]) +
                       ", the model " + Describe(expected[i]);
            }))
            return false;
    return true;
}

std::vector<TValue> HeldBy(const TRFileSystem& store)
{
    std::vector<TValue> held;
    for (int32_t i = 0; i < store.ValueCount(); ++i)
        held.push_back(store.ValueAt(i));
    return held;
}

bool TSettingsRun::SameStore()
{
    return SameEntries(HeldBy(*Store), "the store");
}

bool TSettingsRun::SameFreshStore()
{
    TRFileSystem fresh(FileName);
    return SameEntries(HeldBy(fresh), "a fresh store");
}

bool TSettingsRun::SameDisk()
{
    const std::vector<std::string> files = Folder.FileNames();
    if (!Disk)
        return Expect(files.empty(), "a settings file was made or a file was left behind");
    return Expect(files == std::vector<std::string>{FileName}, "a file was left behind") &&
           Expect(Folder.ReadFile(FileName) == *Disk, "the file does not hold what it should");
}

TDisk TSettingsRun::DiskFor(const std::string& content) const
{
    if (!Disk)
        return TDisk::FileMissing;
    // A save that leaves the file's bytes as they are writes nothing.
    if (*Disk == content)
        return TDisk::Writable;
    if (FaultAfter >= 0 && static_cast<size_t>(FaultAfter) <= content.size())
        return TDisk::WriteFails;
    return TDisk::Writable;
}

bool TSettingsRun::Start()
{
    switch (Config.Start) {
    case TStart::EmptyFile:
        Disk = Files.Clean(0, DiskShape);
        break;
    case TStart::Installed:
        Disk = Files.Clean(20, DiskShape);
        break;
    case TStart::NearlyFull:
        Disk = Files.Clean(1498, DiskShape);
        break;
    case TStart::Duplicates: {
        std::string shape;
        do
            Disk = Files.Make(DiskShape = {}, shape);
        while (shape != "duplicates and every kind");
        break;
    }
    }
    Folder.WriteFile(FileName, *Disk);
    NoteOp([] { return "Create"; });
    const TOutcome made = Capture([&] { Store = std::make_unique<TRFileSystem>(FileName); });
    return SameOutcome(made, Model.Loaded(DiskShape), "Create") && SameStore();
}

bool TSettingsRun::DoWrite(TOp op)
{
    const std::string name = AnyName(false);
    const std::string text = AnyValueText();
    const int32_t number = AnyNumber();
    // Now and then the write meets a fault: once, or lasting for this write
    // and a save right after it.
    const int fault = Uniform(0, 99); // < 10: once, < 14: lasting
    std::string content;              // what the write makes of the file, when a fault is to meet it
    if (fault < 14) {
        TSettingsModel trial = Model;
        if (op == WriteString)
            trial.WriteString(name, text, TDisk::Writable);
        else if (op == WriteInteger)
            trial.WriteInteger(name, number, TDisk::Writable);
        content = trial.FileContent();
    }
    const size_t size = content.size();
    FaultAfter = fault < 14 ? Uniform(0, static_cast<int>(size)) : -1;
    NoteOp([=, faultAfter = FaultAfter, hasFile = Disk.has_value()] {
        const std::string call = op == WriteString ? "WriteString(" + Quoted(name) + ", " + Quoted(text) + ")"
                                 : op == WriteInteger
                                     ? "WriteInteger(" + Quoted(name) + ", " + std::to_string(number) + ")"
                                     : std::string("SaveToFile()");
        return call +
               (faultAfter >= 0 ? " failing " + std::string(fault < 10 ? "once" : "always") + " after " +
                                      std::to_string(faultAfter) + " of " + std::to_string(size) + " bytes"
                                : "") +
               (hasFile ? "" : ", no file");
    });
    if (FaultAfter >= 0)
        WriteFault.FailAfter(FaultAfter, fault < 10);

    const TDisk disk = DiskFor(content);
    TOutcome expected, outcome;
    if (op == WriteString) {
        expected = Model.WriteString(name, text, disk);
        outcome = Capture([&] { Store->WriteString(name, text); });
    } else if (op == WriteInteger) {
        expected = Model.WriteInteger(name, number, disk);
        outcome = Capture([&] { Store->WriteInteger(name, number); });
    } else {
        expected = Model.Save(disk);
        outcome = Capture([&] { Store->SaveToFile(); });
    }
    bool ok = SameOutcome(outcome, expected, OpNames[op]);
    if (ok && fault >= 10 && fault < 14 && disk == TDisk::WriteFails) {
        // A lasting fault fails the next save too, and keeps the change held.
        ok = SameOutcome(Capture([&] { Store->SaveToFile(); }), Model.Save(DiskFor(Model.FileContent())),
                         "SaveToFile under a lasting fault");
    }
    WriteFault.Clear();
    FaultAfter = -1;
    if (!ok)
        return false;
    if (!expected.Raised()) {
        Disk = Model.FileContent();
        DiskShape = {};
        DiskShape.Entries = Model.Values();
        DiskShape.NoData = Disk->empty();
    }
    if (!SameDisk() || !SameStore())
        return false;
    // A program started now reads what the write left in the file.
    return expected.Raised() || SameFreshStore();
}

bool TSettingsRun::DoLoad(bool fromOutside)
{
    std::string shape = "the file as it is";
    if (fromOutside) {
        TSettingsModel::TFileLoad file;
        Disk = Files.Make(file, shape);
        DiskShape = file;
        Folder.WriteFile(FileName, *Disk);
    }
    ++Seen["load: " + shape];
    NoteOp([shape, n = DiskShape.Entries.size()] {
        return "LoadFromFile of " + shape + " (" + std::to_string(n) + " entries)";
    });
    return SameOutcome(Capture([&] { Store->LoadFromFile(); }), Model.Loaded(DiskShape), "LoadFromFile") &&
           SameStore() && SameDisk();
}

bool TSettingsRun::Step(int step)
{
    CurrentStep = step;
    double weights[OpCount];
    std::copy(std::begin(Weights), std::end(Weights), weights);
    if (!Disk) // a missing file is put back after a while
        weights[PutFileBack] = 4;
    std::discrete_distribution<int> pickOp(std::begin(weights), std::end(weights));
    const TOp op = static_cast<TOp>(pickOp(Rng));
    bool ok = true;
    switch (op) {
    case WriteString:
    case WriteInteger:
    case Save:
        ok = DoWrite(op);
        break;
    case ReadString: {
        const std::string name = AnyName(false);
        NoteOp([=] { return "ReadString(" + Quoted(name) + ")"; });
        std::string engineText = "sentinel", modelText = "sentinel";
        const TOutcome expected = Model.ReadString(name, modelText);
        ok = SameOutcome(Capture([&] { engineText = Store->ReadString(name); }), expected, "ReadString") &&
             Expect(engineText == modelText, [&] { return "ReadString gave " + Quoted(engineText); });
        break;
    }
    case ReadInteger: {
        const std::string name = AnyName(false);
        NoteOp([=] { return "ReadInteger(" + Quoted(name) + ")"; });
        int32_t engineNumber = 424242, modelNumber = 424242;
        const TOutcome expected = Model.ReadInteger(name, modelNumber);
        ok = SameOutcome(Capture([&] { engineNumber = Store->ReadInteger(name); }), expected, "ReadInteger") &&
             Expect(engineNumber == modelNumber, [&] { return "ReadInteger gave " + std::to_string(engineNumber); });
        break;
    }
    case Exists: {
        const std::string name = AnyName(false);
        NoteOp([=] { return "ValueExists(" + Quoted(name) + ")"; });
        ok = Expect(Store->ValueExists(name) == Model.ValueExists(name), "ValueExists differs");
        break;
    }
    case Reload:
        ok = DoLoad(false);
        break;
    case LoadFromOutside:
        ok = DoLoad(true);
        break;
    case DeleteFile:
        NoteOp([] { return "the file is deleted"; });
        Folder.Remove(FileName);
        Disk.reset();
        DiskShape = {};
        DiskShape.Missing = true;
        break;
    case PutFileBack:
        NoteOp([] { return "an empty file is put back"; });
        Folder.WriteFile(FileName, "");
        Disk = "";
        DiskShape = {};
        DiskShape.NoData = true;
        break;
    case Restart: {
        // The program starts again on the file as it is now; when the file
        // cannot be read no store is made and the old one stays in use here.
        NoteOp([] { return "a new store on the file"; });
        TSettingsModel fresh;
        const TOutcome expected = fresh.Loaded(DiskShape);
        std::unique_ptr<TRFileSystem> made;
        ok = SameOutcome(Capture([&] { made = std::make_unique<TRFileSystem>(FileName); }), expected, "Create");
        if (ok && !expected.Raised()) {
            Store = std::move(made);
            Model = fresh;
        }
        ok = ok && SameStore();
        break;
    }
    case OpCount:
        break;
    }
    ++Seen[std::string("op ") + OpNames[op]];
    MaxCount = std::max(MaxCount, Model.Values().size());
    return ok;
}

bool TSettingsRun::FinalCheck()
{
    CurrentStep = ModelOpsPerSeed;
    if (!Disk) {
        Folder.WriteFile(FileName, "");
        Disk = "";
    }
    NoteOp([] { return "final SaveToFile"; });
    if (!SameOutcome(Capture([&] { Store->SaveToFile(); }), NoError(), "final SaveToFile"))
        return false;
    Disk = Model.FileContent();
    return SameDisk() && (Model.Values().empty() || SameFreshStore());
}

class SettingsModel : public ::testing::TestWithParam<TRunConfig> {};

TEST_P(SettingsModel, AgreesWithTheReferenceModel)
{
    const TRunConfig& config = GetParam();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    auto folder = RamFolder();
    TSettingsRun run(config, *folder);
    bool ok = run.Start();
    int step = 0;
    for (; ok && step < ModelOpsPerSeed; ++step)
        ok = run.Step(step);
    ok = ok && run.FinalCheck();
    ASSERT_TRUE(ok) << "stopped at operation " << step;
    std::cout << "[ model    ] " << config.Name << ": " << step << " operations, largest store " << run.MaxCount << "; "
              << run.SeenSummary() << "\n";

    if (ModelOpsPerSeed < 30000)
        return;
    for (const char* seen : {"EInvalidParam #104", "EInvalidParam #105", "EKELTError #101", "EKELTError #102",
                             "EKELTError #103", "EKELTError #107", "EKELTError #108", "EConvertError",
                             "EInOutError Disk full", "ok ReadInteger", "ok WriteString", "ok WriteInteger"})
        EXPECT_GT(run.Seen[seen], 0) << seen << " never happened";
}

INSTANTIATE_TEST_SUITE_P(Seeds, SettingsModel,
                         ::testing::Values(TRunConfig{"FromAnEmptyFile", 11, TStart::EmptyFile},
                                           TRunConfig{"FromAnInstalledFile", 314159, TStart::Installed},
                                           TRunConfig{"FromANearlyFullFile", 2718, TStart::NearlyFull},
                                           TRunConfig{"FromDuplicates", 8086, TStart::Duplicates}),
                         [](const ::testing::TestParamInfo<TRunConfig>& info) { return std::string(info.param.Name); });

} // namespace

// Replays every seed of fuzzing/corpus and every past finding of fuzzing/regressions
// through the fuzz harnesses, one test a file. A harness aborts on a finding, so
// a reader fault that once crashed the fuzzer fails its test here again.
#include "tests/fuzz/FuzzHarnesses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct TInput {
    std::string Harness; // "database", "settings", "import", "details" or a lookup source's
    std::string Path;
    std::string TestName;
};

std::string TestNameOf(const std::string& set, const fs::path& file)
{
    std::string name = set + "_" + file.filename().string();
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

// Seeds and findings of one harness, sorted; hidden files (.gitkeep) are no input.
std::vector<TInput> InputsOf(const std::string& harness)
{
    std::vector<TInput> inputs;
    for (const std::string set : {"corpus", "regressions"}) {
        const fs::path folder = fs::path(VOLUMNIA_SOURCE_DIR) / "fuzzing" / set / harness;
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
            if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                inputs.push_back({harness, entry.path().string(), TestNameOf(set, entry.path())});
    }
    std::sort(inputs.begin(), inputs.end(), [](const TInput& a, const TInput& b) { return a.Path < b.Path; });
    return inputs;
}

std::string BytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PrintTo(const TInput& input, std::ostream* os)
{
    *os << input.Path;
}

class FuzzInputReplay : public ::testing::TestWithParam<TInput> {};

TEST_P(FuzzInputReplay, PassesEveryCheckOfItsHarness)
{
    const TInput& input = GetParam();
    const std::string bytes = BytesOf(input.Path);
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const int result = input.Harness == "database"      ? FuzzDatabaseFileOneInput(data, bytes.size())
                       : input.Harness == "settings"    ? FuzzSettingsFileOneInput(data, bytes.size())
                       : input.Harness == "details"     ? FuzzDetailsFileOneInput(data, bytes.size())
                       : input.Harness == "openlibrary" ? FuzzOpenLibraryOneInput(data, bytes.size())
                       : input.Harness == "finna"       ? FuzzFinnaOneInput(data, bytes.size())
                       : input.Harness == "sru"         ? FuzzSruOneInput(data, bytes.size())
                                                        : FuzzImportOneInput(data, bytes.size());
    EXPECT_EQ(result, 0) << input.Path;
}

std::string NameOf(const ::testing::TestParamInfo<TInput>& info)
{
    return info.param.TestName;
}

INSTANTIATE_TEST_SUITE_P(Database, FuzzInputReplay, ::testing::ValuesIn(InputsOf("database")), NameOf);
INSTANTIATE_TEST_SUITE_P(Settings, FuzzInputReplay, ::testing::ValuesIn(InputsOf("settings")), NameOf);
INSTANTIATE_TEST_SUITE_P(Import, FuzzInputReplay, ::testing::ValuesIn(InputsOf("import")), NameOf);
INSTANTIATE_TEST_SUITE_P(Details, FuzzInputReplay, ::testing::ValuesIn(InputsOf("details")), NameOf);
INSTANTIATE_TEST_SUITE_P(OpenLibrary, FuzzInputReplay, ::testing::ValuesIn(InputsOf("openlibrary")), NameOf);
INSTANTIATE_TEST_SUITE_P(Finna, FuzzInputReplay, ::testing::ValuesIn(InputsOf("finna")), NameOf);
INSTANTIATE_TEST_SUITE_P(Sru, FuzzInputReplay, ::testing::ValuesIn(InputsOf("sru")), NameOf);

// An empty or misplaced corpus would make the replay above pass on nothing.
TEST(FuzzCorpus, EachHarnessHasItsSeeds)
{
    for (const std::string harness : {"database", "settings", "import", "details", "openlibrary", "finna", "sru"}) {
        const auto inputs = InputsOf(harness);
        EXPECT_GE(std::count_if(inputs.begin(), inputs.end(),
                                [](const TInput& input) { return input.TestName.rfind("corpus_", 0) == 0; }),
                  10)
            << harness;
    }
}

} // namespace

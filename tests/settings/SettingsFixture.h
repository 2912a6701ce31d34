// Shared set-up of the settings store tests: a temporary working folder, a
// settings file written from lines or raw bytes, the store opened on it as the
// programs open it (bare name), and a helper that catches one error class.
#pragma once

#include "settings/KELT.h"
#include "tests/support/TempWorkingFolder.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Found by argument lookup, so TValue's own namespace (the global one).
inline bool operator==(const TValue& a, const TValue& b)
{
    return a.Name == b.Name && a.Value == b.Value && a.Kind == b.Kind;
}

inline void PrintTo(const TValue& v, std::ostream* os)
{
    *os << "{\"" << v.Name << "\", \"" << v.Value << "\", " << static_cast<int>(v.Kind) << "}";
}

namespace SettingsTest {

inline const std::string FileName = "volumnia.kelt";

// The three lines of one entry.
inline std::vector<std::string> Entry(const std::string& name, const std::string& value,
                                      const std::string& kind = "vString")
{
    return {name, value, kind};
}

// n entries "key0".."key<n-1>" (or another prefix) with the values "0".."<n-1>" as vInteger.
inline std::string NumberedFile(int n, const std::string& prefix = "key")
{
    std::string bytes;
    for (int i = 0; i < n; ++i)
        bytes += CrLfLines(Entry(prefix + std::to_string(i), std::to_string(i), "vInteger"));
    return bytes;
}

class TSettingsFixture : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void WriteBytes(const std::string& bytes) { Folder.WriteFile(FileName, bytes); }
    void WriteLines(const std::vector<std::string>& lines) { WriteBytes(CrLfLines(lines)); }
    std::string FileBytes() const { return Folder.ReadFile(FileName); }

    TRFileSystem& Open()
    {
        Store = std::make_unique<TRFileSystem>(FileName);
        return *Store;
    }
    TRFileSystem& OpenWith(const std::string& bytes)
    {
        WriteBytes(bytes);
        return Open();
    }

    std::vector<TValue> Held() const
    {
        std::vector<TValue> values;
        for (int32_t i = 0; i < Store->ValueCount(); ++i)
            values.push_back(Store->ValueAt(i));
        return values;
    }

    TTempWorkingFolder Folder;
    std::unique_ptr<TRFileSystem> Store;
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

} // namespace SettingsTest

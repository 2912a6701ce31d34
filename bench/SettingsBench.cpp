/*
 * Times one WriteString on a settings file of 40 keys, the cost the book
 * browser pays at every mouse movement (search, atomic rewrite of the whole
 * file, read back). Prints the median of many runs in milliseconds.
 */
#include "settings/KELT.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int Keys = 40;
constexpr int Runs = 301;

std::string FortyKeyFile()
{
    std::string bytes;
    for (int i = 0; i < Keys; ++i) {
        const bool integer = i % 2 == 0;
        bytes += "setting_" + std::to_string(i) + "\r\n";
        bytes += (integer ? std::to_string(i * 37) : "Some text value number " + std::to_string(i)) + "\r\n";
        bytes += std::string(integer ? "vInteger" : "vString") + "\r\n";
    }
    return bytes;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path())) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    {
        QFile file("volumnia.kelt");
        const std::string bytes = FortyKeyFile();
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size())) {
            std::fprintf(stderr, "cannot write the settings file\n");
            return 1;
        }
    }

    try {
        TRFileSystem store("volumnia.kelt");
        if (store.ValueCount() != Keys) {
            std::fprintf(stderr, "the settings file holds %d keys, not %d\n", store.ValueCount(), Keys);
            return 1;
        }
        std::vector<double> times;
        times.reserve(Runs);
        for (int run = 0; run < Runs; ++run) {
            // A key in the middle, as the browser's position keys would be.
            const std::string value = std::to_string(100 + run % 50);
            const auto start = std::chrono::steady_clock::now();
            store.WriteString("setting_21", value);
            const auto stop = std::chrono::steady_clock::now();
            times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
            if (store.ReadString("setting_21") != value) {
                std::fprintf(stderr, "the value written did not read back\n");
                return 1;
            }
        }
        std::nth_element(times.begin(), times.begin() + Runs / 2, times.end());
        std::printf("SettingsBench: WriteString on a %d-key settings file: median %.3f ms over %d runs\n", Keys,
                    times[Runs / 2], Runs);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    QDir::setCurrent(QDir::tempPath());
    return 0;
}

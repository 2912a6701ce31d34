/*
 * Times one WriteString on a settings file of 40 keys (search, atomic rewrite
 * of the whole file, read back), and the cost of 200 mouse moves over the book
 * browser's margin: each writes the browser's position, LV_X and LV_Y, which
 * mostly has not changed. Prints medians in milliseconds.
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

        // 200 margin moves of a browser standing still: 400 writes of values the file already holds.
        store.WriteInteger("LV_X", 100);
        store.WriteInteger("LV_Y", 120);
        constexpr int Moves = 200, Rounds = 5;
        std::vector<double> rounds;
        for (int round = 0; round < Rounds; ++round) {
            const auto start = std::chrono::steady_clock::now();
            for (int move = 0; move < Moves; ++move) {
                store.WriteInteger("LV_X", 100);
                store.WriteInteger("LV_Y", 120);
            }
            const auto stop = std::chrono::steady_clock::now();
            rounds.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
        }
        std::nth_element(rounds.begin(), rounds.begin() + Rounds / 2, rounds.end());
        std::printf("SettingsBench: %d margin mouse moves (unchanged position): median %.3f ms over %d rounds\n", Moves,
                    rounds[Rounds / 2], Rounds);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    QDir::setCurrent(QDir::tempPath());
    return 0;
}

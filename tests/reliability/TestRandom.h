// The seeded random source of the reliability tests, with the few kinds of
// choice they make: a number in a range, a coin with a given bias, one of a
// list, and a number spelt in any of the ways the integer conversion accepts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

class TTestRandom {
public:
    explicit TTestRandom(uint32_t seed) : Rng(seed) {}

    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(Rng); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(Rng); }
    template <typename T> const T& PickFrom(const std::vector<T>& choices)
    {
        return choices[static_cast<size_t>(Uniform(0, static_cast<int>(choices.size()) - 1))];
    }

    // Blanks before the number, a plus sign, leading zeros, or a hexadecimal
    // prefix ("$", "0x", "x" in either case) with up to eight digits.
    std::string NumberText(int32_t n)
    {
        const int pick = Uniform(0, 9);
        if (pick < 5)
            return std::to_string(n);
        if (pick == 5)
            return std::string(static_cast<size_t>(Uniform(1, 3)), ' ') + std::to_string(n);
        // append, not "+" + std::to_string(n): GCC 12 at -O3 reports a false
        // -Wrestrict inside std::string's operator+ that inserts into a temporary.
        if (pick == 6 && n >= 0)
            return std::string("+").append(std::to_string(n));
        if (pick == 7 && n >= 0)
            return std::string("000").append(std::to_string(n));
        const char* prefixes[] = {"$", "0x", "0X", "x", "X"};
        char hex[16];
        std::snprintf(hex, sizeof hex, Chance(0.5) ? "%X" : "%x", static_cast<uint32_t>(n));
        std::string digits = hex;
        if (digits.size() < 8 && Chance(0.3))
            digits.insert(0, 8 - digits.size(), '0');
        return std::string(Chance(0.2) ? " " : "") + prefixes[Uniform(0, 4)] + digits;
    }

    // Either line end the readers take: CR LF, or LF alone.
    const char* LineEnd(int style) { return style == 0 || (style == 2 && Chance(0.5)) ? "\r\n" : "\n"; }

    // The text with, now and then, a CR put somewhere in it: a CR that no LF
    // follows is dropped by the readers, so it must not change what is read.
    std::string WithLoneCr(const std::string& text, double chance)
    {
        if (!Chance(chance))
            return text;
        std::string spoilt = text;
        // One char, not the text "\r": the same false -Wrestrict in insert.
        spoilt.insert(static_cast<size_t>(Uniform(0, static_cast<int>(text.size()))), 1, '\r');
        return spoilt;
    }

    std::mt19937 Rng;
};

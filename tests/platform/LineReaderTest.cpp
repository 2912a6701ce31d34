/*
 * Line splitting of the data files: which bytes end a line, which are dropped,
 * where the data ends, and what reading past the end gives.
 */
#include "platform/LineReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> AllLines(const std::string& data)
{
    TLineReader reader(data);
    std::vector<std::string> lines;
    while (!reader.AtEnd())
        lines.push_back(reader.ReadLine());
    return lines;
}

TEST(LineReader, SplitsLinesLikeTheDataFilesNeed)
{
    using Lines = std::vector<std::string>;
    const struct {
        const char* What;
        std::string Data;
        Lines Expected;
    } cases[] = {
        {"empty data", "", {}},
        {"CR LF ends", "a\r\nb\r\n", {"a", "b"}},
        {"LF ends", "a\nb\n", {"a", "b"}},
        {"mixed ends", "a\nb\r\nc\n", {"a", "b", "c"}},
        {"last line without end", "a\r\nbc", {"a", "bc"}},
        {"only a line without end", "abc", {"abc"}},
        {"lone CR inside is dropped", "a\rb\r\n", {"ab"}},
        {"lone CR at the very end", "a\r", {"a"}},
        {"CR CR LF", "a\r\r\nb", {"a", "b"}},
        {"only a CR", "\r", {""}},
        {"empty lines", "\r\n\r\n", {"", ""}},
        {"single LF", "\n", {""}},
        {"empty line between", "a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"Ctrl+Z as first byte",
         "\x1a"
         "a\r\n",
         {}},
        {"Ctrl+Z where a line begins",
         "a\r\n\x1a"
         "b\r\n",
         {"a"}},
        {"Ctrl+Z inside a line",
         "ab\x1a"
         "c\r\nd\r\n",
         {"ab"}},
        {"blanks kept", "  a  \r\n", {"  a  "}},
        {"8-bit and NUL bytes kept", std::string("\x95\xff\0x\r\n", 6), {std::string("\x95\xff\0x", 4)}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AllLines(c.Data), c.Expected) << c.What;
}

TEST(LineReader, ReadingPastTheEndGivesEmptyLines)
{
    for (const std::string data : {"", "a", "a\r\n",
                                   "a\x1a"
                                   "bcd"}) {
        TLineReader reader(data);
        while (!reader.AtEnd())
            reader.ReadLine();
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(reader.ReadLine(), "") << data;
            EXPECT_TRUE(reader.AtEnd()) << data;
        }
    }
}

TEST(LineReader, AtEndTurnsTrueOnlyAfterTheLastLine)
{
    TLineReader reader("x\r\ny");
    EXPECT_FALSE(reader.AtEnd());
    EXPECT_EQ(reader.ReadLine(), "x");
    EXPECT_FALSE(reader.AtEnd());
    EXPECT_EQ(reader.ReadLine(), "y");
    EXPECT_TRUE(reader.AtEnd());
}

TEST(LineReader, HugeLinesComeWhole)
{
    const std::string big(16 * 1024 * 1024, 'x');
    std::string withCr = big;
    withCr[withCr.size() / 2] = '\r'; // a lone CR deep inside is still dropped
    const std::string data = big + "\r\n" + withCr + "\nend";
    TLineReader reader(data);
    EXPECT_EQ(reader.ReadLine(), big);
    const std::string second = reader.ReadLine();
    EXPECT_EQ(second.size(), big.size() - 1);
    EXPECT_EQ(second.find('\r'), std::string::npos);
    EXPECT_EQ(reader.ReadLine(), "end");
    EXPECT_TRUE(reader.AtEnd());
}

} // namespace

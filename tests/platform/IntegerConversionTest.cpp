/*
 * Text <-> whole number conversion shared by the settings and database files:
 * which texts are numbers, what value they carry, and the exact message a
 * refused text produces.
 */
#include "platform/EConvertError.h"
#include "platform/IntegerConversion.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

namespace {

struct TConversionCase {
    std::string Text;
    std::optional<int32_t> Expected; // nullopt: not a number
};

void PrintTo(const TConversionCase& c, std::ostream* os)
{
    *os << "\"" << c.Text << "\"";
}

class IntegerConversionTable : public ::testing::TestWithParam<TConversionCase> {};

TEST_P(IntegerConversionTable, TryStrToIntAcceptsExactlyTheNumberForms)
{
    const TConversionCase& c = GetParam();
    constexpr int32_t Untouched = 0x5A5A5A5A;
    int32_t value = Untouched;
    const bool ok = IntegerConversion::TryStrToInt(c.Text, value);
    ASSERT_EQ(ok, c.Expected.has_value());
    if (c.Expected)
        EXPECT_EQ(value, *c.Expected);
    else
        EXPECT_EQ(value, Untouched) << "a refused text must leave the target alone";
}

TEST_P(IntegerConversionTable, StrToIntRaisesTheStandardMessageWithTheWholeText)
{
    const TConversionCase& c = GetParam();
    if (c.Expected) {
        EXPECT_EQ(IntegerConversion::StrToInt(c.Text), *c.Expected);
        return;
    }
    try {
        IntegerConversion::StrToInt(c.Text);
        FAIL() << "no error for a text that is not a number";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "'" + c.Text + "' is not a valid integer value");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IntegerConversionTable,
    ::testing::Values(
        // Decimal, with blanks before and an optional sign.
        TConversionCase{"0", 0}, TConversionCase{"12", 12}, TConversionCase{" 12", 12}, TConversionCase{"     7", 7},
        TConversionCase{"+5", 5}, TConversionCase{"-0", 0}, TConversionCase{"-5", -5}, TConversionCase{"  -12", -12},
        TConversionCase{"007", 7}, TConversionCase{"000000000000000000042", 42}, TConversionCase{"2147483647", INT_MAX},
        TConversionCase{"-2147483648", INT_MIN}, TConversionCase{"2147483648", std::nullopt},
        TConversionCase{"-2147483649", std::nullopt}, TConversionCase{"99999999999999999999999", std::nullopt},
        TConversionCase{"-99999999999999999999999", std::nullopt},
        // Hexadecimal prefixes, digits in either case, a 32-bit pattern.
        TConversionCase{"$1F", 31}, TConversionCase{"$1f", 31}, TConversionCase{"0x1f", 31},
        TConversionCase{"0X1F", 31}, TConversionCase{"X1F", 31}, TConversionCase{"x1f", 31},
        TConversionCase{"  $10", 16}, TConversionCase{"$7FFFFFFF", INT_MAX}, TConversionCase{"x80000000", INT_MIN},
        TConversionCase{"$80000000", INT_MIN}, TConversionCase{"xFFFFFFFF", -1}, TConversionCase{"$00000001", 1},
        TConversionCase{"$123456789", std::nullopt}, TConversionCase{"$000000001", std::nullopt},
        TConversionCase{"-$1", std::nullopt}, TConversionCase{"+$1", std::nullopt},
        TConversionCase{"-0x1", std::nullopt}, TConversionCase{"$", std::nullopt}, TConversionCase{"0x", std::nullopt},
        TConversionCase{"x", std::nullopt}, TConversionCase{"$G", std::nullopt}, TConversionCase{"$ 1", std::nullopt},
        TConversionCase{"0x-1", std::nullopt}, TConversionCase{"$1F ", std::nullopt},
        // Anything else.
        TConversionCase{"", std::nullopt}, TConversionCase{"   ", std::nullopt}, TConversionCase{"12 ", std::nullopt},
        TConversionCase{"1 2", std::nullopt}, TConversionCase{"-", std::nullopt}, TConversionCase{"+", std::nullopt},
        TConversionCase{"+-1", std::nullopt}, TConversionCase{"--1", std::nullopt},
        TConversionCase{"- 1", std::nullopt}, TConversionCase{"\t12", std::nullopt},
        TConversionCase{"1e3", std::nullopt}, TConversionCase{"12a", std::nullopt},
        TConversionCase{"1.0", std::nullopt}, TConversionCase{std::string("1\0", 2), std::nullopt},
        TConversionCase{"\xB9", std::nullopt}));

TEST(IntegerConversion, IntToStrWritesPlainDecimal)
{
    const struct {
        int32_t Value;
        const char* Text;
    } cases[] = {
        {0, "0"}, {7, "7"}, {10, "10"}, {-5, "-5"}, {300, "300"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
    for (const auto& c : cases)
        EXPECT_EQ(IntegerConversion::IntToStr(c.Value), c.Text);
}

TEST(IntegerConversion, EveryWrittenNumberReadsBack)
{
    for (int64_t v = INT_MIN; v <= INT_MAX; v += 16777259) // a prime stride through the whole range
        EXPECT_EQ(IntegerConversion::StrToInt(IntegerConversion::IntToStr(static_cast<int32_t>(v))), v);
    for (int32_t v : {INT_MIN, INT_MIN + 1, -1, 0, 1, INT_MAX - 1, INT_MAX})
        EXPECT_EQ(IntegerConversion::StrToInt(IntegerConversion::IntToStr(v)), v);
}

} // namespace

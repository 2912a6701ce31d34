// Text to whole number, by the rules the settings file and the database file
// share: leading blanks; then either an optional sign and decimal digits within
// the signed 32-bit range, or (without a sign) a "$", "0x" or "x" prefix and at
// most eight hexadecimal digits taken as a 32-bit pattern. Nothing may follow.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace IntegerConversion {

// False when the text is not a whole number; value is then untouched.
bool TryStrToInt(std::string_view text, int32_t& value);

// Raises EConvertError "'<text>' is not a valid integer value" on failure.
int32_t StrToInt(const std::string& text);

// Decimal text: a "-" before negative numbers, no plus sign, no leading zeros.
std::string IntToStr(int32_t value);

} // namespace IntegerConversion

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kakeibo {

// Converts a decimal whole number ("-12", "+7", "0"); callers remove "," themselves.
// Throws LedgerError "'text' は数値ではありません" for anything else or a value outside
// the 32-bit (or, for ParseInt64, 64-bit) range.
int32_t ParseInt32(std::string_view text);
int64_t ParseInt64(std::string_view text);

// The message of a failed number conversion.
std::string NotANumberMessage(std::string_view text);

// Removes every "," from a text.
std::string RemoveCommas(std::string_view text);

}  // namespace kakeibo

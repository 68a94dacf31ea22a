// Number texts: parsing whole numbers and typed amounts, and the number formats.
#pragma once

#include <cstdint>
#include <optional>
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

// What the user is told wherever a typed amount is not one.
inline constexpr const char* kBadAmountMessage = "金額が正しくありません";

// An amount as the user types it: whole yen with an optional sign, "," anywhere, blanks
// (also "　") around it; nothing for anything else or a value outside 64 bits.
std::optional<int64_t> ParseTypedAmount(std::string_view text);

// The same within 32 bits, as budgets and opening balances are kept.
std::optional<int32_t> TypedAmount32(std::string_view text);

// A typed amount that an entry can hold: at least 1 and within the entries file's 32 bits.
std::optional<int32_t> TypedEntryAmount(std::string_view text);

// Number texts. Every format writes "." as the decimal point and "," as the thousands
// separator whatever the locale, rounds halves away from zero on the value's 18-digit decimal
// form (so 2.5 gives 3 and a typed 1.005 gives 1.01), and writes no minus sign for a
// number that shows as zero.

// "%*.*n": thousands separators, `decimals` decimals, right-aligned in at least `width`
// characters. "%10.0n" is FormatNumber(v, 10, 0), "%1.*n" is FormatNumber(v, 1, n).
std::string FormatNumber(long double value, int width, int decimals);

// "%*.*f": fixed point without separators, right-aligned in at least `width` characters.
// "%.0f" is FormatFixed(v, 0, 0), "%8.0f" is FormatFixed(v, 8, 0).
std::string FormatFixed(long double value, int width, int decimals);

// "%-*.*f": the same, left-justified (blanks after the number).
std::string FormatFixedLeft(long double value, int width, int decimals);

// "0.##############": at least one whole digit and up to 14 decimals without trailing
// zeros; with `thousands` it is ",0.##############".
std::string FormatPicture(long double value, bool thousands);

// "%.*d": at least `digits` digits with leading zeros ("%.2d" of 5 is "05").
std::string FormatZeroPadded(int64_t value, int digits);

// A plain decimal text: optional sign, digits, an optional point and decimals, nothing
// else ("1.", ".5", "+7" are numbers; "", "-", "1-2", "1.2.3", "1e5" are not).
std::optional<long double> ParseDecimal(std::string_view text);

// 10 to the power `exponent`, as the nearest extended value to the text "1.0e<exponent>".
long double PowerOfTen(int exponent);

}  // namespace kakeibo

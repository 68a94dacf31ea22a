#include "core/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <system_error>

#include "core/errors.h"

namespace kakeibo {

namespace {

template <typename T>
T ParseWhole(std::string_view text) {
    // Most numbers in a file are a few plain digits, far from the limits.
    if (!text.empty() && text.size() < std::numeric_limits<T>::digits10) {
        T value = 0;
        bool plain = true;
        for (char c : text) {
            if (c < '0' || c > '9') {
                plain = false;
                break;
            }
            value = value * 10 + (c - '0');
        }
        if (plain) return value;
    }
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty()) throw LedgerError(NotANumberMessage(text));
    for (char c : digits) {
        if (c < '0' || c > '9') throw LedgerError(NotANumberMessage(text));
    }
    // Accumulate negatively so that the smallest value of T parses too.
    T value = 0;
    for (char c : digits) {
        const T d = c - '0';
        if (value < (std::numeric_limits<T>::min() + d) / 10) {
            throw LedgerError(NotANumberMessage(text));
        }
        value = value * 10 - d;
    }
    if (!negative) {
        if (value == std::numeric_limits<T>::min()) throw LedgerError(NotANumberMessage(text));
        value = -value;
    }
    return value;
}

// Digits enough to carry every decimal that an extended value holds exactly as typed.
constexpr int kSignificantDigits = 18;
constexpr int kMostDecimals = 40;
// The largest power of ten whose five-part (5^27) fits in extended precision's 64 bits.
constexpr int kExactPowers = 27;

// The magnitude of a value rounded to a number of decimals, as digit texts.
struct FixedDigits {
    bool Negative = false;
    std::string Whole;
    std::string Fraction;
};

std::string NonFiniteText(long double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

void IncrementDigits(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

// Rounds through the 18-digit decimal form rather than the exact binary value, so that a
// number typed as 1.005 rounds like the 1.005 the user sees.
FixedDigits ToFixedDigits(long double value, int decimals) {
    decimals = std::clamp(decimals, 0, kMostDecimals);
    FixedDigits out;
    std::string mantissa(kSignificantDigits, '0');
    int exponent = 0;
    // Whole numbers of up to 18 digits, the amounts of every ledger, are their own decimal
    // form: the library's extended-precision conversion is slow, and its code is needed
    // nowhere else at start.
    if (const long double magnitude = std::fabs(value);
        value != 0 && magnitude < 1e18L && magnitude == std::trunc(magnitude)) {
        char buffer[24];
        const auto result =
            std::to_chars(buffer, buffer + sizeof buffer, static_cast<uint64_t>(magnitude));
        const auto length = static_cast<size_t>(result.ptr - buffer);
        mantissa.replace(0, length, buffer, length);
        exponent = static_cast<int>(length) - 1;
    } else if (value != 0) {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                          std::chars_format::scientific, kSignificantDigits - 1);
        const std::string_view text(buffer, result.ptr);
        size_t at = 0;
        if (text[at] == '-') ++at;
        mantissa.clear();
        for (; at < text.size() && text[at] != 'e'; ++at) {
            if (text[at] != '.') mantissa.push_back(text[at]);
        }
        const std::string_view exponentText = text.substr(at + 1);
        const char* first = exponentText.data();
        if (*first == '+') ++first;
        std::from_chars(first, exponentText.data() + exponentText.size(), exponent);
    }
    // Mantissa digit i weighs 10^(exponent - i); keep those down to 10^-decimals.
    const int kept = exponent + decimals + 1;
    std::string digits;
    bool roundUp = false;
    if (kept <= 0) {
        digits = "0";
        roundUp = kept == 0 && mantissa[0] >= '5';
    } else if (kept < kSignificantDigits) {
        digits = mantissa.substr(0, kept);
        roundUp = mantissa[kept] >= '5';
    } else {
        digits = mantissa + std::string(kept - kSignificantDigits, '0');
    }
    if (roundUp) IncrementDigits(digits);
    if (static_cast<int>(digits.size()) < decimals + 1) {
        digits.insert(0, decimals + 1 - digits.size(), '0');
    }
    const size_t wholeEnd = digits.size() - decimals;
    size_t firstNonZero = digits.find_first_not_of('0');
    if (firstNonZero > wholeEnd - 1) firstNonZero = wholeEnd - 1;
    out.Whole = digits.substr(firstNonZero, wholeEnd - firstNonZero);
    out.Fraction = digits.substr(wholeEnd);
    out.Negative = value < 0 && digits.find_first_not_of('0') != std::string::npos;
    return out;
}

std::string GroupThousands(const std::string& whole) {
    std::string out;
    out.reserve(whole.size() + whole.size() / 3);
    for (size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) out.push_back(',');
        out.push_back(whole[i]);
    }
    return out;
}

std::string Join(const FixedDigits& digits, bool thousands) {
    std::string out;
    if (digits.Negative) out.push_back('-');
    out += thousands ? GroupThousands(digits.Whole) : digits.Whole;
    if (!digits.Fraction.empty()) {
        out.push_back('.');
        out += digits.Fraction;
    }
    return out;
}

std::string PadLeft(std::string text, int width) {
    if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), ' ');
    return text;
}

std::string PadRight(std::string text, int width) {
    if (static_cast<int>(text.size()) < width) text.append(width - text.size(), ' ');
    return text;
}

}  // namespace

std::string FormatNumber(long double value, int width, int decimals) {
    if (!std::isfinite(value)) return PadLeft(NonFiniteText(value), width);
    return PadLeft(Join(ToFixedDigits(value, decimals), true), width);
}

std::string FormatFixed(long double value, int width, int decimals) {
    if (!std::isfinite(value)) return PadLeft(NonFiniteText(value), width);
    return PadLeft(Join(ToFixedDigits(value, decimals), false), width);
}

std::string FormatFixedLeft(long double value, int width, int decimals) {
    if (!std::isfinite(value)) return PadRight(NonFiniteText(value), width);
    return PadRight(Join(ToFixedDigits(value, decimals), false), width);
}

std::string FormatPicture(long double value, bool thousands) {
    if (!std::isfinite(value)) return NonFiniteText(value);
    FixedDigits digits = ToFixedDigits(value, 14);
    const size_t last = digits.Fraction.find_last_not_of('0');
    digits.Fraction.resize(last == std::string::npos ? 0 : last + 1);
    return Join(digits, thousands);
}

std::string FormatZeroPadded(int64_t value, int digits) {
    // Through the unsigned magnitude so that the smallest 64-bit value has one too.
    const uint64_t magnitude =
        value < 0 ? uint64_t{0} - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string text = std::to_string(magnitude);
    if (static_cast<int>(text.size()) < digits) text.insert(0, digits - text.size(), '0');
    return value < 0 ? "-" + text : text;
}

std::optional<long double> ParseDecimal(std::string_view text) {
    std::string_view body = text;
    bool negative = false;
    if (!body.empty() && (body.front() == '+' || body.front() == '-')) {
        negative = body.front() == '-';
        body.remove_prefix(1);
    }
    int digits = 0;
    int points = 0;
    for (char c : body) {
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.') {
            ++points;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || points > 1) return std::nullopt;
    long double value = 0;
    const auto result =
        std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != body.data() + body.size()) return std::nullopt;
    return negative ? -value : value;
}

long double PowerOfTen(int exponent) {
    // 10^0..10^27 are exact in extended precision, each step's product too, and one division
    // of exact values rounds to the nearest, as the conversion of the text does.
    if (exponent >= -kExactPowers && exponent <= kExactPowers) {
        long double power = 1;
        for (int k = 0; k < std::abs(exponent); ++k) power *= 10;
        return exponent < 0 ? 1 / power : power;
    }
    const std::string text = "1.0e" + std::to_string(exponent);
    long double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value,
                                        std::chars_format::scientific);
    if (result.ec == std::errc::result_out_of_range) {
        return exponent > 0 ? std::numeric_limits<long double>::infinity() : 0.0L;
    }
    return value;
}

std::string NotANumberMessage(std::string_view text) {
    // Appended rather than `"'" + std::string(text)`: GCC 12 at -O3 warns falsely
    // (-Wrestrict) on the insert at the front that operator+ does.
    std::string message = "'";
    message.append(text);
    message += "' は数値ではありません";
    return message;
}

int32_t ParseInt32(std::string_view text) {
    return ParseWhole<int32_t>(text);
}

int64_t ParseInt64(std::string_view text) {
    return ParseWhole<int64_t>(text);
}

std::string RemoveCommas(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != ',') out.push_back(c);
    }
    return out;
}

std::optional<int64_t> ParseTypedAmount(std::string_view text) {
    constexpr std::string_view kWideBlank = "\u3000";
    while (true) {
        if (text.starts_with(' ') || text.starts_with('\t')) {
            text.remove_prefix(1);
        } else if (text.starts_with(kWideBlank)) {
            text.remove_prefix(kWideBlank.size());
        } else if (text.ends_with(' ') || text.ends_with('\t')) {
            text.remove_suffix(1);
        } else if (text.ends_with(kWideBlank)) {
            text.remove_suffix(kWideBlank.size());
        } else {
            break;
        }
    }
    try {
        return ParseInt64(RemoveCommas(text));
    } catch (const LedgerError&) {
        return std::nullopt;
    }
}

std::optional<int32_t> TypedAmount32(std::string_view text) {
    const std::optional<int64_t> amount = ParseTypedAmount(text);
    if (!amount || *amount < std::numeric_limits<int32_t>::min() ||
        *amount > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*amount);
}

std::optional<int32_t> TypedEntryAmount(std::string_view text) {
    const std::optional<int32_t> amount = TypedAmount32(text);
    if (!amount || *amount < 1) return std::nullopt;
    return amount;
}

}  // namespace kakeibo

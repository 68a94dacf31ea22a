#include "core/numbers.h"

#include <charconv>
#include <limits>

#include "core/errors.h"

namespace kakeibo {

namespace {

template <typename T>
T ParseWhole(std::string_view text) {
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

}  // namespace

std::string NotANumberMessage(std::string_view text) {
    return "'" + std::string(text) + "' は数値ではありません";
}

int32_t ParseInt32(std::string_view text) { return ParseWhole<int32_t>(text); }

int64_t ParseInt64(std::string_view text) { return ParseWhole<int64_t>(text); }

std::string RemoveCommas(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != ',') out.push_back(c);
    }
    return out;
}

}  // namespace kakeibo

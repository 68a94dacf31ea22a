#include "ui/controls/nval_edit_logic.h"

#include <cmath>
#include <optional>

#include "core/numbers.h"
#include "core/sjis.h"

namespace kakeibo {

namespace {

constexpr int kFewestDigits = 1;
constexpr int kMostDigits = 15;

bool IsAboveBlank(char c) {
    return static_cast<unsigned char>(c) > ' ';
}

std::string Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// Reads one UTF-8 character at `at`; returns its code point and moves `at` past it. A broken
// sequence gives U+FFFD so that it never parses as a digit.
char32_t NextCodePoint(std::string_view text, size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    int extra = 0;
    char32_t code = lead;
    if (lead >= 0xF0) {
        extra = 3;
        code = lead & 0x07;
    } else if (lead >= 0xE0) {
        extra = 2;
        code = lead & 0x0F;
    } else if (lead >= 0xC0) {
        extra = 1;
        code = lead & 0x1F;
    } else if (lead >= 0x80) {
        ++at;
        return 0xFFFD;
    }
    ++at;
    for (int i = 0; i < extra; ++i) {
        if (at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) {
            return 0xFFFD;
        }
        code = (code << 6) | (static_cast<unsigned char>(text[at]) & 0x3F);
        ++at;
    }
    return code;
}

// Full-width letters, digits and signs become their half-width forms, the ideographic
// blank a blank, and every form of the yen sign the byte 0x5C that the code page uses for
// it. Other characters are kept as they are.
std::string ToHalfWidth(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        const size_t start = at;
        const char32_t code = NextCodePoint(text, at);
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code >= 0xFF01 && code <= 0xFF5E) {
            out.push_back(static_cast<char>(code - 0xFF01 + 0x21));
        } else if (code == 0x3000) {
            out.push_back(' ');
        } else if (code == 0x00A5 || code == 0xFFE5) {
            out.push_back('\\');
        } else {
            out.append(text.substr(start, at - start));
        }
    }
    return out;
}

std::string TrimmedWhitespace(std::string_view text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(blanks);
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace

std::string LeadingCharText(char c) {
    if (!IsAboveBlank(c)) return {};
    // The code page shows byte 0x5C as the yen sign; the user expects to see one.
    if (c == '\\') return "\u00A5";
    return DecodeCp932(std::string(1, c));
}

NValEditLogic::NValEditLogic(std::function<void()> beep) : beep_(std::move(beep)) {}

void NValEditLogic::Beep() const {
    if (beep_) beep_();
}

std::string NValEditLogic::LeadingText() const {
    return LeadingCharText(leadingChar_);
}

bool NValEditLogic::SetMaxDigits(int digits) {
    if (digits < kFewestDigits || digits > kMostDigits) return false;
    if (digits <= fixDecimal_) return false;
    std::string text = FormatPicture(std::fabs(value_), false);
    const size_t point = text.find('.');
    int decimals = 0;
    if (point != std::string::npos) {
        decimals = static_cast<int>(text.size() - point - 1);
        text.erase(point, 1);
    }
    int count = static_cast<int>(text.size());
    if (fixDecimal_ > decimals) count += fixDecimal_ - decimals;
    maxDigits_ = digits;
    if (digits < count) SetValue(value_);
    return true;
}

void NValEditLogic::SetPrmtNegative(bool permitted) {
    prmtNegative_ = permitted;
    // A lone minus sign goes too: it would stand for a negative number that is not allowed.
    if (!permitted && (value_ < 0 || minusTyped_)) SetValue(std::fabs(value_));
}

void NValEditLogic::SetFixDecimal(int decimals) {
    if (decimals < -1) decimals = -1;
    if (decimals >= maxDigits_) decimals = maxDigits_ - 1;
    fixDecimal_ = decimals;
    if (decimals == -1) return;
    // Cut, not rounded: the digits the user sees are kept as far as they go.
    std::string text = FormatPicture(std::fabs(value_), false);
    const size_t point = text.find('.');
    if (point != std::string::npos) {
        text.resize(decimals == 0 ? point : std::min(text.size(), point + 1 + decimals));
    }
    const long double cut = ParseDecimal(text).value_or(0);
    SetValue(value_ < 0 ? -cut : cut);
}

void NValEditLogic::SetLeadingChar(char c) {
    leadingChar_ = c == '\0' ? ' ' : c;
    ShowValue(value_);
}

void NValEditLogic::SetZeroDisplay(bool on) {
    zeroDisplay_ = on;
    ShowValue(value_);
}

void NValEditLogic::SetPutAComma(bool on) {
    putAComma_ = on;
    SetValue(value_);
}

void NValEditLogic::ShowValue(long double value) {
    value_ = value;
    showsNegative_ = value < 0 || minusTyped_;
    std::string text;
    if (value == 0 && !pointTyped_) {
        if (zeroDisplay_) text = "0";
        digitCount_ = 0;
        decimalCount_ = 0;
    } else {
        text = putAComma_ ? FormatNumber(value, digitCount_, decimalCount_)
                          : FormatFixed(value, digitCount_, decimalCount_);
        if (pointTyped_ && decimalCount_ == 0 && digitCount_ < maxDigits_) text.push_back('.');
    }
    text = Trimmed(text);
    if (minusTyped_ && text.find('-') == std::string::npos) text.insert(0, 1, '-');
    if (IsAboveBlank(leadingChar_) && (zeroDisplay_ || value != 0 || minusTyped_ || pointTyped_)) {
        text.insert(0, LeadingText());
    }
    text_ = std::move(text);
}

void NValEditLogic::Clear() {
    value_ = 0;
    decimalCount_ = 0;
    pointTyped_ = false;
    digitCount_ = 0;
    minusTyped_ = false;
    ShowValue(0);
}

void NValEditLogic::SetValue(long double value) {
    long double x = std::isnan(value) ? 0 : value;
    // Made positive before the range check, so a clamped number keeps no forbidden sign.
    if (x < 0 && !prmtNegative_) x = -x;
    minusTyped_ = x < 0;
    const long double magnitude = std::fabs(x);
    pointTyped_ = false;
    if (fixDecimal_ > 0) {
        decimalCount_ = fixDecimal_;
        if (magnitude < PowerOfTen(-fixDecimal_)) x = 0;
    } else {
        decimalCount_ = 0;
        if (magnitude < PowerOfTen(-(maxDigits_ - 1))) x = 0;
    }
    // Too small to show: a plain zero, with no sign or point left over from the tiny value.
    if (x == 0) {
        Clear();
        return;
    }
    pointTyped_ = fixDecimal_ > 0;
    const long double largest = PowerOfTen(maxDigits_ - decimalCount_) - PowerOfTen(-decimalCount_);
    if (magnitude > largest) {
        digitCount_ = maxDigits_;
        ShowValue(minusTyped_ ? -largest : largest);
        return;
    }

    std::string text = FormatPicture(magnitude, false);
    std::string whole = text;
    std::string decimals;
    const size_t point = text.find('.');
    if (fixDecimal_ == 0 && point != std::string::npos) {
        // No decimals allowed: the text shows the number rounded; Value keeps it as given.
        whole = FormatFixed(magnitude, 0, 0);
    } else if (point != std::string::npos) {
        whole = text.substr(0, point);
        decimals = text.substr(point + 1);
        if (static_cast<int>(point) < maxDigits_) {
            decimals.resize(std::min<size_t>(decimals.size(), maxDigits_ - point));
            if (fixDecimal_ > 0 && static_cast<int>(decimals.size()) > fixDecimal_) {
                decimals.resize(fixDecimal_);
            }
            const size_t last = decimals.find_last_not_of('0');
            decimals.resize(last == std::string::npos ? 0 : last + 1);
        }
        if (!decimals.empty()) pointTyped_ = true;
    }
    const int wholeDigits = static_cast<int>(whole.size());
    if (fixDecimal_ == -1) {
        // A whole part that fills every digit leaves no room for decimals: none are shown.
        decimalCount_ =
            std::max(0, std::min(static_cast<int>(decimals.size()), maxDigits_ - wholeDigits));
    }
    digitCount_ = wholeDigits + decimalCount_;
    ShowValue(x);
}

long double NValEditLogic::TextToValue(std::string_view text) const {
    // Blanks and line ends around a copied number are not part of it.
    std::string s = TrimmedWhitespace(ToHalfWidth(text));
    if (s.empty()) return 0;
    if (IsAboveBlank(leadingChar_)) {
        const std::string lead = ToHalfWidth(LeadingText());
        if (s.compare(0, lead.size(), lead) == 0) s.erase(0, lead.size());
    } else if (s.front() == '$' || s.front() == '\\') {
        s.erase(0, 1);
    }
    const size_t point = s.find('.');
    const size_t pointAt = point == std::string::npos ? s.size() : point;
    int commas = 0;
    int wholeDigits = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == ',') {
            if (i == 0 || i > pointAt || (pointAt - i) % 4 != 0) return 0;
            ++commas;
        } else if (c >= '0' && c <= '9') {
            if (i < pointAt) ++wholeDigits;
        } else if (c != '+' && c != '-' && c != '.') {
            return 0;
        }
    }
    if (commas > 0) {
        if (commas != (wholeDigits - 1) / 3) return 0;
        s = RemoveCommas(s);
    }
    return ParseDecimal(s).value_or(0);
}

void NValEditLogic::TypeDigit(int digit, bool selected) {
    if (selected) Clear();
    long double value = value_;
    int digits = digitCount_;
    int decimals = decimalCount_;
    long double next = 0;
    if (!pointTyped_) {
        value = std::round(value);
        if (value == 0 && digits == 1) digits = 0;
        next = (value < 0 || minusTyped_) ? value * 10 - digit : value * 10 + digit;
    } else {
        ++decimals;
        const long double step = digit * PowerOfTen(-decimals);
        next = (value < 0 || minusTyped_) ? value - step : value + step;
    }
    if (pointTyped_ && decimals == 1 && value == 0) {
        digits = 2;
    } else {
        ++digits;
    }
    // Refused keys leave the number, the counters and the text as they were.
    if (digits > maxDigits_ ||
        (!pointTyped_ && fixDecimal_ >= 0 && digits > maxDigits_ - fixDecimal_) ||
        (pointTyped_ && fixDecimal_ >= 0 && decimals > fixDecimal_)) {
        Beep();
        return;
    }
    digitCount_ = digits;
    decimalCount_ = decimals;
    next = ParseDecimal(Trimmed(FormatFixedLeft(next, digits, decimals))).value_or(next);
    ShowValue(next);
}

void NValEditLogic::TypeMinus(bool selected) {
    if (!prmtNegative_) {
        Beep();
        return;
    }
    if (selected) Clear();
    minusTyped_ = !minusTyped_;
    ShowValue(-value_);
}

void NValEditLogic::TypePoint(bool selected) {
    if (fixDecimal_ == 0) {
        pointTyped_ = false;
        decimalCount_ = 0;
        Beep();
        return;
    }
    // Unlike Clear(), this keeps the sign: a point typed over a selected negative number
    // starts a negative fraction.
    if (selected) {
        value_ = 0;
        decimalCount_ = 0;
        pointTyped_ = false;
        digitCount_ = 0;
    }
    if (digitCount_ >= maxDigits_) {
        Beep();
        return;
    }
    if (digitCount_ == 0) digitCount_ = 1;
    if (pointTyped_) Beep();
    pointTyped_ = true;
    ShowValue(value_);
}

void NValEditLogic::DeleteLastDigit(bool selected) {
    if (selected) Clear();
    if (digitCount_ <= 0) {
        decimalCount_ = 0;
        pointTyped_ = false;
        minusTyped_ = false;
        digitCount_ = 0;
        ShowValue(0);
        return;
    }
    std::string text = Trimmed(FormatFixedLeft(value_, digitCount_, decimalCount_));
    if (!text.empty()) text.pop_back();
    const std::optional<long double> shortened = ParseDecimal(text);
    --digitCount_;
    if (decimalCount_ > 0) {
        --decimalCount_;
    } else {
        decimalCount_ = 0;
        pointTyped_ = false;
        minusTyped_ = minusTyped_ && shortened && *shortened < 0;
    }
    if (text.empty() || text == "-") {
        minusTyped_ = false;
        ShowValue(0);
        return;
    }
    ShowValue(shortened.value_or(0));
}

void NValEditLogic::DeleteKey(bool selected) {
    if (selected || delAllClear_) Clear();
}

void NValEditLogic::Escape() {
    SetValue(savedValue_);
}

void NValEditLogic::FocusGained() {
    savedValue_ = value_;
}

void NValEditLogic::FocusLost() {
    savedValue_ = value_;
    if (fixDecimal_ > 0 && value_ != 0 && decimalCount_ != fixDecimal_) {
        digitCount_ += fixDecimal_ - decimalCount_;
        decimalCount_ = fixDecimal_;
        pointTyped_ = true;
    }
    ShowValue(value_);
}

}  // namespace kakeibo

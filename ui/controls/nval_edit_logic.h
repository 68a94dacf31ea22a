#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kakeibo {

// The key-by-key number logic of the numeric edit field, without any widget: it keeps the
// number, the counters of what was typed and the text to show. Refused input calls the
// beep callback and changes nothing.
class NValEditLogic final {
public:
    explicit NValEditLogic(std::function<void()> beep = {});

    void SetBeep(std::function<void()> beep) { beep_ = std::move(beep); }

    // Properties; the setters act at once on the number and the text.
    int MaxDigits() const { return maxDigits_; }
    // Refused (returns false) outside 1..15 or when not above FixDecimal.
    bool SetMaxDigits(int digits);
    bool PrmtNegative() const { return prmtNegative_; }
    void SetPrmtNegative(bool permitted);
    int FixDecimal() const { return fixDecimal_; }
    void SetFixDecimal(int decimals);
    bool DelAllClear() const { return delAllClear_; }
    void SetDelAllClear(bool on) { delAllClear_ = on; }
    char LeadingChar() const { return leadingChar_; }
    void SetLeadingChar(char c);
    bool ZeroDisplay() const { return zeroDisplay_; }
    void SetZeroDisplay(bool on);
    bool PutAComma() const { return putAComma_; }
    void SetPutAComma(bool on);

    long double Value() const { return value_; }
    // Clamps, cuts and counts the number, then shows it.
    void SetValue(long double value);
    // Shows `value` with the current counters and stores it.
    void ShowValue(long double value);
    // Value 0 and every counter reset.
    void Clear();

    // The number in a pasted or outside text; 0 for anything that does not parse.
    long double TextToValue(std::string_view text) const;

    // Typed keys; `selected` tells whether the field has a selection.
    void TypeDigit(int digit, bool selected);
    void TypeMinus(bool selected);
    void TypePoint(bool selected);
    void DeleteLastDigit(bool selected);
    void DeleteKey(bool selected);
    // Back to SavedValue.
    void Escape();

    // Focus changes: remember the number; leaving pads a fixed number of decimals.
    void FocusGained();
    void FocusLost();

    // The text to show (UTF-8) and whether it counts as negative (for the minus colour).
    const std::string& Text() const { return text_; }
    bool ShowsNegative() const { return showsNegative_; }

    int DigitCount() const { return digitCount_; }
    int DecimalCount() const { return decimalCount_; }
    bool PointTyped() const { return pointTyped_; }
    bool MinusTyped() const { return minusTyped_; }
    long double SavedValue() const { return savedValue_; }

private:
    void Beep() const;
    std::string LeadingText() const;

    std::function<void()> beep_;
    int maxDigits_ = 9;
    bool prmtNegative_ = true;
    int fixDecimal_ = -1;
    bool delAllClear_ = false;
    char leadingChar_ = ' ';
    bool zeroDisplay_ = false;
    bool putAComma_ = true;

    long double value_ = 0;
    long double savedValue_ = 0;
    int digitCount_ = 0;
    int decimalCount_ = 0;
    bool pointTyped_ = false;
    bool minusTyped_ = false;
    std::string text_;
    bool showsNegative_ = false;
};

// The text a leading character shows as: nothing for a blank or a control character, the
// yen sign for byte 0x5C (the Japanese code page's yen), else the character itself.
std::string LeadingCharText(char c);

}  // namespace kakeibo

#include "ui/controls/nval_edit_logic.h"

namespace kakeibo {

NValEditLogic::NValEditLogic(std::function<void()> beep) : beep_(std::move(beep)) {}
bool NValEditLogic::SetMaxDigits(int digits) {
    maxDigits_ = digits;
    return true;
}
void NValEditLogic::SetPrmtNegative(bool permitted) {
    prmtNegative_ = permitted;
}
void NValEditLogic::SetFixDecimal(int decimals) {
    fixDecimal_ = decimals;
}
void NValEditLogic::SetLeadingChar(char c) {
    leadingChar_ = c;
}
void NValEditLogic::SetZeroDisplay(bool on) {
    zeroDisplay_ = on;
}
void NValEditLogic::SetPutAComma(bool on) {
    putAComma_ = on;
}
void NValEditLogic::SetValue(long double value) {
    ShowValue(value);
}
void NValEditLogic::ShowValue(long double value) {
    value_ = value;
}
void NValEditLogic::Clear() {
    ShowValue(0);
}
long double NValEditLogic::TextToValue(std::string_view) const {
    return 0;
}
void NValEditLogic::TypeDigit(int, bool) {}
void NValEditLogic::TypeMinus(bool) {}
void NValEditLogic::TypePoint(bool) {}
void NValEditLogic::DeleteLastDigit(bool) {}
void NValEditLogic::DeleteKey(bool) {}
void NValEditLogic::Escape() {}
void NValEditLogic::FocusGained() {}
void NValEditLogic::FocusLost() {}
void NValEditLogic::Beep() const {}
std::string NValEditLogic::LeadingText() const {
    return {};
}
std::string LeadingCharText(char) {
    return {};
}

}  // namespace kakeibo

#pragma once

#include <QDialog>
#include <cstdint>

#include "core/ledger/ledger.h"

class QComboBox;
class QPushButton;

namespace kakeibo {

class TBorderLabel;

// The passbook account choice "通帳記帳口座選択": which account item and sub-item the
// passbook sheet lists. Made for one choice and shown modally over the data sheet.
class TFormkoza final : public QDialog {
    Q_OBJECT

public:
    explicit TFormkoza(const Ledger& ledger, QWidget* parent = nullptr);

    // Shows a new dialog modally and returns its code: 1 when cancelled (also by Escape or
    // closing), otherwise 10 + 10 x account item + sub-item. Windows ask through the platform
    // seam (Platform::ChoosePassbookAccount), so that tests answer without a modal loop.
    static int32_t Choose(const Ledger& ledger, QWidget* parent);

    int32_t Code() const { return code_; }

    void FormShow();
    void ComboBox1Change();
    void setHojyo1(int a);
    void Button1Click();
    void Button2Click();

    TBorderLabel* BorderLabel1 = nullptr;  // caption "口座項目"
    TBorderLabel* BorderLabel2 = nullptr;  // caption "細目"
    QComboBox* ComboBox1 = nullptr;        // account item (items of kind "0")
    QComboBox* ComboBox2 = nullptr;        // sub-item of the account item: the account
    QPushButton* Button1 = nullptr;        // "Ok": the code of the chosen account
    QPushButton* Button2 = nullptr;        // "Cancel": code 1

protected:
    void showEvent(QShowEvent* event) override;

private:
    const Ledger& ledger_;
    int32_t code_ = 1;
};

}  // namespace kakeibo

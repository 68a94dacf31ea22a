#pragma once

#include <QDialog>
#include <QWidget>
#include <array>
#include <functional>

#include "core/ledger/ledger.h"
#include "core/ledger/settings_work.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace kakeibo {

class TNValEdit;
class Workspace;

// Two stacked arrow buttons beside a number field; each press reports +1 or -1.
class TUpDown final : public QWidget {
    Q_OBJECT

public:
    explicit TUpDown(QWidget* parent = nullptr);

    void SetStepHandler(std::function<void(int step)> handler) { onStep_ = std::move(handler); }

    QToolButton* Up = nullptr;
    QToolButton* Down = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::function<void(int step)> onStep_;
};

// The settings dialog "各種設定": item and sub-item names, item kinds, opening balances of the
// account items, history lengths, the zero-item option and the tax rounding. It edits working
// copies and writes them into the ledger with "適用" and "Ok". Made for one opening.
class TForm2 final : public QDialog {
    Q_OBJECT

public:
    // `mainWindow` has the windows' item lists rebuilt after every write.
    TForm2(Ledger& ledger, Workspace& mainWindow, QWidget* owner);

    // Page "科目名変更" shown, page "基本設定" shown, the dialog shown.
    void TabSheet1Show();
    void TabSheet3Show();
    void FormShow();
    // Shows the details for `source`: ComboBox1, ComboBox2, ComboBox3 or the dialog itself.
    void DrawData(const QObject* source);
    // The working masters copied from the ledger: only as the dialog opens.
    void RefreshData();

    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox4Change();
    void Edit1Change();
    void Edit3Change();
    void NValEdit3Change();
    void RadioButtonClick(const QRadioButton* sender);
    void CheckBox2Click();

    void Button3Click();  // 適用
    void Button1Click();  // Ok
    void Button2Click();  // Cancel
    void FormClose();
    void DataRewrite();

    QTabWidget* PageControl1 = nullptr;  // the three pages
    QWidget* TabSheet3 = nullptr;        // "基本設定"
    QWidget* TabSheet2 = nullptr;        // "繰越設定"
    QWidget* TabSheet1 = nullptr;        // "科目名変更"
    QPushButton* Button1 = nullptr;      // "Ok": apply and close
    QPushButton* Button2 = nullptr;      // "Cancel": close, keeping what "適用" wrote
    QPushButton* Button3 = nullptr;      // "適用": write the working copies into the ledger

    // "基本設定"
    QGroupBox* GroupBox4 = nullptr;    // "お店の名前及び一口メモ履歴件数"
    QLabel* Label12 = nullptr;         // caption "お店の名前"
    TNValEdit* NValEdit1 = nullptr;    // the item's new name
    TUpDown* UpDown1 = nullptr;        // arrows of NValEdit1
    QLabel* Label13 = nullptr;         // caption "一口メモ"
    TNValEdit* NValEdit2 = nullptr;    // length of the memo history
    TUpDown* UpDown2 = nullptr;        // arrows of NValEdit2
    QGroupBox* GroupBox5 = nullptr;    // "オプション"
    QCheckBox* CheckBox1 = nullptr;    // hide items whose total is 0 on the data sheet
    QGroupBox* RadioGroup3 = nullptr;  // "消費税の円未満処理": tax rounding
    std::array<QRadioButton*, 3> RadioGroup3Items{};  // 四捨五入, 切捨て, 切り上げ

    // "繰越設定"
    QLabel* Label3 = nullptr;        // what the page is for
    QGroupBox* GroupBox3 = nullptr;  // frame of the opening balance
    QLabel* Label4 = nullptr;        // caption "口座選択"
    QComboBox* ComboBox2 = nullptr;  // account item (item 0 or 1)
    QLabel* Label5 = nullptr;        // caption "口座の種類選択"
    QComboBox* ComboBox3 = nullptr;  // sub-item of ComboBox2: the account
    QLabel* Label6 = nullptr;        // caption "繰越金額"
    TNValEdit* NValEdit3 = nullptr;  // the sub-item's new name
    QLabel* Label10 = nullptr;       // "円"

    // "科目名変更"
    QLabel* Label7 = nullptr;        // what the page is for
    QLabel* Label11 = nullptr;       // red note: the wallet cannot be renamed
    QGroupBox* GroupBox1 = nullptr;  // "科目名": renaming an item
    QLabel* Label1 = nullptr;        // caption "訂正前科目名"
    QComboBox* ComboBox1 = nullptr;  // the item to rename
    QLabel* Label2 = nullptr;        // caption "訂正後科目名"
    QLineEdit* Edit1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;  // "補助名": renaming a sub-item
    QLabel* Label8 = nullptr;        // caption "訂正前補助名"
    QComboBox* ComboBox4 = nullptr;  // the sub-item to rename, of the item in ComboBox1
    QLabel* Label9 = nullptr;        // caption "訂正後補助名"
    QLineEdit* Edit3 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;      // "科目区分": income or expense, for items 2..29
    QRadioButton* RadioButton1 = nullptr;  // "収入" income
    QRadioButton* RadioButton2 = nullptr;  // "支出" expense
    QCheckBox* CheckBox2 = nullptr;        // "軽減税率（8%）": an expense item's reduced rate

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void BuildBasicPage();
    void BuildOpeningPage();
    void BuildNamesPage();
    void ConnectHandlers();
    void ShowKind(int item);
    void ShowReducedRate(int item);
    void ShowWorkingNames();
    void ShowAccountNames();
    bool NamesStorable();
    void ApplyOptions();

    Ledger& ledger_;
    Workspace& mainWindow_;
    SettingsWork work_;
};

// Makes the settings dialog for one opening: owned by `owner`, application-modal, centred on
// the screen, destroyed when it closes. The caller shows it (exec, or show in tests).
TForm2* CreateSettingsDialog(Ledger& ledger, Workspace& mainWindow, QWidget* owner);

}  // namespace kakeibo

#pragma once

#include <QDialog>
#include <QWidget>
#include <array>
#include <functional>

#include "core/ledger.h"
#include "core/settings_work.h"

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

class TForm3;
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
    // `entryForm` (may be null) has its lists rebuilt after every write.
    TForm2(Ledger& ledger, Workspace& mainWindow, TForm3* entryForm, QWidget* owner);

    // Page "科目名変更" shown, page "基本設定" shown, the dialog shown.
    void TabSheet1Show();
    void TabSheet3Show();
    void FormShow();
    // Shows the details for `source`: ComboBox1, ComboBox2, ComboBox3 or the dialog itself.
    void DrawData(const QObject* source);
    void RefreshData();

    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox4Change();
    void Edit1Change();
    void Edit3Change();
    void NValEdit3Change();
    void RadioButtonClick(const QRadioButton* sender);

    void Button3Click();  // 適用
    void Button1Click();  // Ok
    void Button2Click();  // Cancel
    void FormClose();
    void DataRewrite();

    const SettingsWork& Work() const { return work_; }

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;

    // "基本設定"
    QGroupBox* GroupBox4 = nullptr;
    QLabel* Label12 = nullptr;
    TNValEdit* NValEdit1 = nullptr;
    TUpDown* UpDown1 = nullptr;
    QLabel* Label13 = nullptr;
    TNValEdit* NValEdit2 = nullptr;
    TUpDown* UpDown2 = nullptr;
    QGroupBox* GroupBox5 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QGroupBox* RadioGroup3 = nullptr;
    std::array<QRadioButton*, 3> RadioGroup3Items{};  // 四捨五入, 切捨て, 切り上げ

    // "繰越設定"
    QLabel* Label3 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QLabel* Label5 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QLabel* Label6 = nullptr;
    TNValEdit* NValEdit3 = nullptr;
    QLabel* Label10 = nullptr;

    // "科目名変更"
    QLabel* Label7 = nullptr;
    QLabel* Label11 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label8 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;

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
    void ShowWorkingNames();
    bool NamesStorable();
    void ApplyOptions();

    Ledger& ledger_;
    Workspace& mainWindow_;
    TForm3* entryForm_ = nullptr;
    SettingsWork work_;
};

// Makes the settings dialog for one opening: owned by `owner`, application-modal, centred on
// the screen, destroyed when it closes. The caller shows it (exec, or show in tests).
TForm2* CreateSettingsDialog(Ledger& ledger, Workspace& mainWindow, TForm3* entryForm,
                             QWidget* owner);

}  // namespace kakeibo

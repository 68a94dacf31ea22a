#pragma once

#include <QDialog>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ledger/ledger.h"
#include "core/money_in/statement.h"
#include "core/money_in/statement_import.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableView;

namespace kakeibo {

class ImportLinesDelegate;
class ImportLinesModel;
class Workspace;

// The statement import 「明細の取り込み」: a bank's or card's statement file shown line by line
// with the item each line would be booked to, the columns, the account and the household's
// rules above it. 「取り込む」 writes the checked lines as one change. Made for one opening,
// modal over the main window.
class TFormMeisai final : public QDialog {
    Q_OBJECT

public:
    // Reads the household's rules and remembered sources from the data folder; throws
    // LedgerError when that file is damaged, so that it is never overwritten unread.
    TFormMeisai(Ledger& ledger, Workspace& workspace, QWidget* owner);
    ~TFormMeisai() override;

    // Asks for a statement file and shows it; false when the user cancelled.
    bool Button1Click();
    // A column or the sign of the amount was changed: the lines are read again.
    void ColumnChange();
    // The account was changed: the lines are assigned and matched again.
    void ComboBox8Change();
    // The duplicate window was changed: the lines are matched again, keeping the user's edits.
    void SpinEdit1Change();
    // The rules: a choice in the list shows it in the fields; add, change, delete, move.
    void ListBox1Click();
    void ComboBox9Change();
    void Button3Click();  // 追加
    void Button9Click();  // 変更
    void Button4Click();  // 削除
    void Button5Click();  // 上へ
    void Button6Click();  // 下へ
    // 「この摘要をルールに追加」: the current line's shop and item as a rule, first in the list.
    void Button2Click();
    // 「取り込む」.
    void Button7Click();

    const std::vector<ImportLine>& Lines() const { return lines_; }
    const ImportSettings& Settings() const { return settings_; }

    QLabel* Label1 = nullptr;         // 「明細ファイル」
    QLineEdit* Edit1 = nullptr;       // the chosen file's path, read-only
    QPushButton* Button1 = nullptr;   // 「ファイルを開く…」
    QGroupBox* GroupBox1 = nullptr;   // 「列」
    QComboBox* ComboBox1 = nullptr;   // the date column
    QComboBox* ComboBox2 = nullptr;   // the description column
    QComboBox* ComboBox6 = nullptr;   // the memo column, or none
    QComboBox* ComboBox3 = nullptr;   // one signed amount column, or none
    QComboBox* ComboBox4 = nullptr;   // the money-out column of two, or none
    QComboBox* ComboBox5 = nullptr;   // the money-in column of two, or none
    QComboBox* ComboBox7 = nullptr;   // a positive signed amount is 出金 or 入金
    QComboBox* ComboBox8 = nullptr;   // the account the statement belongs to
    QSpinBox* SpinEdit1 = nullptr;    // days apart that an entry still counts as the line's
    QGroupBox* GroupBox2 = nullptr;   // 「ルール」
    QListWidget* ListBox1 = nullptr;  // the rules, in the order they are tried
    QLineEdit* Edit2 = nullptr;       // a rule's text: 「摘要に〜を含む」
    QComboBox* ComboBox9 = nullptr;   // a rule's item
    QComboBox* ComboBox10 = nullptr;  // a rule's sub-item
    QPushButton* Button3 = nullptr;   // 「追加」
    QPushButton* Button9 = nullptr;   // 「変更」
    QPushButton* Button4 = nullptr;   // 「削除」
    QPushButton* Button5 = nullptr;   // 「上へ」
    QPushButton* Button6 = nullptr;   // 「下へ」
    QTableView* SG1 = nullptr;        // the preview grid
    QLabel* Label2 = nullptr;         // the count and sums of the checked lines
    QPlainTextEdit* Memo1 = nullptr;  // the lines not imported, with their reasons
    QPushButton* Button2 = nullptr;   // 「この摘要をルールに追加」
    QPushButton* Button7 = nullptr;   // 「取り込む」
    QPushButton* Button8 = nullptr;   // 「閉じる」

private:
    void BuildControls();
    void ConnectHandlers();
    void FillColumnLists();
    void FillAccounts(std::pair<int, int> account);
    void FillRuleItems();
    void ShowRules();
    StatementColumns ChosenColumns() const;
    void ReadLines();
    void ShowUnread();
    void ShowSums();
    void RulesChanged(int selected);
    std::optional<ImportRule> TypedRule();
    void SaveSettings();

    Ledger& ledger_;
    Workspace& workspace_;
    ImportSettings settings_;
    StatementTable table_;
    StatementReading reading_;
    std::vector<ImportLine> lines_;
    std::unique_ptr<LearnedAssignments> learned_;
    int accountItem_ = 0;
    int accountSubItem_ = 0;
    ImportLinesModel* model_ = nullptr;
    ImportLinesDelegate* delegate_ = nullptr;
};

}  // namespace kakeibo

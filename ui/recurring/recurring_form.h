#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "core/ledger/ledger.h"
#include "core/money_in/recurring.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace kakeibo {

// 「定期入出金」: the household's recurring entries, added, changed, deleted and ordered.
// Every change is written to the data folder's file at once: the templates belong to the
// household, not to the year's ledger, so they are not part of its save.
class TFormTeiki final : public QDialog {
    Q_OBJECT

public:
    TFormTeiki(const Ledger& ledger, QWidget* owner);

    // The template as the fields show it.
    RecurringEntry Shown() const;
    // Shows a template in the fields.
    void Show(const RecurringEntry& entry);

    void AddClick();
    void ChangeClick();
    void DeleteClick();
    void MoveClick(int step);
    void ListClick();
    void TabChange();
    void ItemChange(int side);

    QTableWidget* ListView1 = nullptr;
    QLineEdit* EditName = nullptr;
    QComboBox* ComboTab = nullptr;
    QComboBox* ComboItem1 = nullptr;
    QComboBox* ComboSub1 = nullptr;
    QComboBox* ComboItem2 = nullptr;
    QComboBox* ComboSub2 = nullptr;
    QLineEdit* EditAmount = nullptr;
    QCheckBox* CheckVaries = nullptr;
    QComboBox* ComboTax = nullptr;
    QComboBox* ComboDay = nullptr;
    QComboBox* ComboInterval = nullptr;
    QSpinBox* SpinStartYear = nullptr;
    QComboBox* ComboStartMonth = nullptr;
    QCheckBox* CheckEnd = nullptr;
    QSpinBox* SpinEndYear = nullptr;
    QComboBox* ComboEndMonth = nullptr;
    QLineEdit* EditShop = nullptr;
    QLineEdit* EditMemo = nullptr;
    QPushButton* ButtonAdd = nullptr;
    QPushButton* ButtonChange = nullptr;
    QPushButton* ButtonDelete = nullptr;
    QPushButton* ButtonUp = nullptr;
    QPushButton* ButtonDown = nullptr;
    QPushButton* ButtonClose = nullptr;

private:
    // Writes `next` to the data folder's file, then shows it with row `current` chosen.
    void Store(std::vector<RecurringEntry> next, int current);
    void FillList(int current);
    void FillItems(QComboBox* items, int side);
    void FillSubItems(QComboBox* subs, QComboBox* items, int side);
    int CurrentRow() const;

    const Ledger& ledger_;
    std::vector<RecurringEntry> templates_;
};

// The menu's 「定期入出金…」: reads the templates (a damaged file throws its message), then
// the list for editing, modal; `preset` fills the fields (a template made from an entry).
void ShowRecurringForm(const Ledger& ledger, QWidget* owner,
                       const std::optional<RecurringEntry>& preset = std::nullopt);

}  // namespace kakeibo

// Budgets on the entry form's budget tab: register one, copy last month's.
#include <QComboBox>

#include "core/errors.h"
#include "core/ledger/budgets.h"
#include "core/ledger/change.h"
#include "core/numbers.h"
#include "ui/controls/nval_edit.h"
#include "ui/entry/entry_form.h"
#include "ui/platform/input_method.h"
#include "ui/platform/platform.h"
#include "ui/window/workspace.h"

namespace kakeibo {

void TForm3::YosanClick() {
    composition_->Commit();
    const int position = ComboBox5->currentIndex();
    if (position < 0) {
        CurrentPlatform().ShowMessage(QStringLiteral("項目を選択してください。"));
        return;
    }
    const int item = item1Map_[position];
    const QString shown = NValEdit5->text();
    // A text that is not a whole number raises the general "is not a number" error.
    const std::optional<int32_t> budget = TypedAmount32(shown.toStdString());
    if (!budget) throw LedgerError(NotANumberMessage(RemoveCommas(shown.toStdString())));
    workspace_.Apply(SetBudget(ledger_, ledger_.EditMonth, item, *budget));
    CurrentPlatform().ShowMessage(QString::fromStdString(ledger_.ItemTable[item].Name) +
                                  QStringLiteral("の予算を\r　") + shown +
                                  QStringLiteral("円に設定しました。"));
    NValEdit5->SetValue(0);
}

void TForm3::Button1Click() {
    const int month = ledger_.EditMonth;
    bool emptyOnly = false;
    if (MonthHasBudget(ledger_, month)) {
        Platform& platform = CurrentPlatform();
        if (platform.ShowTypedMessage(
                MessageKind::Information,
                QStringLiteral("今月の予算データがあります。\r上書きしますか？"),
                YesButton | NoButton) != YesButton) {
            return;
        }
        emptyOnly = platform.ShowTypedMessage(MessageKind::Information,
                                              QStringLiteral("今月予算が０円の物だけ上書き？"),
                                              YesButton | AllButton) == YesButton;
    }
    workspace_.Apply(CopyPreviousBudgets(ledger_, month, emptyOnly));
}

}  // namespace kakeibo

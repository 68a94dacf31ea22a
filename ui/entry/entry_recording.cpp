// Writing the panel into the ledger: the write button, the histories, the receipt total.
#include <QComboBox>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableView>
#include <optional>

#include "core/errors.h"
#include "core/files/ledger_files.h"
#include "core/files/ledger_writers.h"
#include "core/ledger/entries.h"
#include "core/ledger/totals.h"
#include "core/numbers.h"
#include "core/sjis.h"
#include "ui/controls/border_label.h"
#include "ui/controls/nval_edit.h"
#include "ui/controls/nval_label.h"
#include "ui/entry/entry_form.h"
#include "ui/entry/entry_history.h"
#include "ui/entry/entry_list_model.h"
#include "ui/platform/input_method.h"
#include "ui/platform/platform.h"
#include "ui/window/workspace.h"

namespace kakeibo {

namespace {

const char* const kMonthFull = "今月の入力件数が上限の1000件に達しています。";
const char* const kNoItem = "項目を選択してください。";

QString StripLeadingBlanks(QString caption) {
    while (caption.startsWith(QChar(0x3000)) || caption.startsWith(QLatin1Char(' '))) {
        caption.remove(0, 1);
    }
    return caption;
}

}  // namespace

QString TForm3::ShopText() const {
    // The ledger holds the shop as the entries file will: one line, "，" for ",".
    return QString::fromStdString(StorableShop(ComboBox1->currentText().toStdString()));
}

QString TForm3::MemoText() const {
    return QString::fromStdString(OneLine(ComboBox2->currentText().toStdString()));
}

bool TForm3::CheckWritable(const std::optional<int64_t>& amount, bool newEntry) {
    Platform& platform = CurrentPlatform();
    if (!amount) {
        platform.ShowMessage(QString::fromUtf8(kBadAmountMessage));
        return false;
    }
    if (ComboBox5->currentIndex() < 0 || ComboBox3->currentIndex() < 0) {
        platform.ShowMessage(QString::fromUtf8(kNoItem));
        return false;
    }
    if (newEntry && ledger_.NextSlot >= kSlotCount) {
        platform.ShowMessage(QString::fromUtf8(kMonthFull));
        return false;
    }
    const std::pair<QString, QString> fields[] = {
        {StripLeadingBlanks(BorderLabel2->text()), ShopText()},
        {StripLeadingBlanks(BorderLabel5->text()), MemoText()}};
    for (const auto& [name, text] : fields) {
        const std::string bad = FirstUnstorableCharacter(text.toStdString());
        if (!bad.empty()) {
            platform.ShowTypedMessage(MessageKind::Warning,
                                      QStringLiteral("「%1」に保存できない文字「%2」があります。")
                                          .arg(name, QString::fromStdString(bad)),
                                      OkButton);
            return false;
        }
    }
    return true;
}

void TForm3::KinyuClick() {
    composition_->Commit();
    const int current = SG31->currentIndex().row();
    // An edit goes to the current row; a row without an entry takes a new one instead,
    // so that nothing is written behind the month's last entry.
    const bool editing = ledger_.RowEditMode == 1 && current >= 0 && current < ledger_.NextSlot;
    const std::optional<int64_t> amount = TypedEntryAmount(NValEdit5->text().toStdString());
    if (!CheckWritable(amount, !editing)) return;
    bool applied = false;
    if (!editing) {
        int64_t v = *amount;
        if (RadioButton2->isChecked()) {
            v = Shohizei(ledger_, v, ledger_.EditDate, item1Map_[ComboBox5->currentIndex()],
                         ComboBox12->currentIndex());
        }
        receiptTotal_ += v;
        NValLabel1->SetValue(static_cast<long double>(receiptTotal_));
        applied = DataWrite(ledger_.NextSlot, *amount);
        model_->EnsureRows(ledger_.NextSlot);
        MoveCurrentRow(ledger_.NextSlot - 1);
    } else {
        applied = DataWrite(current, *amount);
        MoveCurrentRow(current);
    }
    // A change kept has refreshed the windows already.
    if (!applied) workspace_.AllUpdate();
    SetWalletBalance();
    NValEdit5->SetValue(0);
}

bool TForm3::DataWrite(int slot, int64_t amount) {
    EntryRecord e;
    e.TaxKind = RadioButton1->isChecked() ? 0 : (RadioButton2->isChecked() ? 1 : 2);
    e.Year = ledger_.EditDate.Year;
    e.Month = ledger_.EditDate.Month;
    e.Day = ledger_.EditDate.Day;
    e.Item1 = item1Map_[ComboBox5->currentIndex()];
    e.SubItem1 = std::max(ComboBox12->currentIndex(), 0);
    e.Item2 = item2Map_[ComboBox3->currentIndex()];
    e.SubItem2 = std::max(ComboBox4->currentIndex(), 0);
    e.Amount = static_cast<int32_t>(amount);
    const QString shop = ShopText();
    const QString memo = MemoText();
    const EntryText text{shop.toStdString(), memo.toStdString()};
    // The slot after the month's last entry takes a new one; any other is an edit.
    const std::optional<Change> change =
        slot == ledger_.NextSlot ? AddEntry(ledger_, ledger_.EditMonth, e, text)
                                 : ReplaceEntry(ledger_, ledger_.EditMonth, slot, e, text);
    if (change) workspace_.Apply(*change);

    RememberText(ComboBox1, shop, ledger_.ShopHistoryMax);
    RememberText(ComboBox2, memo, ledger_.MemoHistoryMax);
    SetEditMode(false);
    return change.has_value();
}

void TForm3::RememberText(QComboBox* field, const QString& text, int max) {
    QStringList lines;
    for (int i = 0; i < field->count(); ++i) lines.append(field->itemText(i));
    const bool found = RecordInHistory(lines, text, max);
    const QSignalBlocker blocker(field);
    field->clear();
    field->addItems(lines);
    if (found) {
        field->setCurrentIndex(0);
    } else {
        field->setCurrentIndex(-1);
        field->setEditText(text);
    }
}

void TForm3::RecieptClear() {
    NValLabel1->SetValue(0);
    receiptTotal_ = 0;
}

}  // namespace kakeibo

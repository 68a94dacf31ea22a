// Recurring entries on the entry form: what is due in the edited month, written as one change.
#include <QDateTime>
#include <QFileInfo>
#include <QPushButton>

#include "core/ledger/entries.h"
#include "core/money_in/recurring.h"
#include "ui/entry/entry_form.h"
#include "ui/platform/platform.h"
#include "ui/window/workspace.h"

namespace kakeibo {

void TForm3::RefreshRecurring() {
    const QFileInfo file(QString::fromStdString(ledger_.DataDir + kRecurringFile));
    const QString stamp = file.exists()
                              ? file.absoluteFilePath() + QString::number(file.size()) +
                                    QString::number(file.lastModified().toMSecsSinceEpoch())
                              : QString();
    if (stamp != recurringStamp_) {
        recurringStamp_ = stamp;
        try {
            recurring_ = ReadRecurring(ledger_.DataDir);
        } catch (const std::exception&) {
            // A damaged file is reported where the templates are edited, not on every refill.
            recurring_.clear();
        }
    }
    const bool offered = !recurring_.empty() && currentTab_ != EntryTab::Budget;
    Button3->setVisible(offered);
    if (!offered) return;
    const size_t due =
        DueRecurring(ledger_, recurring_, ledger_.EditDate.Year, ledger_.EditMonth).size();
    Button3->setText(QStringLiteral("定期入出金を記入（%1件）").arg(due));
    Button3->setEnabled(due > 0);
}

void TForm3::TeikiKinyuClick() {
    const auto due = DueRecurring(ledger_, recurring_, ledger_.EditDate.Year, ledger_.EditMonth);
    if (due.empty()) return;
    std::vector<CheckLine> lines;
    for (const RecurringProposal& p : due) {
        const RecurringEntry& e = recurring_[static_cast<size_t>(p.Template)];
        lines.push_back({QString::fromStdString(DueText(ledger_, e, p.Entry.Record)), true,
                         p.Entry.Record.Amount});
    }
    if (!CurrentPlatform().ChooseLines(
            QStringLiteral("定期入出金を記入"),
            QStringLiteral("%1月に記入する定期入出金").arg(ledger_.EditMonth), lines)) {
        return;
    }
    std::vector<NewEntry> chosen;
    for (size_t i = 0; i < due.size(); ++i) {
        if (!lines[i].Checked) continue;
        NewEntry entry = due[i].Entry;
        if (lines[i].Amount) entry.Record.Amount = *lines[i].Amount;
        chosen.push_back(entry);
    }
    if (chosen.empty()) return;
    // All or nothing: a month that cannot take them all throws its message.
    workspace_.Apply(AddEntries(ledger_, chosen, ChangeKind::Recurring));
}

void TForm3::Teiki1Click() {
    const int slot = selectedSlot_;
    if (slot < 0 || slot >= ledger_.NextSlot) return;  // the spare row holds no entry
    const int m = ledger_.EditMonth - 1;
    RecurringEntry preset =
        RecurringFromEntry(ledger_.EntryTable[m][slot], ledger_.EntryTextTable[m][slot]);
    const EntryRecord& r = ledger_.EntryTable[m][slot];
    if (r.Item1 >= 0 && r.Item1 < kItemCount && r.Item2 >= 0 && r.Item2 < kItemCount) {
        const auto tab =
            TabForKinds(ledger_.ItemTable[r.Item1].Kind, ledger_.ItemTable[r.Item2].Kind);
        if (tab) preset.Tab = *tab;
    }
    workspace_.EditRecurring(&preset);
}

}  // namespace kakeibo

#include "core/ledger/history.h"

#include <utility>

#include "core/numbers.h"

namespace kakeibo {

namespace {

bool ValidItem(int item) {
    return item >= 0 && item < kItemCount;
}

// An account by its own name (お財布, a bank), any other item by the item's name.
std::string SideName(const Ledger& ledger, int item, int subItem) {
    if (!ValidItem(item)) return {};
    const ItemRecord& record = ledger.ItemTable[item];
    if (record.Kind == kKindAccount && subItem >= 0 && subItem < kSubItemCount &&
        !ledger.SubItemTable[item][subItem].empty()) {
        return ledger.SubItemTable[item][subItem];
    }
    return record.Name;
}

bool IsAccount(const Ledger& ledger, int item) {
    return ValidItem(item) && ledger.ItemTable[item].Kind == kKindAccount;
}

// What the money went to: the expense item, the income item it came from, or for a move
// between accounts both of them.
std::string WhatFor(const Ledger& ledger, const EntryRecord& e) {
    const bool toAccount = IsAccount(ledger, e.Item1);
    if (toAccount && IsAccount(ledger, e.Item2)) {
        return SideName(ledger, e.Item2, e.SubItem2) + "→" + SideName(ledger, e.Item1, e.SubItem1);
    }
    if (toAccount) return SideName(ledger, e.Item2, e.SubItem2);
    return SideName(ledger, e.Item1, e.SubItem1);
}

std::string EntryWords(const Ledger& ledger, const EntryRecord& e) {
    return std::to_string(e.Month) + "月" + std::to_string(e.Day) + "日 " + WhatFor(ledger, e) +
           " " + FormatNumber(e.Amount, 1, 0) + "円";
}

// The entry a one-entry step is about: the one written or edited as it is now, or the one a
// delete took away.
const EntryRecord* EntryOf(const Change& change) {
    if (change.Slots.empty()) return nullptr;
    const SlotSpan& span = change.Slots.front();
    if (change.Kind == ChangeKind::Delete) {
        return span.Before.empty() ? nullptr : &span.Before.front();
    }
    for (size_t i = 0; i < span.After.size() && i < span.Before.size(); ++i) {
        if (span.After[i] != span.Before[i] || span.AfterText[i] != span.BeforeText[i]) {
            return &span.After[i];
        }
    }
    return span.After.empty() ? nullptr : &span.After.front();
}

// Slots that held no entry before the change and hold one after it.
size_t NewEntries(const Change& change) {
    size_t count = 0;
    for (const SlotSpan& span : change.Slots) {
        for (size_t i = 0; i < span.After.size() && i < span.Before.size(); ++i) {
            if (span.Before[i].Amount <= 0 && span.After[i].Amount > 0) ++count;
        }
    }
    return count;
}

std::string WithEntry(const char* verb, const Ledger& ledger, const Change& change) {
    const EntryRecord* e = EntryOf(change);
    return e != nullptr ? std::string(verb) + " " + EntryWords(ledger, *e) : std::string(verb);
}

std::string WithMonth(const char* verb, const Change& change) {
    const int month = change.FirstMonth();
    return month != 0 ? std::string(verb) + " " + std::to_string(month) + "月" : std::string(verb);
}

std::string WithCount(const char* verb, const Change& change) {
    return std::string(verb) + " " + std::to_string(NewEntries(change)) + "件";
}

bool ChangesNothing(const Change& change) {
    for (const SlotSpan& span : change.Slots) {
        if (span.Before != span.After || span.BeforeText != span.AfterText) return false;
    }
    for (const BudgetCell& cell : change.Budgets) {
        if (cell.Before != cell.After) return false;
    }
    return change.SettingsBefore == change.SettingsAfter;
}

}  // namespace

std::string DescribeChange(const Ledger& ledger, const Change& change) {
    switch (change.Kind) {
        case ChangeKind::Write:
            return WithEntry("記入", ledger, change);
        case ChangeKind::Edit:
            return WithEntry("編集", ledger, change);
        case ChangeKind::Delete:
            return WithEntry("削除", ledger, change);
        case ChangeKind::Budget:
            return WithMonth("予算登録", change);
        case ChangeKind::BudgetCopy:
            return WithMonth("前月予算コピー", change);
        case ChangeKind::Settings:
            return "各種設定";
        case ChangeKind::Import:
            return WithCount("明細の取り込み", change);
        case ChangeKind::Recurring:
            return WithCount("定期入出金の記入", change);
        case ChangeKind::Restore:  // a new start of the history, never a step of it
            return "バックアップから復元";
        case ChangeKind::Merge:
            return "別のパソコンの変更の取り込み";
    }
    return {};
}

Change Reversed(Change change) {
    Change reversed = std::move(change);
    for (SlotSpan& span : reversed.Slots) {
        std::swap(span.Before, span.After);
        std::swap(span.BeforeText, span.AfterText);
    }
    for (BudgetCell& cell : reversed.Budgets) std::swap(cell.Before, cell.After);
    std::swap(reversed.SettingsBefore, reversed.SettingsAfter);
    return reversed;
}

void History::Push(const Change& change, std::string caption) {
    if (ChangesNothing(change)) return;
    steps_.resize(done_);
    Step step;
    step.Kind = change.Kind;
    step.Slots = change.Slots;
    step.Budgets = change.Budgets;
    if (change.SettingsBefore || change.SettingsAfter) {
        step.Settings = std::make_unique<const SettingsSides>(
            SettingsSides{change.SettingsBefore, change.SettingsAfter});
    }
    step.Caption = std::move(caption);
    steps_.push_back(std::move(step));
    if (steps_.size() > kHistoryMaxSteps) steps_.pop_front();
    done_ = steps_.size();
}

Change History::Rebuild(const Step& step) {
    Change change;
    change.Kind = step.Kind;
    change.Slots = step.Slots;
    change.Budgets = step.Budgets;
    if (step.Settings) {
        change.SettingsBefore = step.Settings->Before;
        change.SettingsAfter = step.Settings->After;
    }
    return change;
}

std::optional<Change> History::Undo(Ledger& ledger) {
    if (done_ == 0) return std::nullopt;
    Change change = Rebuild(steps_[done_ - 1]);
    ApplyChange(ledger, change, ChangeSide::Before);
    --done_;
    return Reversed(std::move(change));
}

std::optional<Change> History::Redo(Ledger& ledger) {
    if (done_ == steps_.size()) return std::nullopt;
    Change change = Rebuild(steps_[done_]);
    ApplyChange(ledger, change, ChangeSide::After);
    ++done_;
    return change;
}

void History::Refused(bool undone) {
    if (undone && done_ < steps_.size()) {
        ++done_;
    } else if (!undone && done_ > 0) {
        --done_;
    }
}

std::string History::UndoCaption() const {
    return done_ > 0 ? steps_[done_ - 1].Caption : std::string();
}

std::string History::RedoCaption() const {
    return done_ < steps_.size() ? steps_[done_].Caption : std::string();
}

void History::Clear() {
    steps_.clear();
    done_ = 0;
}

}  // namespace kakeibo

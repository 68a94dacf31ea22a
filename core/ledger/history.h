// The undo history: the steps' two sides and what the edit menu calls them.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ledger/change.h"
#include "core/ledger/ledger.h"

namespace kakeibo {

inline constexpr std::size_t kHistoryMaxSteps = 1000;

// What a step is called in the edit menu, named from the ledger as the change left it:
// 「記入 6月15日 食費 1,200円」, 「削除 …」, 「予算登録 6月」, 「各種設定」, 「明細の取り込み
// 38件」.
std::string DescribeChange(const Ledger& ledger, const Change& change);

// The change turned round: applying its After side is what an undo of `change` does.
Change Reversed(Change change);

// The ledger's changes as the user made them, for undo and redo. Each step keeps only what
// its change touched, before and after; the settings, large and rare, live apart so that a
// step of one entry stays small.
class History final {
public:
    // Keeps a change just made as the newest step. The steps undone before it can no longer
    // be redone, and the oldest goes beyond kHistoryMaxSteps. A change that left the ledger
    // as it was is not a step.
    void Push(const Change& change, std::string caption);

    // Takes the ledger back before the newest step (ApplyChange of its Before side) and
    // returns what that did, as a change whose After side is the ledger now; nothing when
    // there is no step to undo.
    std::optional<Change> Undo(Ledger& ledger);
    // Applies the After side of the step last undone and returns it; nothing when none.
    std::optional<Change> Redo(Ledger& ledger);
    // The last Undo (`undone`) or Redo could not be kept and the ledger was already put back:
    // the step counts as it did before.
    void Refused(bool undone);

    // Captions of the steps Undo and Redo would take; empty when there is none.
    std::string UndoCaption() const;
    std::string RedoCaption() const;
    std::size_t UndoCount() const { return done_; }
    std::size_t RedoCount() const { return steps_.size() - done_; }

    // Another ledger was loaded: nothing of the old one can be undone in it.
    void Clear();

private:
    struct SettingsSides {
        std::optional<SettingsState> Before;
        std::optional<SettingsState> After;
    };
    struct Step {
        ChangeKind Kind = ChangeKind::Write;
        std::vector<SlotSpan> Slots;
        std::vector<BudgetCell> Budgets;
        std::unique_ptr<const SettingsSides> Settings;
        std::string Caption;
    };

    static Change Rebuild(const Step& step);

    std::deque<Step> steps_;
    std::size_t done_ = 0;  // steps_[0, done_) are in the ledger; the rest were undone
};

}  // namespace kakeibo

#pragma once

class QObject;

namespace kakeibo {

struct Change;
struct Date;
struct RecurringEntry;
class TToolWindow;

// What a tool window or dialog may ask of the main window. They depend on this alone, so
// their tests can stand a small fake in for the main window.
class Workspace {
public:
    // Recomputes the totals, then refills the entry list and the shown sheets.
    virtual void AllUpdate() = 0;
    // Moves the edit date to `date` as a user's pick of that day does.
    virtual void SelectDate(const Date& date) = 0;
    // A tool window reports its own showing or hiding (`state`: visible before the switch).
    virtual void FormVisible(QObject* sender, bool state) = 0;
    // Rebuilds the item lists the windows offer, after names or kinds of items changed.
    virtual void RefillItemLists() = 0;
    // Every change a window made through core's writers is handed over here, before the
    // window shows it: the open ledger's session keeps it (journal, history) and the windows
    // are refreshed as by AllUpdate. When it cannot be kept (a journal that cannot be
    // written), the change is taken back out of the ledger and this throws: the handler then
    // stops as for any error.
    virtual void Apply(const Change& change) = 0;
    // A tool window became the active window: printing takes what it shows.
    virtual void ToolWindowActivated(TToolWindow* window) { static_cast<void>(window); }
    // Opens the recurring entries' list, its fields filled from `preset` when given.
    virtual void EditRecurring(const RecurringEntry* preset) { static_cast<void>(preset); }

protected:
    ~Workspace() = default;
};

}  // namespace kakeibo

#pragma once

#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

#include "core/calendar.h"
#include "core/ledger/change.h"
#include "ui/window/tool_window.h"
#include "ui/window/workspace.h"

namespace kakeibo::test {

// Stands in for the main window in a test that builds one window: counts what the window
// asks, and does what the test hooks in. A closing report hides or shows its window, as the
// main window does.
class FakeWorkspace final : public Workspace {
public:
    void AllUpdate() override {
        ++Updates;
        if (OnAllUpdate) OnAllUpdate();
    }
    void SelectDate(const Date& date) override {
        Dates.push_back(date);
        if (OnSelectDate) OnSelectDate(date);
    }
    void FormVisible(QObject* sender, bool state) override {
        Reports.push_back({sender, state});
        if (auto* window = qobject_cast<QWidget*>(sender)) window->setVisible(!state);
    }
    void RefillItemLists() override {
        ++ItemListRefills;
        if (OnRefillItemLists) OnRefillItemLists();
    }
    // Keeps the change, then refreshes as the main window does once its session kept it.
    void Apply(const Change& change) override {
        Changes.push_back(change);
        AllUpdate();
    }

    int Updates = 0;
    int ItemListRefills = 0;
    std::vector<Change> Changes;
    std::vector<Date> Dates;
    std::vector<std::pair<QObject*, bool>> Reports;
    std::function<void()> OnAllUpdate;
    std::function<void(const Date&)> OnSelectDate;
    std::function<void()> OnRefillItemLists;
};

// A sheet-like tool window with nothing inside: counts its refills, runs `OnRefill`, and
// shows `Table`.
class FakeSheet final : public TSheetWindow {
public:
    explicit FakeSheet(Workspace& workspace)
        : TSheetWindow(workspace, ToolFrame::Sizable, nullptr) {}

    void Refill() override {
        ++Refills;
        if (OnRefill) OnRefill();
    }
    TextTable ShownTable() const override { return Table; }
    QString ShownTitle() const override { return QStringLiteral("テスト"); }

    int Refills = 0;
    std::function<void()> OnRefill;
    TextTable Table;
};

}  // namespace kakeibo::test

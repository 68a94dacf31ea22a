#pragma once

// A ledger with a few masters and the entry form over it, shown; shared by the entry form's
// widget tests. Alone, a FakeWorkspace stands in for the main window (its update recomputes
// the totals and refills the form, as the main window's does); tests of the windows together
// build the real main window instead.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QMenu>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <memory>

#include "core/ledger/ledger.h"
#include "core/ledger/totals.h"
#include "ui/controls/nval_edit.h"
#include "ui/controls/picture_button.h"
#include "ui/entry/entry_form.h"
#include "ui/entry/entry_widgets.h"
#include "ui/main/main_window.h"
#include "ui/support/fake_platform.h"
#include "ui/support/fake_workspace.h"

namespace kakeibo::test {

// Items: 0 現金 and 1 銀行 (accounts), 2 食費, 3 日用品 and 4 (no name) expenses, 5 給与
// income; the rest have neither name nor kind.
inline void FillMasters(Ledger& ledger) {
    const char* items[][2] = {{"現金", "0"},    {"銀行", "0"}, {"食費", "-1"},
                              {"日用品", "-1"}, {"", "-1"},    {"給与", "1"}};
    const char* subs[][5] = {{"お財布", "小銭入れ", "", "", ""},
                             {"みずほ", "ゆうちょ", "三井住友", "", ""},
                             {"食料品", "外食", "お菓子", "", ""},
                             {"洗剤", "紙類", "", "", ""},
                             {"", "", "", "", ""},
                             {"本給", "手当", "", "", ""}};
    for (int i = 0; i < 6; ++i) {
        ledger.ItemTable[i] = {items[i][0], items[i][1]};
        for (int s = 0; s < kSubItemCount; ++s) ledger.SubItemTable[i][s] = subs[i][s];
    }
}

inline EntryRecord Entry(int month, int day, int item1, int sub1, int item2, int sub2, int amount,
                         int taxKind = 0) {
    return EntryRecord{2026, month, day, item1, sub1, item2, sub2, amount, taxKind};
}

enum class Windows { Alone, Together };

class EntryFormTest : public ::testing::Test {
protected:
    explicit EntryFormTest(Windows windows = Windows::Alone) : windows_(windows) {}

    void SetUp() override {
        platform.TodayDate = Date{2026, 7, 12};
        FillMasters(*ledger);
        ledger->EditDate = Date{2026, 7, 12};
        ledger->EditMonth = 7;
        ledger->EditMonthIndex = 6;
        ledger->WindowLayout[kLayoutEntryForm] = LayoutSlot{1, 40, 60, 483, 583};
        if (windows_ == Windows::Together) {
            main = std::make_unique<TForm1>(*ledger);
            main->init();
        } else {
            workspace.OnAllUpdate = [this] {
                RecomputeTotals(*ledger);
                if (form->RefillsWhileHidden() || !form->isHidden()) form->Refill();
            };
        }
        form = std::make_unique<TForm3>(*ledger, Space());
        form->move(40, 60);
        form->show();
        if (main) main->SetEntryForm(form.get());
    }

    // The main window when the test builds it, the fake otherwise.
    Workspace& Space() {
        if (main) return *main;
        return workspace;
    }

    // What a change elsewhere in the program asks of every window.
    void AllUpdate() { Space().AllUpdate(); }

    // Puts an entry into a slot of the month as a loaded ledger would hold it.
    void Put(int month, int slot, const EntryRecord& e, const char* shop = "",
             const char* memo = "") {
        ledger->EntryTable[month - 1][slot] = e;
        ledger->EntryTextTable[month - 1][slot] = EntryText{shop, memo};
        if (month == ledger->EditMonth) ledger->NextSlot = ledger->GetIndex(month);
    }

    void ClickStrip(int x) { QTest::mouseClick(form->tab1, Qt::LeftButton, {}, QPoint(x, 10)); }

    // Down arrow `times` in a pick-only list, as a user walks it with the keyboard.
    static void Walk(QComboBox* list, int times) {
        for (int i = 0; i < times; ++i) QTest::keyClick(list, Qt::Key_Down);
    }

    // Text as an input method commits it: QTest::keyClicks cannot send Japanese.
    static void TypeJapanese(QWidget* w, const QString& text) {
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, text, {});
    }

    // Selects all of an editable list's text and types over it.
    static void TypeOver(QComboBox* field, const QString& text) {
        QTest::keyClick(field->lineEdit(), Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty()) {
            QTest::keyClick(field->lineEdit(), Qt::Key_Delete);
        } else {
            TypeJapanese(field->lineEdit(), text);
        }
    }

    void TypeAmount(const char* digits) {
        NValEditFocus();
        QTest::keyClicks(form->NValEdit5, digits);
    }

    void NValEditFocus() {
        form->NValEdit5->setFocus();
        form->NValEdit5->selectAll();
    }

    void Write() { QTest::mouseClick(form->SPB5, Qt::LeftButton); }

    // The grid's cell under a row (0 = headings) and column, in viewport coordinates.
    QPoint CellPoint(int row, int column) const {
        return form->SG31->visualRect(form->SG31->model()->index(row - 1, column)).center();
    }

    void RightClickRow(int row) {
        QTest::mouseClick(form->SG31->viewport(), Qt::RightButton, {}, CellPoint(row, 1));
    }

    void ClickRow(int row) {
        QTest::mouseClick(form->SG31->viewport(), Qt::LeftButton, {}, CellPoint(row, 1));
    }

    // Picks an entry of the visible popup menu with the mouse.
    void ChooseFromMenu(QAction* action) {
        QMenu* menu = form->PopupMenu1;
        ASSERT_TRUE(menu->isVisible());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    }

    FakePlatform platform;
    std::unique_ptr<Ledger> ledger = std::make_unique<Ledger>();
    FakeWorkspace workspace;
    std::unique_ptr<TForm1> main;  // only for tests of the windows together
    std::unique_ptr<TForm3> form;  // declared after main: destroyed first

private:
    Windows windows_;
};

// The entry form with the real main window, for what the windows do together.
class EntryWindowsTest : public EntryFormTest {
protected:
    EntryWindowsTest() : EntryFormTest(Windows::Together) {}
};

}  // namespace kakeibo::test

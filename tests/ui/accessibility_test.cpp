// The windows by keyboard alone and as a screen reader is handed them (Qt's accessibility
// interfaces, read in the process; the events need the desktop's bridge, see
// tests/desktop/accessibility_tree_test.py): the entry form's tab strip, entry list and picture
// buttons, the data sheet's table and keys, the focus frame, and where the focus goes.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <cmath>
#include <vector>

#include "core/reports/sheets.h"
#include "entry_fixture.h"
#include "ui/controls/border_label.h"
#include "ui/controls/focus_frame.h"
#include "ui/controls/nval_label.h"
#include "ui/platform/focus_return.h"
#include "ui/sheet/data_sheet.h"

namespace kakeibo::test {
namespace {

QAccessibleInterface* Accessible(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

// What a reader calls a control: its name, else the text of a label that labels it.
QString ReadName(QWidget* widget) {
    QAccessibleInterface* a = Accessible(widget);
    const QString name = a->text(QAccessible::Name).trimmed();
    // A field or a list whose name is only what it holds has no name of its own.
    const bool holds = a->textInterface() != nullptr || a->valueInterface() != nullptr ||
                       a->role() == QAccessible::ComboBox;
    if (!name.isEmpty() && !(holds && name == a->text(QAccessible::Value).trimmed())) return name;
    for (const auto& [label, relation] : a->relations(QAccessible::Label)) {
        const QString text = label->text(QAccessible::Name).trimmed();
        if (!text.isEmpty()) return text;
    }
    return {};
}

QWidget* FocusedControl() {
    QWidget* focus = QApplication::focusWidget();
    // An editable list takes the focus in its line edit.
    if (focus != nullptr && qobject_cast<QComboBox*>(focus->parentWidget())) {
        focus = focus->parentWidget();
    }
    return focus;
}

using EntryKeysTest = EntryFormTest;

TEST_F(EntryKeysTest, ShiftTabReachesTheStripWhoseArrowsChooseTheTab) {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->ComboBox5->setFocus();
    QTest::keyClick(form->ComboBox5, Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_EQ(FocusedControl(), form->tab1);
    const struct {
        Qt::Key key;
        EntryTab tab;
        const char* firstCaption;
    } presses[] = {
        {Qt::Key_Right, EntryTab::Transfer, "　移動先口座項目　及び　細目"},
        {Qt::Key_Right, EntryTab::Income, "　口座項目　及び　細目"},
        {Qt::Key_Down, EntryTab::Budget, "　予算登録項目　及び　細目"},
        {Qt::Key_Right, EntryTab::Budget, "　予算登録項目　及び　細目"},
        {Qt::Key_Home, EntryTab::Expense, "　費用項目　及び　細目"},
        {Qt::Key_Left, EntryTab::Expense, "　費用項目　及び　細目"},
        {Qt::Key_End, EntryTab::Budget, "　予算登録項目　及び　細目"},
        {Qt::Key_Up, EntryTab::Income, "　口座項目　及び　細目"},
    };
    for (const auto& p : presses) {
        QTest::keyClick(form->tab1, p.key);
        EXPECT_EQ(form->CurrentTab(), p.tab) << p.key;
        EXPECT_EQ(form->tab1->Current(), static_cast<int>(p.tab));
        EXPECT_EQ(form->BorderLabel1->text(), QString::fromUtf8(p.firstCaption));
        EXPECT_EQ(FocusedControl(), form->tab1);
    }
    // Tab leaves the strip for the first list.
    QTest::keyClick(form->tab1, Qt::Key_Tab);
    EXPECT_EQ(FocusedControl(), form->ComboBox5);
}

TEST_F(EntryKeysTest, TheEntryListTakesTheFocusOpensItsMenuAndDeletesByKey) {
    for (int slot = 0; slot < 3; ++slot)
        Put(7, slot, Entry(7, 1 + slot, 2, 0, 0, 0, 100 * (slot + 1)));
    AllUpdate();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->Image2->setFocus();
    QTest::keyClick(form->Image2, Qt::Key_Tab);
    ASSERT_EQ(FocusedControl(), form->SG31);
    QTest::keyClick(form->SG31, Qt::Key_Down);
    EXPECT_EQ(form->EntryListCurrentRow(), 2);

    // The menu key and Shift+F10 open the menu under the current row; its keys act.
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
        QTest::keyClick(form->SG31, key, modifiers);
        EXPECT_TRUE(form->PopupMenu1->isVisible()) << key;
        const QRect row = form->SG31->visualRect(form->SG31->currentIndex());
        EXPECT_EQ(form->PopupMenu1->pos(), form->SG31->viewport()->mapToGlobal(row.bottomLeft()));
        QTest::keyClick(form->PopupMenu1, Qt::Key_Escape);
        EXPECT_FALSE(form->PopupMenu1->isVisible());
    }
    QTest::keyClick(form->SG31, Qt::Key_Menu);
    QTest::keyClick(form->PopupMenu1, Qt::Key_Down);
    QTest::keyClick(form->PopupMenu1, Qt::Key_Down);
    QTest::keyClick(form->PopupMenu1, Qt::Key_Return);
    EXPECT_EQ(form->Panel2->text(), QStringLiteral("　編集"));
    EXPECT_EQ(form->NValEdit5->Value(), 200);
    form->LeaveEditMode();

    // Delete asks first; キャンセル keeps the entry, OK deletes the current one.
    form->SG31->setFocus();
    for (const MessageButton answer : {CancelButton, OkButton}) {
        platform.Answers.push_back(answer);
        QTest::keyClick(form->SG31, Qt::Key_Delete);
        ASSERT_FALSE(platform.Boxes.empty());
        EXPECT_EQ(platform.Boxes.back().Text, QStringLiteral("7/2　食費　200円 を削除しますか？"));
    }
    EXPECT_EQ(platform.Boxes.size(), 2u);
    EXPECT_EQ(ledger->NextSlot, 2);
    EXPECT_EQ(ledger->EntryTable[6][1].Amount, 300);
}

TEST_F(EntryKeysTest, PictureButtonsAreReachedByTabAndPressedBySpaceOrEnter) {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    TypeAmount("1280");
    form->ComboBox2->setFocus();
    QTest::keyClick(FocusedControl(), Qt::Key_Tab);
    ASSERT_EQ(FocusedControl(), form->SPB5);
    QTest::keyClick(form->SPB5, Qt::Key_Space);
    QTest::qWait(200);  // a press by key shows the button down for a moment
    EXPECT_EQ(form->ReceiptTotal(), 1280);
    EXPECT_EQ(ledger->NextSlot, 1);

    QTest::keyClick(form->SPB5, Qt::Key_Tab);
    QTest::keyClick(FocusedControl(), Qt::Key_Tab);
    ASSERT_EQ(FocusedControl(), form->Image2);
    QTest::keyClick(form->Image2, Qt::Key_Return);
    QTest::qWait(200);
    EXPECT_EQ(form->ReceiptTotal(), 0);
    EXPECT_EQ(form->NValLabel1->Caption(), QStringLiteral("0"));
}

TEST_F(EntryKeysTest, EveryControlHasANameAndTheFiguresAreReadAndAnnounced) {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    for (EntryTab tab : {EntryTab::Expense, EntryTab::Budget}) {
        form->tab1->Choose(static_cast<int>(tab));
        for (QWidget* w : form->findChildren<QWidget*>()) {
            if (!w->isVisible() || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus) ||
                qobject_cast<QComboBox*>(w->parentWidget()) != nullptr) {
                continue;
            }
            EXPECT_FALSE(ReadName(w).isEmpty()) << w->objectName().toStdString();
        }
    }
    form->tab1->Choose(0);
    const struct {
        QWidget* control;
        const char* name;
    } names[] = {{form->ComboBox5, "費用項目 及び 細目"},
                 {form->ComboBox12, "細目"},
                 {form->NValEdit5, "金額"},
                 {form->ComboBox1, "お店の名前"},
                 {form->SPB5, "記入"},
                 {form->SPB6, "閉る"},
                 {form->Image2, "レシート合計を0円にします"},
                 {form->SG31, "今月の入力一覧"}};
    for (const auto& n : names) {
        EXPECT_EQ(ReadName(n.control).simplified(), QString::fromUtf8(n.name));
    }

    TypeAmount("1280");
    QTest::keyClick(form->NValEdit5, Qt::Key_Return);
    QAccessibleInterface* total = Accessible(form->NValLabel1);
    EXPECT_EQ(total->role(), QAccessible::StaticText);
    EXPECT_EQ(total->text(QAccessible::Name), QStringLiteral("レシート合計 1,280"));
    ASSERT_NE(total->valueInterface(), nullptr);
    EXPECT_EQ(total->valueInterface()->currentValue().toDouble(), 1280.0);
    EXPECT_EQ(Accessible(form->NValLabel2)->text(QAccessible::Name),
              QStringLiteral("お財布残金 -1,280"));
    // The strip: a list of four named tabs, the one in front selected; its press action chooses.
    QAccessibleInterface* strip = Accessible(form->tab1);
    EXPECT_EQ(strip->role(), QAccessible::PageTabList);
    QStringList tabs;
    for (int i = 0; i < strip->childCount(); ++i) {
        QAccessibleInterface* tab = strip->child(i);
        EXPECT_EQ(tab->role(), QAccessible::PageTab);
        EXPECT_EQ(strip->indexOfChild(tab), i);
        tabs << tab->text(QAccessible::Name) + (tab->state().selected ? "*" : "");
    }
    EXPECT_EQ(tabs, (QStringList{"費用*", "移動", "収入", "予算"}));
    strip->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(form->CurrentTab(), EntryTab::Income);
    EXPECT_TRUE(strip->child(2)->state().selected);
}

using EntryWindowsKeysTest = EntryWindowsTest;

TEST_F(EntryWindowsKeysTest, AWindowShownFromTheMenuTakesTheFocusAndEnterOpensTheSearch) {
    main->show();
    main->N13->trigger();
    ASSERT_FALSE(form->isVisible());
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    main->N13->trigger();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));

    // Walked onto 検索 from a menu, the focus is back in a field: Enter is the bar's.
    auto* find = main->findChild<QAction*>(QStringLiteral("Find1"));
    ASSERT_NE(find, nullptr);
    QSignalSpy searched(find, &QAction::triggered);
    form->NValEdit5->setFocus();
    main->menuBar()->setActiveAction(find);
    QTest::keyClick(form->NValEdit5, Qt::Key_Return);
    EXPECT_EQ(searched.count(), 1);
    EXPECT_EQ(ledger->NextSlot, 0) << "Enter wrote an entry as well";
    // With no entry of the bar current, Enter is the field's again.
    QTest::keyClick(form->NValEdit5, Qt::Key_Return);
    EXPECT_EQ(searched.count(), 1);
}

TEST(FocusReturn, ADialogGivesTheFocusBackToTheWindowItCameFrom) {
    QWidget from;
    auto* field = new QLineEdit(&from);
    auto* other = new QLineEdit(&from);
    other->move(0, 30);
    QWidget dialog;
    from.show();
    from.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&from));
    other->setFocus();
    {
        const FocusReturn back;
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        field->setFocus();  // a dialog's own doing must not decide where the focus lands
        dialog.hide();
    }
    EXPECT_TRUE(QTest::qWaitForWindowActive(&from));
    EXPECT_EQ(QApplication::focusWidget(), other);
}

class SheetKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillMasters(*ledger);
        ledger->EntryTable[6][0] = EntryRecord{2026, 7, 3, 2, 1, 0, 0, 1500, 0};
        ledger->BudgetTable[7][2] = 30000;
        ledger->EditDate = Date{2026, 7, 12};
        ledger->EditMonth = 7;
        ledger->WindowLayout[kLayoutDataSheet] = LayoutSlot{1, 30, 90, 520, 440};
        sheet = std::make_unique<TForm5>(*ledger, workspace, nullptr);
        sheet->FormCreate();
        grid = sheet->StringGrid1;
        sheet->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    }

    int RowOf(const QString& label) const {
        for (int r = 0; r < grid->rowCount(); ++r) {
            if (grid->item(r, 0) != nullptr && grid->item(r, 0)->text() == label) return r;
        }
        return -1;
    }

    FakePlatform platform;
    std::unique_ptr<Ledger> ledger = std::make_unique<Ledger>();
    FakeWorkspace workspace;
    std::unique_ptr<TForm5> sheet;
    QTableWidget* grid = nullptr;
};

TEST_F(SheetKeysTest, SpaceAndEnterOpenAndCloseAnItemAndTabLeavesTheGrid) {
    grid->setFocus();
    const struct {
        const char* at;  // the current cell's row, by its label
        int column;
        Qt::Key key;
        bool open;  // 食費 afterwards
    } presses[] = {
        {"+食費", 0, Qt::Key_Space, true},  {"-食費", 2, Qt::Key_Return, false},
        {"+食費", 3, Qt::Key_Enter, true},  {"　外食", 0, Qt::Key_Space, true},
        {"-食費", 0, Qt::Key_Space, false},
    };
    for (const auto& p : presses) {
        const int row = RowOf(QString::fromUtf8(p.at));
        ASSERT_GT(row, 0) << p.at;
        grid->setCurrentCell(row, p.column);
        QTest::keyClick(grid, p.key);
        EXPECT_EQ(sheet->State.ExpandedItems[ExpenseSheet][2], p.open) << p.at << " " << p.key;
        EXPECT_EQ(grid->currentRow(), row);
    }
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), grid);
    EXPECT_EQ(grid->currentRow(), RowOf(QStringLiteral("+食費")));
}

TEST_F(SheetKeysTest, TheTableCountsTheRowsShownWithItemNamesAsRowHeaders) {
    sheet->State.ExpandedItems[ExpenseSheet][2] = true;
    sheet->DrawCurrentSheet();
    QAccessibleInterface* table = Accessible(grid);
    EXPECT_EQ(table->role(), QAccessible::Table);
    EXPECT_EQ(table->text(QAccessible::Name), QStringLiteral("今月の支出"));
    QAccessibleTableInterface* t = table->tableInterface();
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->rowCount(), grid->rowCount() - 1);
    ASSERT_EQ(t->columnCount(), grid->columnCount());
    const struct {
        const char* label;  // as the grid shows it
        const char* read;
        QAccessible::Role role;
        bool expandable, expanded;
    } rows[] = {
        {"-食費", "食費", QAccessible::RowHeader, true, true},
        {"　外食", "外食", QAccessible::RowHeader, false, false},
        {"+日用品", "日用品", QAccessible::RowHeader, true, false},
    };
    for (const auto& r : rows) {
        const int row = RowOf(QString::fromUtf8(r.label)) - 1;  // the table has no headings row
        ASSERT_GE(row, 0) << r.label;
        QAccessibleInterface* name = t->cellAt(row, 0);
        EXPECT_EQ(name->text(QAccessible::Name), QString::fromUtf8(r.read));
        EXPECT_EQ(name->role(), r.role);
        EXPECT_EQ(name->state().expandable, r.expandable) << r.label;
        EXPECT_EQ(name->state().expanded, r.expanded) << r.label;
        EXPECT_EQ(name->state().collapsed, r.expandable && !r.expanded) << r.label;
        EXPECT_EQ(t->rowDescription(row), QString::fromUtf8(r.read));
        for (int c = 1; c < t->columnCount(); ++c) {
            QAccessibleInterface* cell = t->cellAt(row, c);
            const QString read = cell->text(QAccessible::Name);
            EXPECT_EQ(read, read.simplified()) << r.label << " column " << c;
            EXPECT_EQ(cell->tableCellInterface()->rowHeaderCells(), QList{name});
            EXPECT_EQ(cell->tableCellInterface()->rowIndex(), row);
            EXPECT_EQ(
                cell->tableCellInterface()->columnHeaderCells().value(0)->text(QAccessible::Name),
                grid->horizontalHeaderItem(c)->text().simplified());
            EXPECT_EQ(table->child(table->indexOfChild(cell)), cell);
        }
    }
    // The row of 食費 as the grid shows it, figures without their padding.
    const int food = RowOf(QStringLiteral("-食費")) - 1;
    EXPECT_EQ(t->cellAt(food, 2)->text(QAccessible::Name), QStringLiteral("1,500"));
    EXPECT_EQ(t->cellAt(food, 3)->text(QAccessible::Name), QStringLiteral("30,000"));

    // The current cell is the one a reader is in; the item's action flips it.
    grid->setFocus();
    grid->setCurrentCell(food + 1, 2);
    EXPECT_TRUE(t->cellAt(food, 2)->state().focused);
    EXPECT_TRUE(table->focusChild() == t->cellAt(food, 2));
    t->cellAt(food, 0)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(sheet->State.ExpandedItems[ExpenseSheet][2]);
    EXPECT_EQ(t->rowCount(), grid->rowCount() - 1);
}

// The contrast of two colours as the web's guidelines compute it.
double Contrast(QColor a, QColor b) {
    auto luminance = [](QColor c) {
        auto channel = [](double v) {
            v /= 255.0;
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
    };
    const double x = luminance(a) + 0.05;
    const double y = luminance(b) + 0.05;
    return std::max(x, y) / std::min(x, y);
}

TEST_F(SheetKeysTest, TheCurrentCellShowsAFrameThatStandsOutInEveryColumn) {
    grid->setFocus();
    for (int column : {0, 2}) {
        const int row = RowOf(QStringLiteral("+食費"));
        grid->setCurrentCell(row, column);
        const QRect cell = grid->visualItemRect(grid->item(row, column));
        const QImage shown = grid->viewport()->grab().toImage();
        const QColor frame = shown.pixelColor(cell.topLeft() + QPoint(cell.width() / 2, 0));
        const QColor inside = shown.pixelColor(cell.topLeft() + QPoint(cell.width() / 2, 3));
        EXPECT_GE(Contrast(frame, inside), 3.0) << "column " << column;
        grid->clearFocus();
        const QImage unfocused = grid->viewport()->grab().toImage();
        EXPECT_NE(unfocused.pixelColor(cell.topLeft() + QPoint(cell.width() / 2, 0)), frame);
        grid->setFocus();
    }
}

}  // namespace
}  // namespace kakeibo::test

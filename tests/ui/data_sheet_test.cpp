// The data sheet: its window, the choice of sheets, the grid's texts and the passbook account.
#include "ui/sheet/data_sheet.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>
#include <vector>

#include "ui/controls/picture_button.h"
#include "ui/main/csv_export.h"
#include "ui/main/main_window.h"
#include "ui/sheet/passbook_choice.h"
#include "ui/support/fake_platform.h"
#include "ui/support/fake_workspace.h"
#include "ui/support/screenshot.h"

namespace kakeibo::test {
namespace {

class DataSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* items[][2] = {{"現金", "0"}, {"銀行", "0"}, {"食費", "-1"}, {"給与", "1"}};
        const char* subs[][2] = {
            {"お財布", "小銭入れ"}, {"みずほ", "ゆうちょ"}, {"食料品", "外食"}, {"本給", ""}};
        for (int i = 0; i < 4; ++i) {
            ledger->ItemTable[i] = {items[i][0], items[i][1]};
            ledger->SubItemTable[i][0] = subs[i][0];
            ledger->SubItemTable[i][1] = subs[i][1];
        }
        ledger->SubItemTable[0][2] = "へそくり";
        ledger->BalanceTable[0][0][2] = ledger->BalanceTable[0][0][5] = 8000;
        ledger->EntryTable[6][0] = EntryRecord{2026, 7, 3, 2, 1, 0, 2, 1500, 0};
        ledger->EntryTextTable[6][0] = EntryText{"食堂", "昼食"};
        ledger->EntryTable[6][1] = EntryRecord{2026, 7, 1, 0, 0, 3, 0, 200000, 2};
        ledger->BudgetTable[7][2] = 30000;
        ledger->EditDate = Date{2026, 7, 12};
        ledger->EditMonth = 7;
        ledger->WindowLayout[kLayoutDataSheet] = LayoutSlot{1, 30, 90, 520, 440};
        sheet = std::make_unique<TForm5>(*ledger, workspace, &mainStrip);
        // A refill after a change redraws the sheet, as the main window's does.
        workspace.OnAllUpdate = [this] { sheet->Refill(); };
        mainStrip.setGeometry(0, 0, 800, 80);
        sheet->FormCreate();
    }

    // The grid's texts as the export reads them: every item of every row and column.
    std::vector<std::vector<QString>> GridTexts() const {
        const auto* grid = sheet->findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
        std::vector<std::vector<QString>> rows(grid->rowCount());
        for (int r = 0; r < grid->rowCount(); ++r) {
            for (int c = 0; c < grid->columnCount(); ++c) {
                const QTableWidgetItem* item = grid->item(r, c);
                rows[r].push_back(item != nullptr ? item->text() : QString());
            }
        }
        return rows;
    }

    QString Cell(int row, int column) const { return GridTexts().at(row).at(column); }

    QStringList Headings() const {
        QStringList texts;
        for (int c = 0; c < sheet->StringGrid1->columnCount(); ++c) {
            const QTableWidgetItem* item = sheet->StringGrid1->horizontalHeaderItem(c);
            texts << (item != nullptr ? item->text() : QString());
        }
        return texts;
    }

    // Shows a sheet as the user's pick in the list does, also the sheet already shown.
    void Show(int kind) {
        sheet->ComboBox1->setCurrentIndex(kind);
        emit sheet->ComboBox1->activated(kind);
    }

    // Picks a sheet with the keyboard as a user walks the list, from the end nearer to it:
    // a walk over 通帳記帳 asks for its account, and a cancelled choice steps back.
    void Pick(int kind) {
        QComboBox* list = sheet->ComboBox1;
        if (kind <= PassbookSheet) {
            QTest::keyClick(list, Qt::Key_Home);
            for (int i = 0; i < kind; ++i) QTest::keyClick(list, Qt::Key_Down);
        } else {
            QTest::keyClick(list, Qt::Key_End);
            for (int i = list->count() - 1; i > kind; --i) QTest::keyClick(list, Qt::Key_Up);
        }
        QCoreApplication::processEvents();
    }

    // The next passbook choice answers these positions and Ok (or Cancel); the grid's
    // headings while it asks are kept.
    void AnswerPassbook(int item, int sub, bool ok) {
        platform.PassbookAnswers.push_back(ok ? 10 + 10 * item + sub : 1);
        platform.WhilePassbookAsks = [this] { askedOver = Headings(); };
    }

    FakePlatform platform;
    std::unique_ptr<Ledger> ledger = std::make_unique<Ledger>();
    FakeWorkspace workspace;
    QWidget mainStrip;
    std::unique_ptr<TForm5> sheet;
    const int& asked = platform.PassbookAsks;
    QStringList askedOver;  // the grid's headings while the last passbook choice asked
};

TEST_F(DataSheetTest, OpensOnTheExpenseSheetAtItsSavedPlace) {
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->geometry(), QRect(30, 90, 440, 520));
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("データシート"));
    QStringList names;
    for (int i = 0; i < sheet->ComboBox1->count(); ++i) names << sheet->ComboBox1->itemText(i);
    EXPECT_EQ(names,
              QStringList({"今月の支出", "今月の収入", "口座残高", "科目日計表", "今月の収支",
                           "今月の詳細データ", "通帳記帳", "年間推移", "前年比較", "年別推移"}));
    // The headings stay in sight above the rows (the column widths and row heights are
    // checked by the presses and the gauges below).
    EXPECT_EQ(sheet->StringGrid1->horizontalHeaderItem(3)->text(), QStringLiteral("当月予算"));
    EXPECT_TRUE(sheet->StringGrid1->isRowHidden(0));

    // A hidden saved layout keeps the window hidden; a place off every screen (a damaged
    // rozed.ini) comes back onto the nearest one.
    ledger->WindowLayout[kLayoutDataSheet].Visible = 0;
    TForm5 hidden(*ledger, workspace);
    hidden.FormCreate();
    EXPECT_FALSE(hidden.isVisible());
    ledger->WindowLayout[kLayoutDataSheet] = LayoutSlot{1, -5000, 90, 520, 440};
    TForm5 lost(*ledger, workspace);
    lost.FormCreate();
    EXPECT_EQ(lost.geometry(), QRect(0, 90, 440, 520));
}

// A sheet the saved layout hides is made only when it is first needed, and then shows or
// exports what the sheet made at start (the fixture's) does.
TEST_F(DataSheetTest, AHiddenSheetIsMadeWhenFirstNeededAsTheOneMadeAtStart) {
    QTemporaryDir dir;
    const QString atStart = dir.filePath("at_start.csv");
    const QString made = dir.filePath("made.csv");
    platform.FileAnswers.push_back(atStart);
    ExportCsv(sheet->ShownTable(), ledger->DataDir);
    ledger->WindowLayout[kLayoutDataSheet].Visible = 0;
    platform.TodayDate = ledger->EditDate;  // the main window starts on today's month
    for (const char* need : {"N11", "N5"}) {
        TForm1 main(*ledger);
        main.init();
        int makings = 0;
        main.SetDataSheetMaker([&]() -> TSheetWindow* {
            ++makings;
            auto* made = new TForm5(*ledger, main, &main);
            made->FormCreate();
            return made;
        });
        EXPECT_EQ(main.findChild<TForm5*>(), nullptr) << need;
        EXPECT_FALSE(main.N11->isChecked()) << need;
        platform.FileAnswers = {made};
        main.findChild<QAction*>(need)->trigger();
        const auto* shown = main.findChild<TForm5*>();
        ASSERT_NE(shown, nullptr) << need;
        EXPECT_EQ(makings, 1) << need;
        EXPECT_EQ(shown->isVisible(), need == std::string("N11"));
        EXPECT_EQ(main.N11->isChecked(), need == std::string("N11"));
        EXPECT_EQ(shown->geometry(), sheet->geometry()) << need;
    }
    QFile first(atStart);
    QFile second(made);
    ASSERT_TRUE(first.open(QIODevice::ReadOnly) && second.open(QIODevice::ReadOnly));
    EXPECT_EQ(second.readAll(), first.readAll());
}

TEST_F(DataSheetTest, FollowsTheLedgerAndLeavesNothingOfALongerSheet) {
    Pick(DetailSheet);
    ASSERT_EQ(GridTexts().size(), 4u);
    EXPECT_EQ(Cell(1, 9), QStringLiteral("食堂"));
    // Deleting the first entry moves the second up; the refill shows it and nothing else.
    ledger->EntryTable[6][0] = ledger->EntryTable[6][1];
    ledger->EntryTextTable[6][0] = ledger->EntryTextTable[6][1];
    ledger->EntryTable[6][1] = EntryRecord{};
    ledger->EntryTextTable[6][1] = EntryText{};
    workspace.AllUpdate();
    const auto rows = GridTexts();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][7], QStringLiteral("   200,000"));
    EXPECT_EQ(rows[2], std::vector<QString>(11));
    // Every cell is the core's text; the 11 columns are back to 6 on the next sheet.
    Pick(ExpenseSheet);
    const auto expense = GridTexts();
    ASSERT_EQ(expense.size(), 31u);
    for (int r = 0; r < 31; ++r) {
        ASSERT_EQ(expense[r].size(), 6u);
        for (int c = 0; c < 6; ++c) {
            EXPECT_EQ(expense[r][c], QString::fromStdString(sheet->Grid().Cell(r, c)));
        }
    }
}

TEST_F(DataSheetTest, PassbookAsksForTheAccountEachTimeItIsChosenOnly) {
    AnswerPassbook(0, 2, true);  // 現金 / へそくり: code 12
    Pick(PassbookSheet);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(sheet->State.PassbookChoice, 12);
    EXPECT_EQ(GridTexts()[1], (std::vector<QString>{"", "", "", "現金", "へそくり", "前月繰越金額",
                                                    "", "", "     8,000"}));
    EXPECT_EQ(GridTexts()[2], (std::vector<QString>{"2026", "7", "3", "食費", "外食", "昼食",
                                                    "     1,500", "", "     6,500"}));

    // A refill after a change of the ledger keeps the account without asking.
    ledger->EntryTable[6][2] = EntryRecord{2026, 7, 9, 0, 2, 0, 0, 500, 2};
    workspace.AllUpdate();
    QCoreApplication::processEvents();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(GridTexts().size(), 4u);
    EXPECT_EQ(Cell(3, 8), QStringLiteral("     7,000"));

    // Another sheet and back asks again; the same sheet picked again asks too.
    Pick(AccountSheet);
    EXPECT_EQ(asked, 1);
    AnswerPassbook(1, 0, true);
    Pick(PassbookSheet);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(sheet->State.PassbookChoice, 20);
    EXPECT_EQ(Cell(1, 4), QStringLiteral("みずほ"));
    // A cancelled choice leaves the sheet as it was: the same account, or the sheet before
    // with the list back on it; while the dialog asks, the grid keeps that sheet's headings.
    AnswerPassbook(0, 0, false);
    sheet->ComboBox1->activated(PassbookSheet);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(sheet->State.PassbookChoice, 20);
    EXPECT_EQ(Cell(1, 4), QStringLiteral("みずほ"));
    Show(AccountSheet);
    const auto account = GridTexts();
    const QStringList headings = Headings();
    AnswerPassbook(0, 0, false);
    Show(PassbookSheet);
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(askedOver, headings);
    EXPECT_EQ(sheet->ComboBox1->currentIndex(), AccountSheet);
    EXPECT_EQ(GridTexts(), account);
    EXPECT_EQ(Headings(), headings);
}

TEST_F(DataSheetTest, AnExpansionSurvivesAChangeOfSheet) {
    // The click on an item row sets this flag and refills; here the flag is set directly.
    sheet->State.ExpandedItems[ExpenseSheet][2] = true;
    sheet->DrawCell(ExpenseSheet);
    const std::vector<QString> expanded = {"-食費", "　食料品", "　外食", "　", "　", "　"};
    for (int n = 0; n < 2; ++n) {
        ASSERT_EQ(GridTexts().size(), 36u);
        for (int r = 0; r < 6; ++r) EXPECT_EQ(Cell(1 + r, 0), expanded[r]) << n << "," << r;
        EXPECT_EQ(Cell(3, 2), QStringLiteral("     1,500"));
        EXPECT_EQ(sheet->State.SheetRowItems[ExpenseSheet][0], 2);
        Pick(DailySheet);
        EXPECT_EQ(Cell(3, 0), QStringLiteral("+食費"));
        EXPECT_EQ(sheet->StringGrid1->horizontalHeaderItem(7)->text(),
                  QStringLiteral("7月12日(日)"));
        Pick(ExpenseSheet);
    }
}

TEST_F(DataSheetTest, GridAndButtonsFollowEveryResize) {
    const QSize sizes[] = {{440, 520}, {600, 300}, {200, 120}, {1000, 700}};
    for (QSize size : sizes) {
        sheet->resize(size);
        const int w = size.width();
        const int h = size.height();
        EXPECT_EQ(sheet->StringGrid1->geometry(), QRect(8, 65, w - 16, h - 75)) << w << "x" << h;
        EXPECT_EQ(sheet->Image2->geometry(), QRect(w - 22, 8, 16, 16));
        EXPECT_EQ(sheet->Image3->geometry(), QRect(w - 39, 8, 16, 16));
        EXPECT_EQ(sheet->Image6->geometry(), QRect(456, 488, 16, 16));
    }
    // The right edge sizes the window by hand.
    sheet->resize(440, 520);
    QTest::mousePress(sheet.get(), Qt::LeftButton, {}, {437, 300});
    QMouseEvent move(QEvent::MouseMove, QPoint(497, 340), sheet->mapToGlobal(QPoint(497, 340)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(sheet.get(), &move);
    QTest::mouseRelease(sheet.get(), Qt::LeftButton, {}, {497, 340});
    EXPECT_EQ(sheet->size(), QSize(500, 520));
    EXPECT_EQ(sheet->StringGrid1->geometry(), QRect(8, 65, 484, 445));
}

TEST_F(DataSheetTest, MaximiseRestoreAndCloseButtons) {
    const int screenHeight = sheet->screen()->geometry().height();
    // The main window's outer height, its frame included where the system adds one.
    const int main = mainStrip.frameGeometry().height();
    const QImage maximise = sheet->Image3->Picture().toImage();
    const QImage restore = QPixmap(QStringLiteral(":/resources/window_restore.png")).toImage();
    QTest::mouseClick(sheet->Image3, Qt::LeftButton);
    EXPECT_TRUE(sheet->Maximised());
    EXPECT_EQ(sheet->y(), main + 1);
    EXPECT_EQ(sheet->height(), screenHeight - main - 50);
    EXPECT_EQ(sheet->width(), sheet->screen()->geometry().width());
    EXPECT_EQ(sheet->Image3->Picture().toImage(), restore);
    // Size requests while maximised keep the top and the height; the width follows.
    sheet->setGeometry(10, 300, 700, 200);
    EXPECT_EQ(sheet->geometry(), QRect(10, main + 1, 700, screenHeight - main - 50));

    QTest::mouseClick(sheet->Image3, Qt::LeftButton);
    EXPECT_FALSE(sheet->Maximised());
    EXPECT_EQ(sheet->geometry(), QRect(30, 90, 440, 520));
    EXPECT_EQ(sheet->Image3->Picture().toImage(), maximise);

    // The close button hides the sheet and tells the main window; hidden, it is still refilled.
    QTest::mouseClick(sheet->Image2, Qt::LeftButton);
    EXPECT_EQ(workspace.Reports, (std::vector<std::pair<QObject*, bool>>{{sheet.get(), true}}));
    EXPECT_FALSE(sheet->isVisible());
    ledger->EntryTable[6][2] = EntryRecord{2026, 7, 9, 2, 0, 0, 0, 500, 0};
    workspace.AllUpdate();
    EXPECT_EQ(Cell(1, 2), QStringLiteral("     2,000"));
}

TEST_F(DataSheetTest, Screenshots) {
    sheet->resize(700, 420);
    const QImage frame = sheet->grab().toImage();
    for (QPoint p : {QPoint(0, 0), QPoint(1, 200), QPoint(699, 419), QPoint(350, 418)}) {
        EXPECT_EQ(frame.pixelColor(p), QColor(0, 0, 128)) << p.x() << "," << p.y();
    }
    sheet->State.ExpandedItems[DailySheet][0] = true;
    // Every sheet shows its own headings and rows: no two pictures are alike.
    std::vector<QImage> shots;
    for (int kind = 0; kind < kSheetKindCount; ++kind) {
        if (kind == PassbookSheet) AnswerPassbook(0, 0, true);
        Pick(kind);
        shots.push_back(SaveScreenshot(*sheet, QStringLiteral("data_sheet_%1").arg(kind)));
        for (int earlier = 0; earlier < kind; ++earlier) {
            EXPECT_NE(shots[earlier], shots.back()) << earlier << " " << kind;
        }
    }
}

// What a cell of the grid shows: the blank left and right of its text, and whether the text
// is red or dark (the smoothed edges of its glyphs included).
struct Ink {
    int left = -1, right = -1;
    bool red = false, dark = false;
    bool operator==(const Ink&) const = default;
};
Ink InkOf(const TForm5& sheet, int row, int column) {
    const QImage rows = sheet.StringGrid1->viewport()->grab().toImage();
    const QRect cell = sheet.StringGrid1->visualItemRect(sheet.StringGrid1->item(row, column));
    Ink ink;
    for (int x = cell.left(); x <= cell.right(); ++x) {
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            const QColor c = rows.pixelColor(x, y);
            if (c == Qt::white) continue;
            if (ink.left < 0) ink.left = x - cell.left();
            ink.right = cell.right() - x;
            ink.red |= c.red() - std::max(c.green(), c.blue()) > 120;
            ink.dark |= std::max({c.red(), c.green(), c.blue()}) < 110;
        }
    }
    return ink;
}

TEST_F(DataSheetTest, GaugesUnderTheNamesAndNegativeFiguresInRed) {
    ledger->ItemTable[4] = {"雑費", "-1"};
    ledger->ItemTable[5] = {"交際費", "-1"};
    ledger->EntryTable[6][0].Amount = 30000;                          // 食費
    ledger->EntryTable[6][1].Amount = 15000;                          // 給与
    ledger->EntryTable[6][2] = {2026, 7, 5, 0, 0, 4, 0, 1234567, 0};  // money back from 雑費
    ledger->EntryTable[6][3] = {2026, 7, 6, 0, 0, 5, 0, 12, 0};       // and from 交際費
    ledger->BudgetTable[7][2] = ledger->BudgetTable[7][3] = 20000;
    ledger->BudgetTable[7][4] = 1000000;
    sheet->resize(700, 420);
    const QColor cyan(0, 255, 255), red(255, 0, 0), blue(0, 0, 255), fixed(255, 254, 232);
    const struct {
        int kind, row;
        std::vector<QColor> strip;  // 22 pixels below the row's top, at x = 0, 63, 64, 95, 96, 127
    } gauges[] = {
        {ExpenseSheet, 1, {red, red, cyan, cyan, cyan, cyan}},          // 30,000 of 20,000
        {ExpenseSheet, 2, {cyan, cyan, cyan, cyan, cyan, cyan}},        // below 0
        {ExpenseSheet, 3, {fixed, fixed, fixed, fixed, fixed, fixed}},  // budget 0
        {IncomeSheet, 1, {cyan, cyan, cyan, cyan, red, red}},           // 15,000 of 20,000
    };
    for (const auto& g : gauges) {
        Show(g.kind);
        const QImage rows = sheet->StringGrid1->viewport()->grab().toImage();
        std::vector<QColor> strip;
        for (int x : {0, 63, 64, 95, 96, 127}) strip.push_back(rows.pixelColor(x, g.row * 25 - 3));
        EXPECT_EQ(strip, g.strip) << g.kind << " row " << g.row;
    }
    Show(ExpenseSheet);
    SaveScreenshot(*sheet, QStringLiteral("data_sheet_gauges"));
    // "-1,234,567": 10 characters of 6 pixels, right-aligned, the same in every column.
    EXPECT_EQ(InkOf(*sheet, 2, 2), (Ink{20, 2, true, false}));
    EXPECT_EQ(InkOf(*sheet, 2, 5), (Ink{20, 2, true, false}));
    EXPECT_TRUE(InkOf(*sheet, 3, 2).red);  // -12
    const Ink rate = InkOf(*sheet, 2, 4);  // -123.46%
    EXPECT_TRUE(rate.dark && !rate.red);
    // A refill that changes only this month's figure redraws the gauge on the screen too.
    QCoreApplication::processEvents();
    ledger->EntryTable[6][0].Amount = 10000;
    workspace.AllUpdate();
    QCoreApplication::processEvents();
    const QImage screen = sheet->screen()->grabWindow(sheet->winId()).toImage();
    const QPoint strip = sheet->StringGrid1->viewport()->mapTo(sheet.get(), QPoint(63, 22));
    EXPECT_EQ(screen.pixelColor(strip), blue);
}

TEST_F(DataSheetTest, DetailSheetYearLeftEverythingElseRight) {
    sheet->resize(1400, 300);
    Pick(DetailSheet);
    for (int column = 0; column < 11; ++column) {
        const Ink ink = InkOf(*sheet, 1, column);
        const bool left = column == 0;
        EXPECT_EQ(ink.left <= 4, left) << column << " " << Cell(1, column).toStdString();
        EXPECT_EQ(ink.right <= 4, !left) << column;
    }
}

TEST_F(DataSheetTest, PressOnAnItemNameFlipsItsSubItems) {
    ledger->ItemTable[4] = {"日用品", "-1"};
    ledger->EntryTable[6][2] = {2026, 7, 10, 2, 0, 0, 0, 800, 0};  // 食費/食料品 on 7/10
    QTableWidget* grid = sheet->StringGrid1;
    const struct {
        int kind;
        std::vector<int> before;
        int row, x;  // row as the user sees it, 0 for the headings; x in the grid
        Qt::MouseButton button;
        std::vector<int> after;
        bool refilled;
    } presses[] = {
        {ExpenseSheet, {2}, 7, 40, Qt::LeftButton, {2, 4}, true},  // below the five of 食費
        {ExpenseSheet, {2, 4}, 1, 40, Qt::LeftButton, {4}, true},  // an open item folds again
        {ExpenseSheet, {}, 1, 128, Qt::RightButton, {2}, true},    // the column's grid line
        {ExpenseSheet, {}, 1, 129, Qt::LeftButton, {}, true},
        {ExpenseSheet, {}, 1, 333, Qt::LeftButton, {}, true},    // 当月予算
        {ExpenseSheet, {2}, 3, 40, Qt::LeftButton, {2}, false},  // a sub-item
        {ExpenseSheet, {}, 0, 40, Qt::LeftButton, {}, false},
        {AccountSheet, {}, 1, 40, Qt::LeftButton, {}, false},
        {YearSheet, {2}, 10, 40, Qt::LeftButton, {2, 3}, true},  // 給与, past the expense total
        {YearSheet, {}, 3, 40, Qt::LeftButton, {}, false},       // 費用合計
        {YearComparisonSheet, {}, 2, 40, Qt::LeftButton, {2}, true},
        {YearComparisonSheet, {}, 1, 40, Qt::LeftButton, {}, false},  // which ledger it compares
        {YearsSheet, {}, 2, 40, Qt::LeftButton, {2}, true},
        {YearsSheet, {}, 1, 40, Qt::LeftButton, {}, false},  // which ledgers it reads
        {DailySheet, {}, 3, 40, Qt::LeftButton, {2}, true},
    };
    for (const auto& p : presses) {
        sheet->HojyoInit();
        for (int item : p.before) sheet->State.ExpandedItems[p.kind][item] = true;
        Show(p.kind);
        ledger->ItemTable[2].Name = "食料";  // shows only when the sheet is refilled
        QWidget* target = p.row == 0 ? grid->horizontalHeader() : grid->viewport();
        QTest::mouseClick(target, p.button, {}, QPoint(p.x, std::max(p.row - 1, 0) * 25 + 12));
        std::vector<int> after;
        for (int i = 0; i < kItemCount; ++i) {
            if (sheet->State.ExpandedItems[p.kind][i]) after.push_back(i);
        }
        EXPECT_EQ(after, p.after) << p.kind << " row " << p.row << " x " << p.x;
        const QString label = Cell(p.kind == DailySheet                                    ? 3
                                   : p.kind == YearComparisonSheet || p.kind == YearsSheet ? 2
                                                                                           : 1,
                                   0);
        EXPECT_EQ(label.endsWith("食料"), p.refilled && p.kind != AccountSheet) << p.row;
        ledger->ItemTable[2].Name = "食費";
    }
    // 食費 of the daily table opened: five sub-item rows with their days (7/10 in column 5).
    for (int r = 4; r < 9; ++r) {
        const QString labels[] = {"  食料品", "  外食", "  ", "  ", "  "};
        EXPECT_EQ(GridTexts()[r][0] + GridTexts()[r][5],
                  labels[r - 4] + (r == 4 ? "       800" : "         0"));
    }
    // Scrolled down, a press on the top row flips the item shown there.
    grid->scrollToItem(grid->item(10, 0), QAbstractItemView::PositionAtTop);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(40, 12));
    EXPECT_EQ(Cell(10, 0), QStringLiteral("-日用品"));
}

TEST_F(DataSheetTest, ComparisonWithTheLedgerTheUserChoosesAsLastYears) {
    QTemporaryDir folder;
    const QString chosen = folder.filePath(QStringLiteral("2025.nbd"));
    QFile file(chosen);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("2025,7,1,2,0,0,0,1000,0,,\r\n");
    file.close();

    Pick(YearComparisonSheet);
    EXPECT_TRUE(sheet->Button1->isVisible());
    EXPECT_EQ(Cell(1, 0), QStringLiteral("データフォルダに2025年の家計簿がありません"));
    // The reason reads across the whole row.
    EXPECT_EQ(sheet->StringGrid1->columnSpan(1, 0), 5);

    platform.FileAnswers = {QString(), chosen};  // cancelled first: nothing changes
    QTest::mouseClick(sheet->Button1, Qt::LeftButton);
    EXPECT_FALSE(ledger->LedgerChanged);
    QTest::mouseClick(sheet->Button1, Qt::LeftButton);
    EXPECT_EQ(platform.FileDialogs.at(1).Options.Filter,
              QStringLiteral("家計簿データ(*.nbd)|*.nbd"));
    EXPECT_EQ(ledger->PreviousYearLedger, chosen.toStdString());
    EXPECT_TRUE(ledger->LedgerChanged);
    // What the export and the printing take is what the grid shows.
    const TextTable shown = sheet->ShownTable();
    EXPECT_EQ(shown[1][0] + shown[2][2], "前年の家計簿：2025.nbd（2025年）     1,000");

    Pick(YearSheet);
    EXPECT_FALSE(sheet->Button1->isVisible());
    EXPECT_EQ(sheet->StringGrid1->columnSpan(1, 0), 1);
    EXPECT_EQ(Cell(1, 7), QStringLiteral("     1,500"));  // 食費 in July
}

TEST_F(DataSheetTest, YearsSheetHasAColumnPerYearAndSeesALedgerSavedSince) {
    QTemporaryDir folder;
    ledger->DataDir = folder.path().toStdString() + "/";
    ledger->LedgerName = "2026";
    const QString last = folder.filePath(QStringLiteral("2025.nbd"));
    auto write = [&](const QByteArray& bytes) {
        QFile file(last);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write("2025,3,1,2,0,0,0,1000,0,,\r\n");

    Pick(YearsSheet);
    EXPECT_EQ(Headings(), QStringList({"", "2025年", "2026年", "平均"}));
    for (int c = 1; c < 4; ++c) EXPECT_EQ(sheet->StringGrid1->columnWidth(c), 83) << c;
    EXPECT_EQ(sheet->StringGrid1->columnSpan(1, 0), 4);
    EXPECT_EQ(Cell(1, 0), QStringLiteral("2025年〜2026年の家計簿"));
    const std::vector<QString> food = {"+食費", "     1,000", "     1,500", "     1,000"};
    EXPECT_EQ(GridTexts().at(2), food);

    // A ledger of 2025 saved again is read again at the next refill; the CSV and the print
    // take what is shown.
    write("2025,3,1,2,0,0,0,1000,0,,\r\n2025,4,1,2,0,0,0,20000,0,,\r\n");
    workspace.AllUpdate();
    EXPECT_EQ(Cell(2, 1), QStringLiteral("    21,000"));
    const TextTable shown = sheet->ShownTable();
    EXPECT_EQ(shown[0][3] + shown[2][1] + shown[2][3], "平均    21,000    21,000");
}

// The dialog's lists, its place and its codes: Ok reports the chosen account, Escape cancels.
TEST(PassbookChoice, ListsTheAccountsOkReportsTheChoiceEscapeCancels) {
    FakePlatform platform;
    auto ledger = std::make_unique<Ledger>();
    ledger->ItemTable[0].Name = "現金";
    ledger->ItemTable[1].Name = "銀行";
    ledger->SubItemTable[0] = {"お財布", "", "へそくり", "", ""};
    ledger->SubItemTable[1] = {"みずほ", "ゆうちょ", "", "", ""};
    const auto items = [](const QComboBox* list) {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
        return texts;
    };

    TFormkoza cancelled(*ledger, nullptr);
    cancelled.show();
    EXPECT_EQ(QRect(cancelled.ComboBox1->geometry().topLeft(), cancelled.size()),
              QRect(160, 16, 463, 90));
    EXPECT_EQ(items(cancelled.ComboBox1), QStringList({"現金", "銀行"}));
    QTest::keyClick(cancelled.ComboBox2, Qt::Key_Down);
    EXPECT_EQ(items(cancelled.ComboBox2), QStringList({"お財布", "", "へそくり", "", ""}));
    QTest::keyClick(&cancelled, Qt::Key_Escape);
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_EQ(cancelled.Code(), 1);

    TFormkoza chosen(*ledger, nullptr);
    chosen.show();
    QTest::keyClick(chosen.ComboBox1, Qt::Key_Down);
    EXPECT_EQ(items(chosen.ComboBox2), QStringList({"みずほ", "ゆうちょ", "", "", ""}));
    QTest::keyClick(chosen.ComboBox2, Qt::Key_Down);
    QTest::mouseClick(chosen.Button1, Qt::LeftButton);
    EXPECT_EQ(chosen.result(), QDialog::Accepted);
    EXPECT_EQ(chosen.Code(), 21);  // 銀行 / ゆうちょ
}

}  // namespace
}  // namespace kakeibo::test

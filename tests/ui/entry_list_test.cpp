// The entry form's month list with its delete and edit commands, and the budgets.
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

#include "core/ledger/budgets.h"
#include "entry_fixture.h"
#include "ui/controls/nval_label.h"

namespace kakeibo::test {
namespace {

class EntryListTest : public EntryFormTest {
protected:
    explicit EntryListTest(Windows windows = Windows::Alone) : EntryFormTest(windows) {}

    // Three July entries and one in August, as a loaded ledger holds them.
    void PutThree() {
        Put(7, 0, Entry(7, 1, 2, 0, 0, 0, 1000), "八百屋", "野菜");
        Put(7, 1, Entry(7, 2, 3, 1, 1, 0, 2000), "薬局", "");
        Put(7, 2, Entry(7, 3, 0, 0, 5, 0, 300000, 2), "会社", "給料日");
        Put(8, 0, Entry(8, 1, 2, 1, 0, 0, 777), "食堂", "八月");
        ledger->BalanceTable[0][0][0] = 50000;
        ledger->BalanceTable[0][0][kTotalColumn] = 50000;
        AllUpdate();
    }

    QStringList Row(int row) const {
        QStringList cells;
        for (int c = 0; c < 8; ++c) cells << form->EntryListCell(row, c);
        return cells;
    }

    void AnswerDelete(MessageButton answer) {
        platform.Answers.push_back(answer);
        ChooseFromMenu(form->Delete1);
    }
};

// An edit moves the main window's date to the entry's day; closing is the main window's.
class EntryListWindowsTest : public EntryListTest {
protected:
    EntryListWindowsTest() : EntryListTest(Windows::Together) {}
};

TEST_F(EntryListTest, AnEmptyMonthShowsTheHeadingsAndOneSpareRow) {
    EXPECT_EQ(form->EntryListRowCount(), 2);
    EXPECT_EQ(Row(0), (QStringList{"日", "お店の名前等", "項　目1", "細　目1", "項　目2", "細　目2",
                                   "金　額", "メ　モ"}));
    EXPECT_EQ(Row(1), QStringList(8, QString()));
    const int widths[] = {32, 128, 128, 128, 128, 128, 64, 340};
    for (int c = 0; c < 8; ++c) EXPECT_EQ(form->SG31->columnWidth(c), widths[c]) << c;
    EXPECT_EQ(form->SG31->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    EXPECT_EQ(form->SG31->selectionMode(), QAbstractItemView::ContiguousSelection);
    EXPECT_EQ(form->SelectedSlot(), 0);
    const QImage list = form->SG31->grab().toImage();
    EXPECT_EQ(list.pixelColor(26, 4), QColor(254, 250, 233));  // the heading row
    EXPECT_EQ(list.pixelColor(100, 30), QColor(Qt::white));
}

TEST_F(EntryListTest, TheListShowsTheMonthsEntriesAsStored) {
    PutThree();
    EXPECT_EQ(form->EntryListRowCount(), 5);
    EXPECT_EQ(Row(1),
              (QStringList{"1", "八百屋", "食費", "食料品", "現金", "お財布", "1,000", "野菜"}));
    EXPECT_EQ(Row(3),
              (QStringList{"3", "会社", "現金", "お財布", "給与", "本給", "300,000", "給料日"}));
    EXPECT_EQ(Row(4), QStringList(8, QString()));
    EXPECT_EQ(form->NValLabel2->Caption(), QStringLiteral("349,000"));
}

TEST_F(EntryListTest, TheListShowsTheMonthAsLastFilledUntilItIsFilledAgain) {
    PutThree();
    ClickRow(2);
    ledger->ItemTable[3].Name = "雑貨";
    ledger->EntryTextTable[6][1].Shop = "ドラッグストア";
    ledger->NextSlot = 1;
    EXPECT_EQ(Row(2), (QStringList{"2", "薬局", "日用品", "紙類", "銀行", "みずほ", "2,000", ""}));
    ledger->NextSlot = 3;
    form->DrawCell();
    EXPECT_EQ(Row(2),
              (QStringList{"2", "ドラッグストア", "雑貨", "紙類", "銀行", "みずほ", "2,000", ""}));
    EXPECT_EQ(form->EntryListCurrentRow(), 2);
}

TEST_F(EntryListTest, DeletingTheFirstOfThreeMovesTheOthersUp) {
    PutThree();
    ClickRow(1);
    RightClickRow(1);
    AnswerDelete(OkButton);

    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Type, FakePlatform::BoxType::Typed);
    EXPECT_EQ(platform.Boxes[0].Kind, MessageKind::Information);
    EXPECT_EQ(platform.Boxes[0].Text, QStringLiteral("7/1　八百屋　1,000円 を削除しますか？"));
    EXPECT_EQ(platform.Boxes[0].Buttons, OkButton | CancelButton);
    EXPECT_EQ(ledger->NextSlot, 2);
    EXPECT_EQ(ledger->EntryTable[6][0], Entry(7, 2, 3, 1, 1, 0, 2000));
    EXPECT_EQ(ledger->EntryTextTable[6][0], (EntryText{"薬局", ""}));
    EXPECT_EQ(ledger->EntryTable[6][1], Entry(7, 3, 0, 0, 5, 0, 300000, 2));
    EXPECT_EQ(ledger->EntryTable[6][2], EntryRecord{});
    EXPECT_EQ(ledger->EntryTable[7][0], Entry(8, 1, 2, 1, 0, 0, 777));
    EXPECT_EQ(ledger->EntryTextTable[7][0], (EntryText{"食堂", "八月"}));
    EXPECT_TRUE(ledger->LedgerChanged);
    EXPECT_EQ(form->EntryListRowCount(), 4);
    EXPECT_EQ(Row(1), (QStringList{"2", "薬局", "日用品", "紙類", "銀行", "みずほ", "2,000", ""}));
    EXPECT_EQ(Row(2).at(1), QStringLiteral("会社"));
    // The current row stays, now on the entry that followed; the wallet lost its 1,000 expense.
    EXPECT_EQ(form->EntryListCurrentRow(), 1);
    EXPECT_EQ(form->NValLabel2->Caption(), QStringLiteral("350,000"));
}

// The question names the entry the click chose: its date, its shop (or, without one, its
// first item) and its amount.
TEST_F(EntryListTest, TheDeleteQuestionNamesTheClickedEntry) {
    Put(7, 0, Entry(7, 15, 2, 0, 0, 0, 298), "セブンイレブン");
    Put(7, 1, Entry(7, 2, 3, 1, 1, 0, 12345), "");
    Put(7, 2, Entry(7, 31, 0, 0, 5, 0, 300000, 2), "会社");
    AllUpdate();
    const struct {
        int row;
        const char* question;
    } rows[] = {
        {1, "7/15　セブンイレブン　298円 を削除しますか？"},
        {2, "7/2　日用品　12,345円 を削除しますか？"},
        {3, "7/31　会社　300,000円 を削除しますか？"},
        {4, "削除してよろしいですか？"},  // the spare row
    };
    ClickRow(1);
    for (const auto& row : rows) {
        platform.Boxes.clear();
        RightClickRow(row.row);  // not the current row: the click makes it current
        AnswerDelete(CancelButton);
        ASSERT_EQ(platform.Boxes.size(), 1u) << row.row;
        EXPECT_EQ(platform.Boxes[0].Text, QString::fromUtf8(row.question)) << row.row;
    }
    EXPECT_EQ(ledger->NextSlot, 3);
}

// The user's order and widths of the columns come from the ledger's settings, and every move
// or resize goes back into them; amounts read with separators, right-aligned.
TEST_F(EntryListTest, ColumnsMoveAndResizeAsTheUserLeftThemAndAmountsReadRightAligned) {
    Put(7, 0, Entry(7, 1, 2, 0, 0, 0, 1234567), "八百屋");
    AllUpdate();
    EXPECT_EQ(ledger->EntryListColumns, DefaultListColumns());
    auto* headings = form->SG31->horizontalHeader();
    EXPECT_TRUE(headings->sectionsMovable());
    // The amount beside the shop, as a user drags it there, then widened.
    headings->moveSection(6, 2);
    headings->resizeSection(6, 90);
    ListColumns moved = {
        {{0, 32}, {1, 128}, {6, 90}, {2, 128}, {3, 128}, {4, 128}, {5, 128}, {7, 340}}};
    EXPECT_EQ(ledger->EntryListColumns, moved);
    const QRect amount = form->SG31->visualRect(form->SG31->model()->index(0, 6));
    EXPECT_EQ(amount.left(), 32 + 128);
    EXPECT_EQ(form->EntryListCell(1, 6), QStringLiteral("1,234,567"));
    // The figure's last digit stands at the cell's right edge.
    const QImage list = form->SG31->viewport()->grab().toImage();
    int rightmostInk = -1;
    for (int x = amount.left(); x < amount.right(); ++x) {
        for (int y = amount.top() + 2; y < amount.bottom() - 1; ++y) {
            if (list.pixelColor(x, y).lightness() < 128) rightmostInk = x;
        }
    }
    EXPECT_GT(rightmostInk, amount.right() - 10);

    // A form made over these settings shows the columns as they were left.
    TForm3 again(*ledger, Space());
    again.show();
    auto* restored = again.SG31->horizontalHeader();
    for (int place = 0; place < kListColumnCount; ++place) {
        EXPECT_EQ(restored->logicalIndex(place), moved[place].Column) << place;
        EXPECT_EQ(restored->sectionSize(moved[place].Column), moved[place].Width) << place;
    }
}

TEST_F(EntryListTest, CancelledDeleteChangesNothing) {
    PutThree();
    ClickRow(2);
    RightClickRow(2);
    AnswerDelete(CancelButton);
    EXPECT_EQ(ledger->NextSlot, 3);
    EXPECT_EQ(ledger->EntryTable[6][1], Entry(7, 2, 3, 1, 1, 0, 2000));
    EXPECT_FALSE(ledger->LedgerChanged);
    EXPECT_EQ(form->EntryListRowCount(), 5);
}

TEST_F(EntryListTest, DeletingTheLastEntryOfAFullMonthEmptiesSlot999) {
    for (int s = 0; s < kSlotCount; ++s) {
        ledger->EntryTable[6][s] = Entry(7, 1 + s % 28, 2, 0, 0, 0, s + 1);
        ledger->EntryTextTable[6][s] = EntryText{"店", "メモ"};
    }
    ledger->NextSlot = kSlotCount;
    AllUpdate();
    EXPECT_EQ(form->EntryListRowCount(), 1002);
    form->SG31->scrollToBottom();
    ClickRow(1000);
    RightClickRow(1000);
    AnswerDelete(OkButton);
    EXPECT_EQ(ledger->NextSlot, 999);
    EXPECT_EQ(ledger->EntryTable[6][999], EntryRecord{});
    EXPECT_EQ(ledger->EntryTextTable[6][999], EntryText{});
    EXPECT_EQ(ledger->EntryTable[6][998].Amount, 999);
    EXPECT_EQ(form->EntryListRowCount(), 1001);
}

TEST_F(EntryListTest, CommandsOnTheSpareRowChangeNothing) {
    PutThree();
    ClickRow(4);
    EXPECT_EQ(form->SelectedSlot(), 3);
    RightClickRow(4);
    AnswerDelete(OkButton);
    EXPECT_EQ(ledger->NextSlot, 3);
    EXPECT_FALSE(ledger->LedgerChanged);
    EXPECT_EQ(ledger->EntryTable[6][2], Entry(7, 3, 0, 0, 5, 0, 300000, 2));

    RightClickRow(4);
    ChooseFromMenu(form->Edit1);
    EXPECT_EQ(ledger->RowEditMode, 0);
    EXPECT_EQ(form->Panel2->text(), QStringLiteral("　入力"));
    EXPECT_EQ(form->NValEdit5->text(), QStringLiteral("0"));
}

TEST_F(EntryListTest, TheMenuOpensBesideThePointerForTheRowClicked) {
    PutThree();
    for (int s = 3; s < 8; ++s) Put(7, s, Entry(7, 10 + s, 2, 2, 0, 1, 100 * s), "店");
    AllUpdate();
    ClickRow(3);
    const QPoint at = CellPoint(7, 1);
    QTest::mouseClick(form->SG31->viewport(), Qt::RightButton, {}, at);
    const QPoint inGrid = form->SG31->viewport()->mapTo(form->SG31, at);
    EXPECT_TRUE(form->PopupMenu1->isVisible());
    EXPECT_EQ(form->PopupMenu1->pos(), form->pos() + inGrid + QPoint(10, 30));
    EXPECT_EQ(form->EntryListCurrentRow(), 7);
    EXPECT_EQ(form->PopupMenu1->actions().size(), 3);
    EXPECT_EQ(form->Delete1->text(), QStringLiteral("削除"));
    EXPECT_EQ(form->Edit1->text(), QStringLiteral("編集"));
    EXPECT_EQ(form->Teiki1->text(), QStringLiteral("定期入出金に登録"));

    ChooseFromMenu(form->Edit1);
    EXPECT_EQ(form->NValEdit5->text(), QStringLiteral("600"));
    EXPECT_EQ(form->ComboBox1->currentText(), QStringLiteral("店"));
}

TEST_F(EntryListWindowsTest, EditingAnExpenseFromTheBankSelectsBothSides) {
    PutThree();
    ClickStrip(235);  // the income tab: the edit switches back to the expense tab
    ClickRow(2);
    RightClickRow(2);
    ChooseFromMenu(form->Edit1);

    EXPECT_EQ(ledger->RowEditMode, 1);
    EXPECT_EQ(form->Panel2->text(), QStringLiteral("　編集"));
    EXPECT_EQ(form->CurrentTab(), EntryTab::Expense);
    EXPECT_EQ(form->tab1->Surface().toImage().pixelColor(8, 15), QColor(229, 229, 229));
    EXPECT_EQ(form->ComboBox5->currentText(), QStringLiteral("日用品"));
    EXPECT_EQ(form->ComboBox12->currentText(), QStringLiteral("紙類"));
    EXPECT_EQ(form->ComboBox3->currentText(), QStringLiteral("銀行"));
    EXPECT_EQ(form->ComboBox4->currentText(), QStringLiteral("みずほ"));
    EXPECT_TRUE(form->RadioButton1->isChecked());
    EXPECT_EQ(form->NValEdit5->text(), QStringLiteral("2,000"));
    EXPECT_EQ(form->ComboBox1->currentText(), QStringLiteral("薬局"));
    EXPECT_EQ(form->ComboBox2->currentText(), QString());
    EXPECT_EQ(ledger->EditDate, (Date{2026, 7, 2}));
    EXPECT_EQ(main->ComboBox2->currentIndex(), 1);
    EXPECT_EQ(main->ComboBox1->currentIndex(), 6);
    EXPECT_EQ(main->ComboBox3->currentText(), QStringLiteral("2026"));
}

TEST_F(EntryListWindowsTest, AnUnchangedEditWriteKeepsTheEntrysDayAndCountsNothing) {
    Put(7, 0, Entry(7, 5, 2, 2, 1, 1, 4321, 1), "パン屋", "朝食");
    Put(7, 1, Entry(7, 6, 3, 0, 0, 0, 100), "", "");
    main->SelectDate(Date{2026, 7, 12});
    ClickRow(1);
    RightClickRow(1);
    ChooseFromMenu(form->Edit1);
    EXPECT_EQ(ledger->EditDate, (Date{2026, 7, 5}));
    EXPECT_TRUE(form->RadioButton2->isChecked());
    Write();

    EXPECT_EQ(ledger->EntryTable[6][0], Entry(7, 5, 2, 2, 1, 1, 4321, 1));
    EXPECT_EQ(ledger->EntryTextTable[6][0], (EntryText{"パン屋", "朝食"}));
    EXPECT_EQ(ledger->NextSlot, 2);
    EXPECT_EQ(form->ReceiptTotal(), 0);
    EXPECT_EQ(form->EntryListRowCount(), 4);
    EXPECT_EQ(form->EntryListCurrentRow(), 1);
    EXPECT_EQ(ledger->RowEditMode, 0);
    EXPECT_EQ(form->Panel2->text(), QStringLiteral("　入力"));
    EXPECT_TRUE(ledger->LedgerChanged);

    // A changed amount overwrites the same slot.
    RightClickRow(1);
    ChooseFromMenu(form->Edit1);
    TypeAmount("5000");
    Write();
    EXPECT_EQ(ledger->EntryTable[6][0].Amount, 5000);
    EXPECT_EQ(ledger->EntryTable[6][1], Entry(7, 6, 3, 0, 0, 0, 100));
    EXPECT_EQ(ledger->NextSlot, 2);
}

TEST_F(EntryListWindowsTest, AnEditWrittenWhileTheSpareRowIsCurrentBecomesANewEntry) {
    PutThree();
    ClickRow(1);
    RightClickRow(1);
    ChooseFromMenu(form->Edit1);
    ClickRow(4);
    Write();
    EXPECT_EQ(ledger->NextSlot, 4);
    EXPECT_EQ(ledger->EntryTable[6][3], Entry(7, 1, 2, 0, 0, 0, 1000));
    EXPECT_EQ(ledger->EntryTable[6][0], Entry(7, 1, 2, 0, 0, 0, 1000));
    EXPECT_EQ(form->EntryListRowCount(), 6);
    EXPECT_EQ(form->ReceiptTotal(), 1000);
    EXPECT_EQ(ledger->RowEditMode, 0);
}

TEST_F(EntryListWindowsTest, ChangesAskToBeSavedWhenTheProgramCloses) {
    PutThree();
    ClickRow(3);
    RightClickRow(3);
    AnswerDelete(OkButton);
    platform.Boxes.clear();
    platform.Answers.push_back(CancelButton);
    EXPECT_FALSE(main->close());
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Text, QStringLiteral("編集したデータがあります。保存しますか？"));
}

class BudgetTest : public EntryFormTest {
protected:
    explicit BudgetTest(Windows windows = Windows::Alone) : EntryFormTest(windows) {}

    void SetUp() override {
        EntryFormTest::SetUp();
        ClickStrip(250);
    }

    void Register(int item, const char* typed) {
        form->ComboBox5->setFocus();
        while (form->ComboBox5->currentIndex() > item) QTest::keyClick(form->ComboBox5, Qt::Key_Up);
        Walk(form->ComboBox5, item - form->ComboBox5->currentIndex());
        TypeAmount(typed);
        QTest::mouseClick(form->Button2, Qt::LeftButton);
    }

    void Copy() { QTest::mouseClick(form->Button1, Qt::LeftButton); }

    void SetRow(int row, std::initializer_list<std::pair<int, int32_t>> budgets) {
        for (auto [item, value] : budgets) ledger->BudgetTable[row][item] = value;
    }
};

// January is reached through the main window's date.
class BudgetWindowsTest : public BudgetTest {
protected:
    BudgetWindowsTest() : BudgetTest(Windows::Together) {}
};

TEST_F(BudgetTest, ABudgetTypedWithSeparatorsIsStoredAndConfirmedAsTyped) {
    Register(2, "20000");
    EXPECT_EQ(ledger->BudgetTable[7][2], 20000);
    EXPECT_TRUE(ledger->LedgerChanged);
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Type, FakePlatform::BoxType::Plain);
    EXPECT_EQ(platform.Boxes[0].Text, QStringLiteral("食費の予算を\r　20,000円に設定しました。"));
    EXPECT_EQ(form->NValEdit5->text(), QStringLiteral("0"));

    // Any whole number is taken: 0 clears, negatives stand.
    Register(2, "0");
    EXPECT_EQ(ledger->BudgetTable[7][2], 0);
    Register(5, "-300");
    EXPECT_EQ(ledger->BudgetTable[7][5], -300);
    EXPECT_EQ(platform.Boxes.back().Text, QStringLiteral("給与の予算を\r　-300円に設定しました。"));
    EXPECT_EQ(ledger->BudgetTable[6][2], 0);
}

TEST_F(BudgetTest, ABudgetWithDecimalsIsNotANumber) {
    Register(3, "12.5");
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Type, FakePlatform::BoxType::Error);
    EXPECT_EQ(platform.Boxes[0].Text, QStringLiteral("'12.5' は数値ではありません."));
    EXPECT_EQ(ledger->BudgetTable[7][3], 0);
    EXPECT_FALSE(ledger->LedgerChanged);
    EXPECT_EQ(form->NValEdit5->text(), QStringLiteral("12.5"));
}

TEST_F(BudgetTest, CopyIntoAnEmptyMonthAsksNothing) {
    SetRow(6, {{2, 30000}, {3, 5000}});
    Copy();
    EXPECT_TRUE(platform.Boxes.empty());
    EXPECT_EQ(ledger->BudgetTable[7], ledger->BudgetTable[6]);
    EXPECT_TRUE(ledger->LedgerChanged);
}

TEST_F(BudgetWindowsTest, JanuaryCopiesRowZero) {
    main->SelectDate(Date{2026, 1, 10});
    SetRow(0, {{2, 111}});
    SetRow(1, {{3, 222}});
    platform.Answers = {YesButton, AllButton};
    Copy();
    EXPECT_EQ(platform.Boxes.size(), 2u);
    EXPECT_EQ(ledger->BudgetTable[1][2], 111);
    EXPECT_EQ(ledger->BudgetTable[1][3], 0);

    // With zeros in row 0 the all-budgets mode clears every January budget.
    SetRow(0, {{2, 0}});
    platform.Answers = {YesButton, AllButton};
    Copy();
    EXPECT_EQ(ledger->BudgetTable[1], ledger->BudgetTable[0]);
    EXPECT_FALSE(MonthHasBudget(*ledger, 1));
}

TEST_F(BudgetTest, CopyOverExistingBudgetsAsksTwiceAndKnowsBothModes) {
    SetRow(6, {{2, 30000}, {3, 5000}, {4, 700}});
    SetRow(7, {{2, 99}, {5, 1}});

    platform.Answers = {NoButton};
    Copy();
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Kind, MessageKind::Information);
    EXPECT_EQ(platform.Boxes[0].Text,
              QStringLiteral("今月の予算データがあります。\r上書きしますか？"));
    EXPECT_EQ(platform.Boxes[0].Buttons, YesButton | NoButton);
    EXPECT_EQ(ledger->BudgetTable[7][2], 99);
    EXPECT_FALSE(ledger->LedgerChanged);

    platform.Boxes.clear();
    platform.Answers = {YesButton, YesButton};  // only the empty ones
    Copy();
    ASSERT_EQ(platform.Boxes.size(), 2u);
    EXPECT_EQ(platform.Boxes[1].Text, QStringLiteral("今月予算が０円の物だけ上書き？"));
    EXPECT_EQ(platform.Boxes[1].Buttons, YesButton | AllButton);
    EXPECT_EQ(ledger->BudgetTable[7][2], 99);
    EXPECT_EQ(ledger->BudgetTable[7][3], 5000);
    EXPECT_EQ(ledger->BudgetTable[7][4], 700);
    EXPECT_EQ(ledger->BudgetTable[7][5], 1);
    EXPECT_TRUE(ledger->LedgerChanged);

    platform.Answers = {YesButton, AllButton};
    Copy();
    EXPECT_EQ(ledger->BudgetTable[7], ledger->BudgetTable[6]);

    // Closing the second box otherwise also copies everything.
    SetRow(7, {{2, 1}});
    platform.Answers = {YesButton, BoxClosed};
    Copy();
    EXPECT_EQ(ledger->BudgetTable[7][2], 30000);
}

}  // namespace
}  // namespace kakeibo::test

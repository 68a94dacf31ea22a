// The recurring entries: the entry form's due button and the list editor.
#include "core/money_in/recurring.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "core/ledger/change.h"
#include "core/sjis.h"
#include "entry_fixture.h"
#include "ui/recurring/recurring_form.h"
#include "ui/support/screenshot.h"
#include "ui/window/workspace.h"

namespace kakeibo::test {
namespace {

class RecordingWorkspace final : public Workspace {
public:
    void AllUpdate() override {
        if (Form != nullptr) Form->DrawCell();
    }
    void SelectDate(const Date&) override {}
    void FormVisible(QObject*, bool) override {}
    void RefillItemLists() override {}
    void Apply(const Change& change) override {
        Changes.push_back(change);
        AllUpdate();
    }
    void EditRecurring(const RecurringEntry* preset) override {
        Presets.push_back(preset != nullptr ? *preset : RecurringEntry{});
    }

    TForm3* Form = nullptr;
    std::vector<Change> Changes;
    std::vector<RecurringEntry> Presets;
};

class RecurringTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillMasters(*ledger);
        ledger->DataDir = dir.path().toStdString() + "/";
        ledger->EditDate = Date{2026, 7, 12};
        ledger->EditMonth = 7;
        RecurringEntry rent{.Name = "家賃",
                            .Tab = EntryTab::Expense,
                            .Entry = {2026, 1, 27, 3, 0, 1, 0, 85000, 0},
                            .Text = {"大家", ""}};
        RecurringEntry pay{.Name = "給与",
                           .Tab = EntryTab::Income,
                           .Entry = {2026, 1, kMonthEnd, 1, 0, 5, 0, 250000, 2},
                           .AmountVaries = true,
                           .Text = {"", "7月分"}};
        WriteRecurring(ledger->DataDir, {rent, pay});
        form = std::make_unique<TForm3>(*ledger, workspace);
        workspace.Form = form.get();
        form->show();
        form->DrawCell();
    }

    QTemporaryDir dir;
    FakePlatform platform;
    std::unique_ptr<Ledger> ledger = std::make_unique<Ledger>();
    RecordingWorkspace workspace;
    std::unique_ptr<TForm3> form;
};

// The button counts what is due; the checked lines, with their corrected amounts, are written
// as one change, and what was written is not offered again.
TEST_F(RecurringTest, DueEntriesAreWrittenOnceAsOneChange) {
    // June's pay gives July's varying amount.
    ledger->EntryTable[5][0] = Entry(6, 30, 1, 0, 5, 0, 248000, 2);
    form->DrawCell();
    EXPECT_TRUE(form->Button3->isVisible());
    EXPECT_EQ(form->Button3->text(), QStringLiteral("定期入出金を記入（2件）"));

    std::vector<CheckLine> answer = {{QString(), true, 85000}, {QString(), true, 251234}};
    platform.LineAnswers.push_back(answer);
    QTest::mouseClick(form->Button3, Qt::LeftButton);
    ASSERT_EQ(platform.CheckLists.size(), 1u);
    const auto& offered = platform.CheckLists[0];
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[0].Text, QStringLiteral("7月27日　家賃　日用品・洗剤／銀行・みずほ"));
    EXPECT_EQ(offered[1].Text, QStringLiteral("7月31日　給与　銀行・みずほ／給与・本給"));
    EXPECT_EQ(offered[1].Amount, 248000);

    ASSERT_EQ(workspace.Changes.size(), 1u);
    EXPECT_EQ(workspace.Changes[0].Kind, ChangeKind::Recurring);
    EXPECT_EQ(ledger->EntryTable[6][0], Entry(7, 27, 3, 0, 1, 0, 85000));
    EXPECT_EQ(ledger->EntryTable[6][1], Entry(7, 31, 1, 0, 5, 0, 251234, 2));
    EXPECT_EQ(ledger->EntryTextTable[6][1].Memo, "7月分");
    EXPECT_EQ(ledger->NextSlot, 2);
    EXPECT_EQ(form->Button3->text(), QStringLiteral("定期入出金を記入（0件）"));
    EXPECT_FALSE(form->Button3->isEnabled());
}

// A month that cannot take every checked line takes none of them and says why.
TEST_F(RecurringTest, AFullMonthRefusesTheWholeProposal) {
    for (int s = 0; s < kSlotCount - 1; ++s) ledger->EntryTable[6][s] = Entry(7, 1, 2, 0, 0, 0, 1);
    ledger->NextSlot = kSlotCount - 1;
    form->DrawCell();
    QTest::mouseClick(form->Button3, Qt::LeftButton);
    ASSERT_EQ(platform.Boxes.size(), 1u);
    // The general error box, as for every refused action.
    EXPECT_EQ(platform.Boxes[0].Text,
              ErrorBoxText(QStringLiteral("7月の入力件数が上限の1000件を超えます（記入済み "
                                          "999件、追加 2件）。何も記入していません。")));
    EXPECT_EQ(ledger->EntryTable[6][kSlotCount - 1].Amount, 0);
    EXPECT_TRUE(workspace.Changes.empty());
}

// The list editor stores what its fields show, refuses what the file cannot hold, and orders
// the templates; the file on disk follows every step.
TEST_F(RecurringTest, TheListEditorKeepsTheFileInStep) {
    TFormTeiki editor(*ledger, nullptr);
    ASSERT_EQ(editor.ListView1->rowCount(), 2);
    editor.ListView1->selectRow(1);
    EXPECT_EQ(editor.EditName->text(), QStringLiteral("給与"));
    EXPECT_EQ(editor.ComboTab->currentText(), QStringLiteral("収入"));

    editor.EditName->setText(QStringLiteral("サブスク€"));
    editor.EditAmount->setText(QStringLiteral("1,480"));
    QTest::mouseClick(editor.ButtonAdd, Qt::LeftButton);
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Text,
              QStringLiteral("「名前」に保存できない文字「€」があります。"));

    editor.EditName->setText(QStringLiteral("サブスク"));
    editor.CheckVaries->setChecked(false);
    QTest::mouseClick(editor.ButtonAdd, Qt::LeftButton);
    QTest::mouseClick(editor.ButtonUp, Qt::LeftButton);
    editor.ListView1->selectRow(0);
    QTest::mouseClick(editor.ButtonDelete, Qt::LeftButton);
    QFile file(QString::fromStdString(ledger->DataDir + kRecurringFile));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(),
              EncodeCp932("2,1,0,5,0,1480,2,0,1,2026,1,0,0,0,サブスク,,7月分\r\n"
                          "2,1,0,5,0,250000,2,0,1,2026,1,0,0,1,給与,,7月分\r\n"));

    // Laid out at fixed places: every control lies whole inside the form.
    editor.show();
    SaveScreenshot(editor, QStringLiteral("recurring_form"));
    for (const QWidget* control : editor.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(editor.rect().contains(control->geometry()))
            << control->objectName().toStdString();
    }
}

// A template made from an entry of the list carries its items, amount and day.
TEST_F(RecurringTest, AnEntryOfTheListBecomesATemplate) {
    ledger->EntryTable[6][0] = Entry(7, 5, 2, 1, 0, 0, 1200);
    ledger->EntryTextTable[6][0] = {"食堂", "昼"};
    ledger->NextSlot = 1;
    form->DrawCell();
    form->Teiki1Click();
    ASSERT_EQ(workspace.Presets.size(), 1u);
    const RecurringEntry& e = workspace.Presets[0];
    EXPECT_EQ(RecurringLine(e), "0,2,1,0,0,1200,0,5,1,2026,7,0,0,0,食堂,食堂,昼");
}

}  // namespace
}  // namespace kakeibo::test

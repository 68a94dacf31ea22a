#include "core/money_in/recurring.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/sjis.h"
#include "test_files.h"

namespace kakeibo {
namespace {

RecurringEntry Rent() {
    RecurringEntry e;
    e.Name = "家賃";
    e.Entry.Item1 = 5;
    e.Entry.SubItem1 = 0;
    e.Entry.Item2 = 1;
    e.Entry.SubItem2 = 2;
    e.Entry.Amount = 85000;
    e.Entry.Day = 27;
    e.Entry.Year = 2025;
    e.Entry.Month = 1;
    return e;
}

// The months of 2024 and 2025 a schedule hits, each as "month/day".
TEST(Recurring, SchedulesHitTheirMonthsOnTheirDays) {
    struct Row {
        const char* what;
        int day, interval, startYear, startMonth, endYear, endMonth, year;
        std::string hits;
    };
    const Row rows[] = {
        {"monthly on the 31st", 31, 1, 2025, 1, 0, 0, 2025,
         "1/31 2/28 3/31 4/30 5/31 6/30 7/31 8/31 9/30 10/31 11/30 12/31 "},
        {"every 2 months from March", 10, 2, 2025, 3, 0, 0, 2025, "3/10 5/10 7/10 9/10 11/10 "},
        {"quarterly, ending in September", 5, 3, 2024, 12, 2025, 9, 2025, "3/5 6/5 9/5 "},
        {"month end in a leap year", kMonthEnd, 12, 2023, 2, 0, 0, 2024, "2/29 "},
        {"month end in a common year", kMonthEnd, 12, 2023, 2, 0, 0, 2025, "2/28 "},
        {"yearly from a later year", 1, 12, 2026, 4, 0, 0, 2025, ""},
    };
    for (const Row& row : rows) {
        RecurringEntry e = Rent();
        e.Entry.Day = row.day;
        e.Interval = row.interval;
        e.Entry.Year = row.startYear;
        e.Entry.Month = row.startMonth;
        e.EndYear = row.endYear;
        e.EndMonth = row.endMonth;
        std::string hits;
        for (int m = 1; m <= 12; ++m) {
            if (IsScheduled(e, row.year, m)) {
                hits +=
                    std::to_string(m) + "/" + std::to_string(ScheduledDay(e, row.year, m)) + " ";
            }
        }
        EXPECT_EQ(hits, row.hits) << row.what;
    }
}

// A template is proposed until an entry like it lies within three days of its day, in that
// month or the next or previous one.
TEST(Recurring, DueUntilWrittenNearItsDay) {
    struct Row {
        const char* what;
        int month, day, amount;  // an entry already written with the template's items
        bool varies;
        int dueAmount;  // 0: not proposed
    };
    const Row rows[] = {
        {"nothing written", 0, 0, 0, false, 85000},
        {"written on its day", 6, 29, 85000, false, 0},
        {"moved by two days", 6, 27, 85000, false, 0},
        {"moved by four days", 6, 25, 85000, false, 85000},
        {"written in the next month's first days", 7, 1, 85000, false, 0},
        {"written in the next month, too late", 7, 3, 85000, false, 85000},
        {"another amount on its day", 6, 29, 90000, false, 85000},
        {"a varying amount written on its day", 6, 29, 90000, true, 0},
        {"a varying amount last written in May", 5, 29, 91234, true, 91234},
    };
    for (const Row& row : rows) {
        auto ledger = std::make_unique<Ledger>();
        ledger->EditMonth = 6;
        RecurringEntry e = Rent();
        e.Entry.Day = 29;
        e.AmountVaries = row.varies;
        if (row.month != 0) {
            ledger->EntryTable[row.month - 1][0] = {2025, row.month, row.day,    5, 0,
                                                    1,    2,         row.amount, 0};
        }
        ledger->NextSlot = ledger->GetIndex(6);
        // Renaming the items changes nothing: templates hold item numbers.
        ledger->ItemTable[5].Name = "住まい";
        const auto due = DueRecurring(*ledger, {e}, 2025, 6);
        ASSERT_EQ(due.size(), row.dueAmount == 0 ? 0u : 1u) << row.what;
        if (row.dueAmount != 0) {
            EXPECT_EQ(due[0].Entry.Record, (EntryRecord{2025, 6, 29, 5, 0, 1, 2, row.dueAmount, 0}))
                << row.what;
            EXPECT_EQ(due[0].Entry.Text.Shop, "");
        }
    }
    // Pay and a transfer are written with その他, as the entry form's tabs write them.
    auto ledger = std::make_unique<Ledger>();
    ledger->ItemTable[0] = {"現金・預金", "0"};
    ledger->ItemTable[1] = {"クレジット", "0"};
    ledger->ItemTable[5] = {"住居費", "-1"};
    ledger->ItemTable[6] = {"給与", "1"};
    RecurringEntry pay = Rent();
    pay.Entry.Item1 = 0;
    pay.Entry.Item2 = 6;
    RecurringEntry transfer = Rent();
    transfer.Entry.Item1 = 0;
    transfer.Entry.Item2 = 1;
    RecurringEntry excluded = Rent();
    excluded.Entry.TaxKind = 1;
    std::vector<int> kinds;
    for (const auto& proposal : DueRecurring(*ledger, {Rent(), pay, transfer, excluded}, 2025, 6)) {
        kinds.push_back(proposal.Entry.Record.TaxKind);
    }
    EXPECT_EQ(kinds, (std::vector<int>{0, 2, 2, 1}));
}

TEST(Recurring, FileKeepsEveryFieldAndRefusesDamage) {
    test::TempDir dir;
    RecurringEntry rent = Rent();
    rent.Text.Shop = "管理会社,本店";
    rent.Text.Memo = "振込";
    RecurringEntry pay = rent;
    pay.Name = "給与";
    pay.Tab = EntryTab::Income;
    pay.Entry.Day = kMonthEnd;
    pay.Interval = 1;
    pay.EndYear = 2027;
    pay.EndMonth = 3;
    pay.AmountVaries = true;
    WriteRecurring(dir.Path(), {rent, pay});
    EXPECT_EQ(test::ReadBytes(dir.Path() + kRecurringFile),
              EncodeCp932("0,5,0,1,2,85000,0,27,1,2025,1,0,0,0,家賃,管理会社，本店,振込\r\n"
                          "2,5,0,1,2,85000,0,0,1,2025,1,2027,3,1,給与,管理会社，本店,振込\r\n"));
    rent.Text.Shop = "管理会社，本店";
    pay.Text.Shop = rent.Text.Shop;
    EXPECT_EQ(ReadRecurring(dir.Path()), (std::vector<RecurringEntry>{rent, pay}));

    test::WriteBytes(dir.Path() + kRecurringFile, "0,5,0,1,2,85000,0,27,4,2025,1,0,0,0,a,,\r\n");
    try {
        ReadRecurring(dir.Path());
        ADD_FAILURE() << "an interval of 4 months was read";
    } catch (const LedgerError& e) {
        EXPECT_EQ(std::string(e.what()), dir.Path() + kRecurringFile +
                                             " の 1行目を読めません："
                                             "「0,5,0,1,2,85000,0,27,4,2025,1,0,0,0,a,,」");
    }
}

}  // namespace
}  // namespace kakeibo

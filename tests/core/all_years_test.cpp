#include "core/reports/all_years.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/files/ledger_files.h"
#include "core/files/save.h"
#include "core/reports/graphs.h"
#include "core/reports/sheets.h"
#include "core/reports/year_search.h"
#include "test_files.h"

namespace kakeibo {
namespace {

namespace fs = std::filesystem;

// 0 現金, 1 銀行 (accounts), 2 食費 (reduced rate), 3 日用品 (expenses), 5 給与, 7 雑収入.
void SetMasters(Ledger& ledger) {
    const char* items[][2] = {{"現金", "0"}, {"銀行", "0"}, {"食費", "-1"},   {"日用品", "-1"},
                              {"", ""},      {"給与", "1"}, {"交際費", "-1"}, {"雑収入", "1"}};
    for (int i = 0; i < 8; ++i) ledger.ItemTable[i] = {items[i][0], items[i][1]};
    ledger.SubItemTable[0] = {"お財布", "", "", "", ""};
    ledger.SubItemTable[1] = {"普通預金", "定期預金", "", "", ""};
    ledger.SubItemTable[2] = {"食料品", "外食", "", "", ""};
    ledger.SubItemTable[5] = {"本給", "手当", "", "", ""};
    // Rounded up, so that a reader counting under the default rule would be seen.
    ledger.TaxRounding = 2;
}

void Book(Ledger& ledger, const EntryRecord& e, const std::string& shop = "") {
    const int slot = ledger.GetIndex(e.Month);
    ledger.EntryTable[e.Month - 1][slot] = e;
    ledger.EntryTextTable[e.Month - 1][slot] = {shop, ""};
}

// A year of a household's money: food and goods from the wallet or the bank, some of them
// tax-excluded, a salary into the bank, cash drawn, and a year-end balance that carries on.
void Generate(Ledger& ledger, int year, int seed) {
    ledger.BalanceTable[0][0][0] = ledger.BalanceTable[0][0][kTotalColumn] = 1000 * seed;
    ledger.BalanceTable[0][1][1] = ledger.BalanceTable[0][1][kTotalColumn] = 50000 + seed;
    for (int n = 0; n < 48; ++n) {
        const int month = 1 + n % 12;
        const int day = 1 + (n * 7 + seed) % 28;
        const int32_t amount = 101 + (n * 37 * seed) % 9000;
        switch ((n + seed) % 4) {
            case 0:
                Book(ledger, {year, month, day, 2, n % 2, 0, 0, amount, (n / 4) % 3}, "スーパー");
                break;
            case 1:
                Book(ledger, {year, month, day, 3, 0, 1, n % 2, amount, 1}, "ホームセンター");
                break;
            case 2:
                Book(ledger, {year, month, day, 1, 0, 5, n % 2, amount * 20, 0});
                break;
            default:
                Book(ledger, {year, month, day, 0, 0, 1, 0, amount, 0}, "スーパー");
                break;
        }
    }
}

int64_t Yen(std::string text) {
    std::erase(text, ',');
    return std::stoll(text);
}

class AllYearsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& [year, name] : {std::pair{2017, "2017"}, std::pair{2019, "2019"},
                                         std::pair{2021, "2021古い"}, std::pair{2021, "2021"}}) {
            auto ledger = NewLedger();
            Generate(*ledger, year, year % 100 + (name[4] != 0 ? 7 : 0));
            if (year == 2019) {
                // The rate moved on 1 October 2019; food stayed at 8 %.
                for (int item : {2, 3}) {
                    Book(*ledger, {2019, 9, 30, item, 0, 0, 0, 999, 1});
                    Book(*ledger, {2019, 10, 1, item, 0, 0, 0, 999, 1});
                }
            }
            Save(*ledger, name);
        }
        // The older copy of 2021 was saved a day earlier.
        fs::last_write_time(dir + "2021古い.nbd",
                            fs::file_time_type::clock::now() - std::chrono::hours(24));
        test::WriteBytes(dir + "壊れ.nbd",
                         "2018,1,1,2,0,0,0,100,0,,\r\n2018,13,1,2,0,0,0,100,0,,\r\n");

        open = NewLedger();
        Generate(*open, 2022, 22);
        Save(*open, "2022");
        open->DataDir = dir;
        open->LedgerName = "2022";
        // Not saved yet: the sheet counts it all the same.
        Book(*open, {2022, 12, 24, 6, 0, 0, 0, 5000, 0}, "スーパー");
        open->EditDate = Date{2022, 12, 24};
        open->EditMonth = 12;
    }

    std::unique_ptr<Ledger> NewLedger() {
        auto ledger = std::make_unique<Ledger>();
        SetMasters(*ledger);
        ledger->ExeDir = program.Path();
        return ledger;
    }

    void Save(Ledger& ledger, const std::string& name) {
        ledger.LedgerChanged = true;
        SaveInputs inputs;
        inputs.Sync = false;
        MonthSave(ledger, dir, name, inputs);
    }

    // The ledger of `name` as it opens alone, December edited, its sheets of every item
    // expanded.
    std::unique_ptr<Ledger> Alone(const std::string& name) {
        auto ledger = NewLedger();
        MonthLoad(*ledger, dir, name);
        ledger->EditDate = Date{2000, 12, 31};
        ledger->EditMonth = 12;
        return ledger;
    }

    SheetState Expanded() {
        SheetState state;
        for (auto& kind : state.ExpandedItems) kind.fill(true);
        return state;
    }

    test::TempDir data;
    test::TempDir program;
    const std::string dir = data.Path();
    std::unique_ptr<Ledger> open;
};

TEST_F(AllYearsTest, EachYearIsItsLedgersYearSheetAndYearEndBalances) {
    SheetState state = Expanded();
    const SheetGrid years = FillSheet(*open, YearsSheet, state);
    const std::vector<std::string> headings = {"",       "2017年", "2018年", "2019年",
                                               "2020年", "2021年", "2022年", "平均"};
    ASSERT_EQ(years.ColumnCount(), static_cast<int>(headings.size()));
    for (int c = 0; c < years.ColumnCount(); ++c) EXPECT_EQ(years.Cell(0, c), headings[c]);
    const std::string line = years.Cell(1, 0);
    EXPECT_EQ(line.substr(0, line.find("（ファイル「")),
              "2017年〜2022年の家計簿　「壊れ.nbd」は読めないため除外");
    EXPECT_NE(line.find("の 2 行目を読み込めません"), std::string::npos) << line;
    EXPECT_NE(line.find("　「2021古い.nbd」は除外（2021年は「2021.nbd」を使用）"),
              std::string::npos)
        << line;

    const std::map<int, Ledger*> alone = {{2017, Alone("2017").release()},
                                          {2019, Alone("2019").release()},
                                          {2021, Alone("2021").release()},
                                          {2022, open.get()}};
    std::map<int, int64_t> differences;
    for (int column = 1; column <= 6; ++column) {
        const int year = 2016 + column;
        const auto found = alone.find(year);
        SheetState own = Expanded();
        const SheetGrid sheet =
            found != alone.end() ? FillSheet(*found->second, YearSheet, own) : SheetGrid();
        // 年間推移's rows, label and year total, are the sheet's from its third row on.
        for (int r = 1; r < sheet.RowCount() && !sheet.Cell(r - 1, 0).starts_with("差し引き");
             ++r) {
            EXPECT_EQ(years.Cell(r + 1, 0), sheet.Cell(r, 0)) << year << " row " << r;
            EXPECT_EQ(years.Cell(r + 1, column), sheet.Cell(r, 13))
                << year << " " << sheet.Cell(r, 0);
        }
        if (found == alone.end()) {
            // No ledger, no figure: blank all the way down.
            for (int r = 2; r < years.RowCount(); ++r) EXPECT_EQ(years.Cell(r, column), "") << r;
            continue;
        }
        // The accounts at the year's end, as 口座残高 carries them forward from December.
        const SheetGrid accounts = FillSheet(*found->second, AccountSheet, own);
        std::map<std::string, std::string> balances;
        for (int r = 1; r < accounts.RowCount(); ++r)
            balances[accounts.Cell(r, 0)] = accounts.Cell(r, 4);
        int seen = 0;
        for (int r = 2; r < years.RowCount(); ++r) {
            const std::string& label = years.Cell(r, 0);
            if (label == "差し引き") differences[year] = Yen(years.Cell(r, column));
            if (seen == 0 && label != "現金") continue;
            if (label.empty()) break;
            ++seen;
            EXPECT_EQ(years.Cell(r, column), balances[label]) << year << " " << label;
        }
        EXPECT_EQ(seen, 5) << "現金, お財布, 銀行, 普通預金, 定期預金";
    }
    // The average of the years before 2022 that have a ledger, to the nearest yen.
    const int64_t sum = differences[2017] + differences[2019] + differences[2021];
    for (int r = 2; r < years.RowCount(); ++r) {
        if (years.Cell(r, 0) != "差し引き") continue;
        EXPECT_EQ(years.Cell(r, 7), AmountText((sum + (sum >= 0 ? 1 : -1)) / 3));
    }
    for (const auto& [year, ledger] : alone) {
        if (ledger != open.get()) delete ledger;
    }
}

TEST_F(AllYearsTest, OtherLedgersAreReadOnlyAgainWhenChangedAndNeverWritten) {
    auto listing = [&] {
        std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
        for (const auto& entry : fs::directory_iterator(dir)) {
            files[entry.path().filename().string()] = {test::ReadBytes(entry.path().string()),
                                                       entry.last_write_time()};
        }
        return files;
    };
    const auto before = listing();
    const auto entries = open->EntryTable;
    AllYearsCache cache;
    const AllYears first = cache.Figures(*open);
    const AllYears again = cache.Figures(*open);
    EXPECT_EQ(again.Of(2017), first.Of(2017)) << "kept, not read again";
    EXPECT_EQ(listing(), before) << "no file written, no lock taken";
    EXPECT_EQ(open->EntryTable, entries);
    EXPECT_EQ(open->LedgerName, "2022");

    // A save of 2017 and a new ledger of 2020 are seen at the next fill.
    auto y2017 = Alone("2017");
    Book(*y2017, {2017, 3, 3, 3, 0, 0, 0, 1234, 0});
    Save(*y2017, "2017");
    auto y2020 = NewLedger();
    Generate(*y2020, 2020, 3);
    Save(*y2020, "2020");
    const AllYears changed = cache.Figures(*open);
    ASSERT_NE(changed.Of(2017), nullptr);
    EXPECT_EQ(changed.Of(2017)->Net[3][kTotalColumn], first.Of(2017)->Net[3][kTotalColumn] + 1234);
    EXPECT_EQ(changed.Of(2019), first.Of(2019)) << "unchanged files stay as read";
    ASSERT_NE(changed.Of(2020), nullptr);
    EXPECT_EQ(changed.Of(2020)->Year, 2020);

    // Other rules of the tax count every year again.
    open->TaxRounding = 0;
    const AllYears recounted = cache.Figures(*open);
    EXPECT_NE(recounted.Of(2019)->Net[2][kTotalColumn], changed.Of(2019)->Net[2][kTotalColumn]);

    // A copy of the open ledger's year is left out and named; a removed ledger is a gap.
    fs::copy_file(dir + "2022.nbd", dir + "2022写し.nbd");
    fs::remove(dir + "2019.nbd");
    const AllYears later = cache.Figures(*open);
    EXPECT_NE(
        later.Ledgers.Line().find("　「2022写し.nbd」は除外（2022年は開いている家計簿を使用）"),
        std::string::npos)
        << later.Ledgers.Line();
    EXPECT_EQ(later.Of(2019), nullptr);
}

TEST_F(AllYearsTest, SearchOverEveryYearKeepsTheMatchesOfTheLedgersTheSheetUses) {
    AllYearsCache cache;
    const YearSearchResult result = SearchAllYears(*open, {-1, -1, "スーパー", ""}, cache);
    std::map<int, int> perYear;
    for (const YearHit& hit : result.Hits) {
        ++perYear[hit.Year];
        EXPECT_EQ(hit.Text.Shop, "スーパー");
        EXPECT_EQ(hit.Entry.Year, hit.Year);
    }
    // Half of the 48 entries of each year went to the supermarket; the open ledger's unsaved
    // one counts, the older copy of 2021 and the damaged ledger do not.
    EXPECT_EQ(perYear, (std::map<int, int>{{2017, 24}, {2019, 24}, {2021, 24}, {2022, 25}}));
    EXPECT_EQ(result.Notes, cache.Figures(*open).Ledgers.Notes);
    EXPECT_EQ(result.Paths,
              (std::vector<std::string>{dir + "2017.nbd", dir + "2019.nbd", dir + "2021.nbd", ""}));
    // The highest is the last scanned of the largest amount.
    int highest = 0;
    for (size_t i = 0; i < result.Hits.size(); ++i) {
        if (result.Hits[i].Entry.Amount >= result.Hits[highest].Entry.Amount)
            highest = static_cast<int>(i);
    }
    EXPECT_EQ(result.MaxHit, highest);
    const YearHit& top = result.Hits[highest];
    EXPECT_EQ(YearHitLabels(result, highest).Date, std::to_string(top.Year) + "年" +
                                                       std::to_string(top.Entry.Month) + "月" +
                                                       std::to_string(top.Entry.Day) + "日");

    std::vector<YearHit> hits = result.Hits;
    SortYearHits(hits, 2);
    for (size_t i = 1; i < hits.size(); ++i)
        EXPECT_LE(hits[i - 1].Entry.Amount, hits[i].Entry.Amount);
    SortYearHits(hits, 0);
    // By year, and within a year in the order the amounts left them.
    EXPECT_EQ(hits.front().Year, 2017);
    EXPECT_EQ(hits.back().Year, 2022);
    EXPECT_LE(hits[0].Entry.Amount, hits[1].Entry.Amount);
    const auto rows = YearHitRows({hits.back()});
    EXPECT_EQ(rows[0][0], "2022");
}

TEST_F(AllYearsTest, GraphsOverTheYearsHaveTheSheetsTotalsAndAssets) {
    AllYearsCache cache;
    const YearsFigures figures = YearsSeries(*open, cache);
    EXPECT_EQ(figures.Years, (std::vector<int>{2017, 2019, 2021, 2022}));
    EXPECT_EQ(figures.AssetNames,
              (std::vector<std::string>{"資産合計", "お財布", "普通預金", "定期預金"}));
    SheetState state;
    const SheetGrid sheet = FillSheet(*open, YearsSheet, state);
    auto figure = [&](const std::string& label, int column) -> int64_t {
        for (int r = 2; r < sheet.RowCount(); ++r) {
            if (sheet.Cell(r, 0) == label) return Yen(sheet.Cell(r, column));
        }
        return -1;
    };
    const int columns[] = {1, 3, 5, 6};
    for (size_t y = 0; y < figures.Years.size(); ++y) {
        const int c = columns[y];
        EXPECT_EQ(figures.Balance[y].Expense, figure("費用合計", c)) << figures.Years[y];
        EXPECT_EQ(figures.Balance[y].Income, figure("収入合計", c));
        EXPECT_EQ(figures.Balance[y].Difference, figure("差し引き", c));
        EXPECT_EQ(figures.Assets[0][y], figure("現金", c) + figure("銀行", c));
        EXPECT_EQ(figures.Assets[2][y], figure("　普通預金", c));
    }
}

}  // namespace
}  // namespace kakeibo

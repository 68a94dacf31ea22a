#include "core/reports/search.h"

#include <gtest/gtest.h>

#include <memory>

namespace kakeibo {
namespace {

using Keys = std::vector<int32_t>;

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        Put(1, 0, {2026, 1, 5, 2, 1, 0, 0, 1500, 0}, "スーパーいなげや", "牛乳");
        Put(1, 1, {2026, 1, 3, 0, 2, 1, 0, 3000, 2}, "銀行", "");
        Put(3, 0, {2026, 3, 15, 2, 0, 1, 3, 1500, 1}, "Tokyo Gas", "ガス代");
        Put(3, 1, {2026, 3, 1, 0, 0, 5, 0, 3000, 2}, "ドトール", "給与");
        Put(6, 0, {2026, 6, 30, 4, 0, 1, 0, 1000000000, 0}, "不動産", "家");
        Put(12, 0, {2026, 12, 24, 3, 1, 0, 1, 800, 0}, "gakken", "本");
    }

    void Put(int month, int slot, const EntryRecord& e, const char* shop, const char* memo) {
        ledger->EntryTable[month - 1][slot] = e;
        ledger->EntryTextTable[month - 1][slot] = EntryText{shop, memo};
    }

    Keys Sorted(Keys hits, int column) const {
        SortHits(*ledger, hits, column);
        return hits;
    }

    std::unique_ptr<Ledger> ledger = std::make_unique<Ledger>();
};

TEST_F(SearchTest, EachConditionFindsItsEntriesInMonthAndSlotOrder) {
    const struct {
        SearchConditions conditions;
        Keys hits;
    } rows[] = {
        {{}, {1000, 1001, 3000, 3001, 6000, 12000}},
        {{1, -1, "", ""}, {1001, 3000, 6000}},  // as the paying side too
        {{2, 3, "", ""}, {3000}},               // the sub-item on the other side
        {{0, 1, "", ""}, {1000, 12000}},
        {{-1, -1, "スーパー", ""}, {1000}},
        {{-1, -1, "いな", ""}, {1000}},
        {{-1, -1, "げや", ""}, {1000}},
        {{-1, -1, "Gas", ""}, {3000}},
        {{-1, -1, "gas", ""}, {}},
        {{-1, -1, "g", ""}, {12000}},  // not ドトール, whose ト holds the byte of "g"
        {{-1, -1, "ト", "代"}, {}},
        {{-1, -1, "ー", "牛"}, {1000}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SearchEntries(*ledger, row.conditions).HitList, row.hits)
            << row.conditions.Item << "/" << row.conditions.SubItem << "/" << row.conditions.Shop;
    }
}

TEST_F(SearchTest, HighestAndLowestGoToTheLastOfEqualAmountsWhateverTheirSize) {
    const SearchResult all = SearchEntries(*ledger, {});
    EXPECT_EQ(all.MaxHitKey, 6000);
    EXPECT_EQ(all.MinHitKey, 12000);
    const SearchResult food = SearchEntries(*ledger, {2, -1, "", ""});
    EXPECT_EQ(food.MaxHitKey, 3000);
    EXPECT_EQ(food.MinHitKey, 3000);
    const SearchResult large = SearchEntries(*ledger, {-1, -1, "不動産", ""});
    EXPECT_EQ(LowestLabels(*ledger, large).Amount, "1,000,000,000円　");

    const HitLabels highest = HighestLabels(*ledger, food);
    EXPECT_EQ(highest.Date, "3月15日");
    EXPECT_EQ(highest.Amount, "    1,500円　");
    EXPECT_EQ(highest.Shop, "Tokyo Gas");
    const auto rows = HitRows(*ledger, food.HitList);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1],
              (std::array<std::string, 4>{"3月15日", "    1,500円", "Tokyo Gas", "ガス代"}));

    const SearchResult none = SearchEntries(*ledger, {-1, -1, "無い店", ""});
    for (const HitLabels& labels : {HighestLabels(*ledger, none), LowestLabels(*ledger, none)}) {
        EXPECT_EQ(labels.Date, "該当無し");
        EXPECT_EQ(labels.Amount + labels.Shop, "");
    }
    EXPECT_EQ(HitRows(*ledger, none.HitList), (std::vector<std::array<std::string, 4>>(1)));
}

TEST_F(SearchTest, SortingLeavesTheSelectionSortsOrderAndRepeatingItKeepsIt) {
    const Keys all = SearchEntries(*ledger, {}).HitList;
    EXPECT_EQ(Sorted(all, 0), (Keys{1001, 1000, 3001, 3000, 6000, 12000}));
    // Equal amounts do not keep their order: the first 1,500 is swapped behind the second.
    const Keys byAmount = Sorted(all, 1);
    EXPECT_EQ(byAmount, (Keys{12000, 3000, 1000, 3001, 1001, 6000}));
    EXPECT_EQ(Sorted(byAmount, 1), byAmount);
    // Shift-JIS bytes: 銀 (8B) before 不 (95), unlike their Unicode order.
    EXPECT_EQ(Sorted(all, 2), (Keys{3000, 12000, 1000, 3001, 1001, 6000}));
    EXPECT_EQ(Sorted(all, 4), all);
}

TEST(HeadingColumnTest, PressesFindTheirColumnByTheWidths) {
    const std::vector<int> widths = {100, 100, 200, 200};
    const int rows[][2] = {{0, -1}, {1, 0}, {100, 0}, {101, 1}, {600, 3}, {601, 4}};
    for (const auto& row : rows) EXPECT_EQ(HeadingColumnAt(row[0], widths), row[1]) << row[0];
}

}  // namespace
}  // namespace kakeibo

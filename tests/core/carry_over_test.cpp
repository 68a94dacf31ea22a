#include "core/session/carry_over.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "core/errors.h"
#include "core/files/ledger_paths.h"
#include "core/ledger/ledger.h"
#include "test_files.h"

namespace kakeibo {
namespace {

using test::ReadBytes;
using test::WriteBytes;

std::string Lines(std::initializer_list<long long> values) {
    std::string out;
    for (long long v : values) out += std::to_string(v) + "\r\n";
    return out;
}

class CarryOverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ledger = std::make_unique<Ledger>();
        ledger->ItemTable[0] = {"現金", "0"};
        ledger->ItemTable[1] = {"銀行", "0"};
        ledger->ItemTable[2] = {"食費", "-1"};
        ledger->ItemTable[3] = {"給与", "1"};
        ledger->LedgerName = "2026";
    }

    test::TempDir temp;
    const std::string dir = temp.Path();
    std::unique_ptr<Ledger> ledger;
};

TEST_F(CarryOverTest, TheNewYearOpensWithThisYearsClosingAccounts) {
    ledger->BalanceTable[0][0][0] = 10000;
    ledger->BalanceTable[0][0][5] = 10000;
    const EntryRecord expense{2026, 8, 20, 2, 0, 0, 0, 3000, 0};
    ledger->EntryTable[7][0] = expense;
    ledger->LedgerChanged = true;
    WriteBytes(dir + "2027y.dat", "1\r\n2\r\n");
    WriteBytes(dir + "2027.nbd", "2026,1,1,2,0,0,0,5,0,,\r\n");

    WriteCarryOver(*ledger, dir, "2027", false);

    std::string row = Lines({7000, 0, 0, 0, 0, 7000, 0, 0, 0, 0, 0, 0});
    for (int i = 2; i < kItemCount; ++i) row += Lines({0, 0, 0, 0, 0, 0});  // the 3,000 spent too
    std::string expected;
    for (int r = 0; r < 13; ++r) expected += row;
    EXPECT_EQ(ReadBytes(dir + "2027r.dat"), expected);
    EXPECT_EQ(ReadBytes(dir + "2027y.dat"), "");
    EXPECT_EQ(ReadBytes(dir + "2027.nbd"), "");

    // The current ledger stays as it was; only its derived rows are fresh.
    EXPECT_EQ(ledger->EntryTable[7][0], expense);
    EXPECT_EQ(ledger->LedgerName, "2026");
    EXPECT_TRUE(ledger->LedgerChanged);
    EXPECT_EQ(ledger->BalanceTable[0][0][0], 10000);
    EXPECT_EQ(ledger->BalanceTable[12][2][5], 3000);
}

TEST_F(CarryOverTest, EveryAccountKeepsItsOwnColumn) {
    ledger->BalanceTable[0][0][2] = 500;
    ledger->BalanceTable[0][0][5] = 500;
    ledger->BalanceTable[0][1][1] = 3000000000;  // beyond 32 bits
    ledger->BalanceTable[0][1][5] = 3000000000;
    ledger->BalanceTable[0][3][0] = 99;  // an income item's opening value is not carried
    ledger->EntryTable[0][0] = {2026, 1, 3, 1, 4, 0, 2, 40, 0};       // wallet 2 -> bank 4
    ledger->EntryTable[11][0] = {2026, 12, 31, 2, 0, 1, 4, 80, 0};    // bank 4 pays 80
    ledger->EntryTable[11][1] = {2026, 12, 31, 0, 3, 3, 0, 1000, 1};  // income of 1,100

    WriteCarryOver(*ledger, dir, "next", false);

    std::string row = Lines({0, 0, 460, 1100, 0, 1560, 0, 3000000000, 0, 0, -40, 2999999960});
    for (int i = 2; i < kItemCount; ++i) row += Lines({0, 0, 0, 0, 0, 0});
    std::string expected;
    for (int r = 0; r < 13; ++r) expected += row;
    EXPECT_EQ(ReadBytes(dir + "nextr.dat"), expected);
}

TEST_F(CarryOverTest, AFolderThatCannotBeWrittenIsReported) {
    WriteBytes(dir + "plain", "x");
    try {
        WriteCarryOver(*ledger, dir + "plain/", "next", false);
        FAIL() << "the carry-over went through";
    } catch (const LedgerError& e) {
        EXPECT_NE(std::string(e.what()).find(dir + "plain/nextr.dat"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(ReadBytes(dir + "plain"), "x");
}

TEST(NextYearLedgerName, TheYearInTheNameGoesUpByOne) {
    const struct {
        const char* name;
        const char* next;
    } rows[] = {
        {"kakei2024", "kakei2025"},         {"2024年家計簿", "2025年家計簿"},
        {"家計簿2019_v2", "家計簿2020_v2"},  // the year, not the last number
        {"ledger12345", "ledger123452027"},  // five digits are no year
        {"家計簿", "家計簿2027"},           {"1999", "2000"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(NextYearLedgerName(row.name, 2026), row.next) << row.name;
}

TEST(SplitLedgerPath, FolderAndNameWithoutTheExtension) {
    struct Row {
        std::string path, dir, name;
    };
    const Row rows[] = {
        {"/home/hanako/家計簿/2026年.nbd", "/home/hanako/家計簿/", "2026年"},
        {"/data/rozed1.nbd", "/data/", "rozed1"},
        {"/data/v1.2/ledger.nbd", "/data/v1.2/", "ledger"},  // a dot in a folder name
        {"/data/ledger", "/data/", "ledger"},                // no extension
        {"/data/a.nbd.nbd", "/data/", "a.nbd"},
        {"/data/x.nbdold.nbd", "/data/", "x.nbdold"},  // only the extension at the end goes
        {"/data/notes.txt", "/data/", "notes"},
        {"ledger.nbd", "", "ledger"},
    };
    for (const Row& row : rows) {
        std::string dir = "stale", name = "stale";
        SplitLedgerPath(row.path, dir, name);
        EXPECT_EQ(dir, row.dir) << row.path;
        EXPECT_EQ(name, row.name) << row.path;
    }
}

}  // namespace
}  // namespace kakeibo

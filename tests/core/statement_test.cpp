#include "core/money_in/statement.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/files/file_io.h"
#include "core/files/ledger_writers.h"
#include "core/ledger/entries.h"
#include "core/money_in/statement_import.h"
#include "core/sjis.h"
#include "test_files.h"

namespace kakeibo {
namespace {

constexpr int kYear = 2025;

std::string DateText(const std::optional<Date>& d) {
    if (!d) return "none";
    return std::to_string(d->Year) + "-" + std::to_string(d->Month) + "-" + std::to_string(d->Day);
}

TEST(StatementFields, DatesAndAmountsInEveryFormBanksWrite) {
    const std::pair<const char*, const char*> dates[] = {
        {"06/15", "2025-6-15"},
        {"6月15日", "2025-6-15"},
        {"2025/06/15", "2025-6-15"},
        {"2025-06-15", "2025-6-15"},
        {"2025.6.15", "2025-6-15"},
        {"20250615", "2025-6-15"},
        {"2025年6月15日", "2025-6-15"},
        {"25/06/15", "2025-6-15"},
        {"R7.6.15", "2025-6-15"},
        {"令和7年6月15日", "2025-6-15"},
        {"令和元年5月1日", "2019-5-1"},
        {"H31.4.30", "2019-4-30"},
        {"R1.5.1", "2019-5-1"},
        {"h31.5.1", "none"},
        {"２０２５／０６／１５", "2025-6-15"},
        {" 2025/06/15 10:23 ", "2025-6-15"},
        {"6月15日(日)", "2025-6-15"},
        {"2025/13/01", "none"},
        {"2025/02/29", "none"},
        {"2025/06-15", "none"},
        {"合計", "none"},
        {"", "none"},
    };
    for (const auto& [text, expected] : dates) {
        EXPECT_EQ(DateText(ParseStatementDate(text, kYear)), expected) << text;
    }
    const std::pair<const char*, std::optional<int64_t>> amounts[] = {
        {"1,234", 1234},   {"￥1,234", 1234},    {"¥1,234", 1234},  {"\\1,234", 1234},
        {"1234円", 1234},  {"１，２３４", 1234}, {"-1,234", -1234}, {"△1,234", -1234},
        {"▲1,234", -1234}, {"(1,234)", -1234},   {"-¥500", -500},   {"1234.00", 1234},
        {"", 0},           {"12.5", {}},         {"abc", {}},       {"1,2,", {}},
    };
    for (const auto& [text, expected] : amounts) {
        EXPECT_EQ(ParseStatementAmount(text), expected) << text;
    }
}

// Items: 0 and 1 accounts, 2..4 expenses, 5 and 6 income.
std::unique_ptr<Ledger> HouseholdLedger() {
    auto ledger = std::make_unique<Ledger>();
    const char* items[][2] = {{"現金・預金", "0"}, {"クレジット", "0"}, {"食費", "-1"},
                              {"光熱費", "-1"},    {"日用品", "-1"},    {"給与", "1"},
                              {"雑収入", "1"}};
    for (int i = 0; i < 7; ++i) ledger->ItemTable[i] = {items[i][0], items[i][1]};
    ledger->SubItemTable[0] = {"お財布", "みずほ普通", "ゆうちょ", "", ""};
    ledger->SubItemTable[1] = {"楽天カード", "JCB", "", "", ""};
    ledger->EditDate = {kYear, 6, 1};
    ledger->EditMonth = 6;
    ledger->EditMonthIndex = 5;
    return ledger;
}

void Book(Ledger& ledger, const EntryRecord& record, const std::string& shop) {
    AddEntries(ledger, {{record, {shop, ""}}}, ChangeKind::Write);
}

std::vector<ImportLine> Prepare(const Ledger& ledger, const std::string& bytes,
                                const std::vector<ImportRule>& rules, int item, int sub) {
    const StatementTable table = ParseStatement(bytes);
    return PrepareImport(ledger, ReadStatement(table, table.Guessed, kYear), rules, item, sub);
}

// The statements as banks and card companies write them; each imported into its own ledger,
// which holds one entry of January that the learned assignment uses.
TEST(StatementImport, FiveShapesGiveTheExactEntriesFile) {
    const std::vector<ImportRule> rules = {
        {"ﾃﾞﾝﾘﾖｸ", 3, 0}, {"キユウヨ", 5, 0}, {"ラクテンカード", 1, 0}, {"amazon", 4, 0},
        {"セブン", 2, 0}, {"ｶﾞｽ", 3, 1},      {"ニンブル", 5, 0},       {"ABC", 2, 0},
        {"返金", 6, 0},   {"ヤマダ", 4, 0},
    };
    struct Row {
        const char* what;
        std::string bytes;
        int item, sub;
        std::string entries;  // the lines after January's
    };
    const Row rows[] = {
        {"bank: lines above the header, two amount columns, totals below",
         EncodeCp932("みずほ銀行 入出金明細\r\n口座番号,普通 1234567\r\n"
                     "期間,2025/06/01～2025/06/30\r\n"
                     "日付,摘要,お支払金額,お預り金額,差引残高\r\n"
                     "2025/06/10,ﾃﾞﾝｷ ﾄｳｷﾖｳﾃﾞﾝﾘﾖｸ,\"8,640\",,\"491,360\"\r\n"
                     "2025/06/25,ｷﾕｳﾖ ｶ)ﾆﾝﾌﾞﾙ,,\"250,000\",\"741,360\"\r\n"
                     "2025/06/27,ﾗｸﾃﾝｶｰﾄﾞ,\"45,000\",,\"696,360\"\r\n"
                     "\r\n合計,,\"53,640\",\"250,000\",\r\n"),
         0, 1,
         "2025,6,10,3,0,0,1,8640,0,デンキ トウキヨウデンリヨク,\r\n"
         "2025,6,25,0,1,5,0,250000,2,キユウヨ カ)ニンブル,\r\n"
         "2025,6,27,1,0,0,1,45000,2,ラクテンカード,\r\n"},
        {"card: quoted fields with commas and quotes, a memo, a refund with no income item",
         EncodeCp932(
             "\"楽天カード ご利用明細\"\r\n"
             "\"ご利用日\",\"ご利用店名\",\"ご利用者\",\"支払方法\",\"ご利用金額\",\"備考\"\r\n"
             "\"2025/06/03\",\"AMAZON.CO.JP, \"\"BOOKS\"\"\",\"本人\",\"1回払い\","
             "\"1,280\",\"本, 2冊\"\r\n"
             "\"2025/06/05\",\"セブン-イレブン 新宿店\",\"本人\",\"1回払い\",\"498\",\"\"\r\n"
             "\"2025/06/08\",\"ｾﾌﾞﾝｲﾚﾌﾞﾝ ｼﾝｼﾞｭｸ\",\"本人\",\"1回払い\",\"-498\",\"\"\r\n"),
         1, 0,
         "2025,6,3,4,0,1,0,1280,0,AMAZON.CO.JP， \"BOOKS\",本, 2冊\r\n"
         "2025,6,5,2,0,1,0,498,0,セブン-イレブン 新宿店,\r\n"},
        {"bank: era dates, one signed column, newest first",
         EncodeCp932("年月日,お取引内容,入出金額,残高\n"
                     "令和7年6月20日,ｶﾞｽﾀﾞｲ,\"-4,100\",\"245,900\"\n"
                     "R7.6.15,振込 ニンブル（カ,\"250,000\",\"250,000\"\n"),
         0, 2,
         "2025,6,15,0,2,5,0,250000,2,振込 ニンブル（カ,\r\n"
         "2025,6,20,3,1,0,2,4100,0,ガスダイ,\r\n"},
        {"card: tabs, half-width katakana, two-digit years, a learned item",
         EncodeCp932("利用日\t利用店名\t利用金額\r\n25/06/01\tｾﾌﾞﾝｲﾚﾌﾞﾝ ｼﾌﾞﾔ\t1234円\r\n"
                     "25/06/02\tﾏｸﾄﾞﾅﾙﾄﾞ\t680円\r\n"),
         1, 1,
         "2025,6,1,2,0,1,1,1234,0,セブンイレブン シブヤ,\r\n"
         "2025,6,2,2,1,1,1,680,0,マクドナルド,\r\n"},
        {"UTF-8 with a byte-order mark: full-width text, a character no save can hold",
         "\xEF\xBB\xBF日付,摘要,金額,メモ\n"
         "２０２５０６１２,スーパー　ＡＢＣ,\"1,200\",食材\n"
         "20250613,Café ABC,800,\n"
         "2025.6.14,ｾﾌﾞﾝ 返金,▲300,\n",
         0, 1,
         "2025,6,12,2,0,0,1,1200,0,スーパー　ＡＢＣ,食材\r\n"
         "2025,6,14,0,1,6,0,300,2,セブン 返金,\r\n"},
        {"card: the purchase amount, not the month's payment, and a refund as money in",
         EncodeCp932("ご利用日,ご利用店名,お支払金額,支払区分,ご利用金額\r\n"
                     "2025/06/03,ヤマダ電機,\"10,000\",3回払い,\"30,000\"\r\n"
                     "2025/06/09,ヤマダ電機 返金,-1200,1回払い,-1200\r\n"),
         1, 0,
         "2025,6,3,4,0,1,0,30000,0,ヤマダ電機,\r\n"
         "2025,6,9,1,0,6,0,1200,2,ヤマダ電機 返金,\r\n"},
    };
    for (const Row& row : rows) {
        auto ledger = HouseholdLedger();
        Book(*ledger, {kYear, 1, 10, 2, 1, 0, 0, 750, 0}, "マクドナルド");
        const std::vector<ImportLine> lines = Prepare(*ledger, row.bytes, rules, row.item, row.sub);
        AddEntries(*ledger, ImportEntries(*ledger, lines, row.item, row.sub), ChangeKind::Import);
        const std::string expected = "2025,1,10,2,1,0,0,750,0,マクドナルド,\r\n" + row.entries;
        EXPECT_EQ(EncodeLines(EntriesFileLines(*ledger), "x.nbd"), EncodeCp932(expected))
            << row.what;
    }
}

TEST(StatementImport, RulesComeBeforeWhatTheLedgerLearned) {
    auto ledger = HouseholdLedger();
    // Two of three expenses at this shop were 日用品; an income entry never teaches an expense.
    Book(*ledger, {kYear, 1, 5, 4, 0, 0, 0, 300, 0}, "セブンイレブン");
    Book(*ledger, {kYear, 2, 5, 2, 0, 0, 0, 400, 0}, "セブンイレブン");
    Book(*ledger, {kYear, 3, 5, 4, 0, 0, 1, 500, 0}, "ｾﾌﾞﾝ ｲﾚﾌﾞﾝ");
    Book(*ledger, {kYear, 3, 6, 0, 1, 6, 0, 90, 0}, "セブンイレブン");
    const std::string statement = EncodeCp932(
        "日付,摘要,金額\r\n06/01,ｾﾌﾞﾝｲﾚﾌﾞﾝ,500\r\n06/02,セブンイレブン,-90\r\n"
        "06/03,ローソン,200\r\n");
    struct Row {
        const char* what;
        std::vector<ImportRule> rules;
        std::vector<std::string> statuses;
        std::vector<int> items;
    };
    const Row rows[] = {
        {"learned in each direction",
         {},
         {"過去の記入から", "過去の記入から", "未割当"},
         {4, 6, -1}},
        {"a rule beats the ledger; one that does not suit the direction is passed over",
         {{"ローソン", 2, 0}, {"セブン", 2, 1}},
         {"ルール「セブン」", "過去の記入から", "ルール「ローソン」"},
         {2, 6, 2}},
    };
    for (const Row& row : rows) {
        const std::vector<ImportLine> lines = Prepare(*ledger, statement, row.rules, 0, 1);
        std::vector<std::string> statuses;
        std::vector<int> items;
        for (const ImportLine& line : lines) {
            statuses.push_back(LineStatus(line, row.rules));
            items.push_back(line.Item);
            EXPECT_EQ(line.Checked, line.Item >= 0) << row.what;
        }
        EXPECT_EQ(statuses, row.statuses) << row.what;
        EXPECT_EQ(items, row.items) << row.what;
    }
}

TEST(StatementImport, EachEntryOfTheLedgerExplainsOneLine) {
    const std::string fares = EncodeCp932(
        "日付,摘要,金額\r\n06/01,JR東日本,180\r\n06/01,JR東日本,180\r\n06/01,払戻,-180\r\n");
    struct Row {
        const char* what;
        int held;  // fares of 6/1 paid from the account already in the ledger
        std::vector<bool> checked;
        std::vector<std::string> statuses;
    };
    const Row rows[] = {
        {"none held: both fares checked",
         0,
         {true, true, true},
         {"ルール「JR」", "ルール「JR」", "ルール「払戻」"}},
        {"one held: one flagged",
         1,
         {false, true, true},
         {"重複の可能性", "ルール「JR」", "ルール「払戻」"}},
        {"two held: both flagged",
         2,
         {false, false, true},
         {"重複の可能性", "重複の可能性", "ルール「払戻」"}},
    };
    const std::vector<ImportRule> rules = {{"JR", 2, 0}, {"払戻", 6, 0}};
    for (const Row& row : rows) {
        auto ledger = HouseholdLedger();
        for (int k = 0; k < row.held; ++k) Book(*ledger, {kYear, 6, 1, 2, 0, 0, 1, 180, 0}, "");
        // The same fare from another account explains nothing.
        Book(*ledger, {kYear, 6, 1, 2, 0, 0, 0, 180, 0}, "");
        const std::vector<ImportLine> lines = Prepare(*ledger, fares, rules, 0, 1);
        std::vector<bool> checked;
        std::vector<std::string> statuses;
        for (const ImportLine& line : lines) {
            checked.push_back(line.Checked);
            statuses.push_back(LineStatus(line, rules));
        }
        EXPECT_EQ(checked, row.checked) << row.what;
        EXPECT_EQ(statuses, row.statuses) << row.what;
    }
}

TEST(StatementImport, UnreadLinesAreListedWithTheirReasons) {
    const StatementTable table =
        ParseStatement(EncodeCp932("普通預金 入出金明細\r\n日付,摘要,出金,入金\r\n"
                                   "2025/06/01,ok,100,\r\n"
                                   "2025/13/01,bad date,100,\r\n"
                                   "2024/12/31,last year,100,\r\n"
                                   ",no date,100,\r\n"
                                   "\r\n"
                                   "2025/06/02,zero,0,\r\n"
                                   "2025/06/03,\"two\r\nlines\",abc,\r\n"
                                   "2025/06/04,both,100,200\r\n"
                                   "2025/06/05,huge,\"3,000,000,000\",\r\n"
                                   "2025/06/06,ok,,50\r\n"
                                   "合計,,400,250\r\n"
                                   "以上\r\n"));
    const StatementReading reading = ReadStatement(table, table.Guessed, kYear);
    const std::vector<std::string> expected = {
        "4行目：日付「2025/13/01」を読めません",
        "5行目：日付「2024/12/31」は2025年ではありません",
        "6行目：日付「」を読めません",
        "8行目：金額が0円です",
        "9行目：出金「abc」を読めません",
        "11行目：出金「100」と入金「200」の両方に金額があります",
        "12行目：金額「3000000000」が大きすぎます",
    };
    EXPECT_EQ(reading.Unread, expected);
    ASSERT_EQ(reading.Lines.size(), 2u);
    EXPECT_EQ(reading.Lines[1].Line, 13);
    EXPECT_TRUE(reading.Lines[1].MoneyIn);
    EXPECT_EQ(reading.Skipped, 3);  // the blank line, 合計 and 以上
}

// Every heading banks and card companies write, alone among names the program does not know,
// makes its row the header and finds its column; the others are found from the lines below.
TEST(StatementHeader, EveryHeadingFindsItsColumnWithOrWithoutItsUnit) {
    struct Group {
        int column;      // where the heading stands: 0 date, 1 shop, 2 amount, 3 balance
        const char* as;  // what it makes of column 2: a single amount, 出金 or 入金
        std::vector<const char*> words;
    };
    const Group groups[] = {
        {0,
         "amount",
         {"日付", "年月日", "取引日", "お取引日", "取扱日", "勘定日", "起算日", "利用日",
          "ご利用日", "利用年月日"}},
        {1,
         "amount",
         {"摘要", "お取引内容", "内容", "取引内容", "お預り・お引出し内容", "利用店名",
          "ご利用店名", "ご利用先", "利用先"}},
        {2, "amount", {"金額", "利用金額", "ご利用金額"}},
        {2,
         "out",
         {"支払金額", "お支払金額", "出金", "出金金額", "お引出し", "お引出金額", "支払"}},
        {2, "in", {"入金", "入金金額", "お預入れ", "お預入金額", "預入"}},
        {3, "amount", {"残高", "差引残高", "現在高"}},
    };
    // Date, shop, amount, balance, and a column that is the same on every line.
    const std::string lines =
        "2025/06/01,ローソン,100,9900,本店\r\n2025/06/02,ファミマ,200,9700,本店\r\n"
        "2025/06/03,ローソン,300,9400,本店\r\n";
    for (const Group& group : groups) {
        for (const char* word : group.words) {
            for (const std::string& form :
                 {std::string(word), std::string(word) + "円", std::string(word) + "（円）",
                  " " + std::string(word) + " (円)", "\"　" + std::string(word) + "（円）\"",
                  "\"" + std::string(word) + "\""}) {
                std::vector<std::string> names = {"A", "B", "C", "D", "E"};
                names[group.column] = form;
                std::string header;
                for (const std::string& name : names) header += (header.empty() ? "" : ",") + name;
                const StatementTable table =
                    ParseStatement(EncodeCp932("口座 1234567\r\n" + header + "\r\n" + lines));
                const StatementColumns& c = table.Guessed;
                const std::string what = form + " in " + header;
                EXPECT_EQ(table.Header, 1) << what;
                EXPECT_EQ(c.Date, 0) << what;
                EXPECT_EQ(c.Description, 1) << what;
                EXPECT_EQ(c.Amount, std::string(group.as) == "amount" ? 2 : -1) << what;
                EXPECT_EQ(c.Out, std::string(group.as) == "out" ? 2 : -1) << what;
                EXPECT_EQ(c.In, std::string(group.as) == "in" ? 2 : -1) << what;
            }
        }
    }
}

// A bank's file as it comes: the date heading is 勘定日, the amounts carry （円）, and
// columns the program does not know stand among them.
TEST(StatementHeader, ABankFileReadsItsDepositAndWithdrawalsWithNoColumnChosen) {
    const StatementTable table = ParseStatement(EncodeCp932(
        "\"普通預金　入出金明細\"\r\n\"口座番号\",\"1234567\"\r\n"
        "\"勘定日\",\"起算日\",\"お取引内容\",\"お引出金額（円）\",\"お預入金額（円）\","
        "\"差引残高（円）\",\"店番\",\"取扱店\",\"区分\",\"備考\",\"照会番号\"\r\n"
        "\"2025/06/10\",\"2025/06/10\",\"ﾃﾞﾝｷﾀﾞｲ\",\"8,640\",\"\",\"491,360\",\"123\","
        "\"本店\",\"自動引落\",\"\",\"0001\"\r\n"
        "\"2025/06/25\",\"2025/06/25\",\"ｷﾕｳﾖ ﾆﾝﾌﾞﾙ\",\"\",\"250,000\",\"741,360\",\"123\","
        "\"本店\",\"振込\",\"6月分\",\"0002\"\r\n"
        "\"2025/06/27\",\"2025/06/26\",\"ｶｰﾄﾞ\",\"45,000\",\"\",\"696,360\",\"123\","
        "\"本店\",\"自動引落\",\"\",\"0003\"\r\n"));
    EXPECT_EQ(table.ColumnNames[0], "勘定日（1列目）");
    EXPECT_EQ(table.ColumnNames[3], "お引出金額（円）（4列目）");
    EXPECT_EQ(table.ColumnNames.size(), 11u);
    const StatementReading reading = ReadStatement(table, table.Guessed, kYear);
    EXPECT_TRUE(reading.Unread.empty());
    std::vector<std::string> read;
    for (const StatementLine& line : reading.Lines) {
        read.push_back(DateText(line.On) + " " + line.Description + " " +
                       std::to_string(line.Amount) + (line.MoneyIn ? " 入" : " 出") + " " +
                       line.Memo);
    }
    EXPECT_EQ(read, (std::vector<std::string>{"2025-6-10 ﾃﾞﾝｷﾀﾞｲ 8640 出 ",
                                              "2025-6-25 ｷﾕｳﾖ ﾆﾝﾌﾞﾙ 250000 入 6月分",
                                              "2025-6-27 ｶｰﾄﾞ 45000 出 "}));
}

// A quote never closed swallows nothing: its line is reported and the next ones are read.
// UTF-16 reads as UTF-8 does; bytes that are not text are refused.
TEST(StatementRead, BrokenQuotesAndOtherEncodingsKeepEveryOtherLine) {
    std::string many = "日付,摘要,金額\r\n2025/06/01,a,100\r\n2025/06/02,\"b,200\r\n";
    for (int k = 0; k < 1200; ++k) many += "2025/06/03,c,1\r\n";
    std::string utf16le = "\xFF\xFE";
    std::string utf16be = "\xFE\xFF";
    const std::u16string wide = u"日付,摘要,金額\r\n2025/06/01,ａ\U0001F600,100\r\n";
    for (char16_t c : wide) {
        utf16le += static_cast<char>(c & 0xFF);
        utf16le += static_cast<char>(c >> 8);
        utf16be += static_cast<char>(c >> 8);
        utf16be += static_cast<char>(c & 0xFF);
    }
    struct Row {
        const char* what;
        std::string bytes;
        size_t lines;
        std::vector<std::string> unread;
        std::string firstShop;
    };
    const Row rows[] = {
        {"an open quote runs a thousand characters past its line",
         many,
         1201,
         {"3行目：引用符が閉じられていません"},
         "a"},
        {"an open quote runs to the end of the file",
         "日付,摘要,金額\r\n2025/06/01,\"a,100\r\n2025/06/02,b,200\r\n2025/06/03,c,300\r\n",
         2,
         {"2行目：引用符が閉じられていません"},
         "b"},
        {"a quoted shop over two lines is one field",
         "日付,摘要,金額\r\n2025/06/01,\"a\r\nb\",100\r\n",
         1,
         {},
         "a\r\nb"},
        {"an open quote on the last line keeps its text",
         "日付,摘要,金額\r\n2025/06/01,\"a,100",
         0,
         {"2行目：金額が0円です"},
         ""},
        {"UTF-16 little-endian with its mark", utf16le, 1, {}, "ａ\U0001F600"},
        {"UTF-16 big-endian with its mark", utf16be, 1, {}, "ａ\U0001F600"},
        {"UTF-16 little-endian without a mark", utf16le.substr(2), 1, {}, "ａ\U0001F600"},
    };
    for (const Row& row : rows) {
        const StatementTable table = ParseStatement(row.bytes);
        EXPECT_TRUE(table.Refusal.empty()) << row.what;
        const StatementReading reading = ReadStatement(table, table.Guessed, kYear);
        EXPECT_EQ(reading.Lines.size(), row.lines) << row.what;
        EXPECT_EQ(reading.Unread, row.unread) << row.what;
        if (!reading.Lines.empty()) {
            EXPECT_EQ(reading.Lines[0].Description, row.firstShop) << row.what;
        }
    }
    EXPECT_FALSE(ParseStatement(std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)).Refusal.empty());
}

// A statement line is the entry already written when one of its amount, direction and
// account lies within the window, whatever wrote it; each entry explains one line.
TEST(StatementImport, DuplicatesWithinTheWindowOfDays) {
    struct Row {
        const char* what;
        int days;
        std::vector<EntryRecord> held;
        std::string statement;  // lines of 日付,摘要,金額 (positive: money out)
        std::vector<std::string> statuses;
    };
    const EntryRecord rent{kYear, 6, 30, 3, 0, 0, 1, 80000, 0};  // written at the month's end
    const std::string debit3 = "06/27,家賃,80000\r\n";
    const Row rows[] = {
        {"3 days before, default window", 5, {rent}, debit3, {"重複の可能性"}},
        {"5 days before: the window's edge counts",
         5,
         {rent},
         "06/25,家賃,80000\r\n",
         {"重複の可能性"}},
        {"6 days before", 5, {rent}, "06/24,家賃,80000\r\n", {"ルール「家賃」"}},
        {"3 days before, a window of 2", 2, {rent}, debit3, {"ルール「家賃」"}},
        {"into the next month", 5, {{kYear, 7, 2, 3, 0, 0, 1, 80000, 0}}, debit3, {"重複の可能性"}},
        {"another amount", 5, {{kYear, 6, 30, 3, 0, 0, 1, 80001, 0}}, debit3, {"ルール「家賃」"}},
        {"another account", 5, {{kYear, 6, 30, 3, 0, 0, 2, 80000, 0}}, debit3, {"ルール「家賃」"}},
        {"the other direction",
         5,
         {{kYear, 6, 30, 0, 1, 3, 0, 80000, 0}},
         debit3,
         {"ルール「家賃」"}},
        {"one entry explains the nearer of two lines",
         5,
         {rent},
         "06/26,家賃,80000\r\n06/29,家賃,80000\r\n",
         {"ルール「家賃」", "重複の可能性"}},
        {"two equal coffees of one day, nothing written",
         5,
         {},
         "06/10,カフェ,380\r\n06/10,カフェ,380\r\n",
         {"ルール「カフェ」", "ルール「カフェ」"}},
        {"two equal coffees, one written",
         5,
         {{kYear, 6, 10, 2, 0, 0, 1, 380, 0}},
         "06/10,カフェ,380\r\n06/10,カフェ,380\r\n",
         {"重複の可能性", "ルール「カフェ」"}},
    };
    const std::vector<ImportRule> rules = {{"家賃", 3, 0}, {"カフェ", 2, 0}};
    for (const Row& row : rows) {
        auto ledger = HouseholdLedger();
        for (const EntryRecord& e : row.held) Book(*ledger, e, "");
        const StatementTable table =
            ParseStatement(EncodeCp932("日付,摘要,金額\r\n" + row.statement));
        std::vector<ImportLine> lines = PrepareImport(
            *ledger, ReadStatement(table, table.Guessed, kYear), rules, 0, 1, row.days);
        std::vector<std::string> statuses;
        for (const ImportLine& line : lines) {
            statuses.push_back(LineStatus(line, rules));
            EXPECT_EQ(line.Checked, !line.Duplicate) << row.what;
        }
        EXPECT_EQ(statuses, row.statuses) << row.what;
        // A wider window found later marks what a fresh reading would.
        RemarkDuplicates(*ledger, lines, 0, 1, 10);
        for (const ImportLine& line : lines) {
            EXPECT_EQ(line.Checked, !line.Duplicate) << row.what;
        }
    }
}

// A shop is learned from the booked shop its name begins with or holds as a word; the longest
// such name wins, and the exact one comes first.
TEST(StatementImport, LearnedFromTheBookedShopInsideALongerName) {
    auto ledger = HouseholdLedger();
    Book(*ledger, {kYear, 1, 5, 2, 0, 0, 0, 300, 0}, "セブンイレブン");
    Book(*ledger, {kYear, 1, 6, 4, 0, 0, 0, 300, 0}, "セブン");
    Book(*ledger, {kYear, 1, 7, 3, 0, 0, 0, 300, 0}, "セブンイレブン新宿店");
    Book(*ledger, {kYear, 1, 8, 4, 1, 0, 0, 300, 0}, "A");
    const std::pair<const char*, int> rows[] = {
        {"セブンイレブン新宿店", 3},     // exact, though a shorter one is its beginning
        {"ｾﾌﾞﾝｲﾚﾌﾞﾝ渋谷店", 2},          // the longest beginning
        {"セブンイレブン 渋谷", 2},      //
        {"デビット セブンイレブン", 2},  // a whole word
        {"デビットセブンイレブン", -1},  // inside a word
        {"セブンスター", 4},             // a shorter beginning
        {"ABC", -1},                     // one character is no shop
    };
    const LearnedAssignments learned(*ledger);
    for (const auto& [shop, item] : rows) {
        EXPECT_EQ(learned.Find(shop, false).first, item) << shop;
    }
    EXPECT_EQ(learned.Find("セブンイレブン新宿店", true).first, -1) << "never money in";
}

// The first time, the account the lines' shops were paid from is proposed, then the one the
// rules' items were paid from, then the first account.
TEST(StatementImport, TheAccountProposedForANewStatement) {
    auto ledger = HouseholdLedger();
    Book(*ledger, {kYear, 1, 5, 2, 0, 1, 1, 300, 0}, "セブンイレブン");  // paid by JCB
    Book(*ledger, {kYear, 1, 6, 3, 0, 0, 1, 9000, 0}, "電気");           // from みずほ
    Book(*ledger, {kYear, 1, 7, 3, 0, 0, 1, 9000, 0}, "電気");
    const std::vector<ImportRule> rules = {{"東京電力", 3, 0}};
    const std::pair<std::string, std::pair<int, int>> rows[] = {
        {"06/01,セブンイレブン渋谷,500\r\n", {1, 1}},
        {"06/01,東京電力,9000\r\n", {0, 1}},
        {"06/01,八百屋,500\r\n", {0, 0}},
    };
    for (const auto& [lines, account] : rows) {
        const StatementTable table = ParseStatement(EncodeCp932("日付,摘要,金額\r\n" + lines));
        EXPECT_EQ(ProposeAccount(*ledger, ReadStatement(table, table.Guessed, kYear), rules),
                  account)
            << lines;
    }
}

TEST(ImportSettings, KeptInTheDataFolderAsShiftJisWithCrLf) {
    test::TempDir dir;
    ImportSettings settings;
    settings.Rules = {{"ｾﾌﾞﾝ, 新宿", 2, 0}, {"電力", 3, 4}};
    StatementColumns columns{0, 1, -1, 2, 3, -1, true};
    settings.RememberSource({"日付,摘要,お支払金額,お預り金額", columns, 0, 1});
    settings.RememberSource({"ご利用日,ご利用店名,ご利用金額", {0, 1, 2, -1, -1, -1, false}, 1, 0});
    settings.RememberSource({"日付,摘要,お支払金額,お預り金額", columns, 0, 2, 7});
    WriteImportSettings(dir.Path(), settings);
    EXPECT_EQ(test::ReadBytes(dir.Path() + "torikomi.dat"),
              EncodeCp932("R,2,0,ｾﾌﾞﾝ, 新宿\r\nR,3,4,電力\r\n"
                          "S,0,2,0,1,-1,2,3,-1,1,日付,摘要,お支払金額,お預り金額\r\n"
                          "W,7,日付,摘要,お支払金額,お預り金額\r\n"
                          "S,1,0,0,1,2,-1,-1,-1,0,ご利用日,ご利用店名,ご利用金額\r\n"));
    EXPECT_EQ(ReadImportSettings(dir.Path()), settings);

    test::WriteBytes(dir.Path() + "torikomi.dat", "R,2,0,a\r\nR,31,0,b\r\n");
    try {
        ReadImportSettings(dir.Path());
        ADD_FAILURE() << "a damaged file was read";
    } catch (const LedgerError& e) {
        EXPECT_EQ(std::string(e.what()), "ファイル「" + dir.Path() +
                                             "torikomi.dat」の 2 行目を読み込めません: "
                                             "値「31」が範囲外です (行: R,31,0,b)");
    }
}

}  // namespace
}  // namespace kakeibo

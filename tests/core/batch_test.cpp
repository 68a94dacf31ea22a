#include "core/cli/batch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "core/files/ledger_lock.h"
#include "core/sjis.h"
#include "test_files.h"

namespace kakeibo {
namespace {

namespace fs = std::filesystem;

// An install in a scratch prefix that its user never started: the program without masters
// beside it, the shipped masters in share/, no configuration folder yet.
class BatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root + "bin");
        fs::create_directories(root + "share");
        fs::create_directories(root + "ledgers");
        for (const char* master : {"kamoku.dat", "hojyo.dat"}) {
            fs::copy_file(std::string(KAKEIBO_DATA_DIR) + master, root + "share/" + master);
        }
        setup.ExeDir = root + "bin/";
        setup.SharedDir = root + "share/";
        setup.Env.Home = root + "home";
    }

    void Write(const std::string& path, const std::string& utf8) {
        fs::create_directories(fs::path(root + path).parent_path());
        test::WriteBytes(root + path, EncodeCp932(utf8));
    }

    // Status, then standard output, then standard error.
    std::string Run(std::vector<std::string> args) {
        std::ostringstream out;
        std::ostringstream err;
        const int status =
            RunWithoutWindow(ParseCommandLine(args, root + "ledgers"), setup, out, err);
        return std::to_string(status) + "|" + out.str() + "|" + err.str();
    }

    std::set<std::string> Files() const {
        std::set<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            files.insert(entry.path().string());
        }
        return files;
    }

    test::TempDir dir;
    const std::string root = dir.Path();
    ProcessSetup setup;
};

TEST_F(BatchTest, CheckPrintsTheProblemThatRefusesALoadOrEachWarning) {
    const std::string good = "2026,3,2,2,0,0,0,700,0,八百屋,野菜\r\n";
    const struct {
        const char* file;
        std::string text;  // its last line is the damaged one
        const char* reason;
    } damages[] = {
        {"k.nbd", good + "2026,3,2,2,0,0,0,700", "区切りのカンマが 10 個ありません"},
        {"k.nbd", "2026,3,x,2,0,0,0,700,0,,", "'x' は数値ではありません"},
        {"k.nbd", "2026,13,2,2,0,0,0,700,0,,", "月 13 が 1 から 12 の範囲にありません"},
        {"k.nbd", "2026,3,32,2,0,0,0,700,0,,", "日 32 が 1 から 31 の範囲にありません"},
        {"k.nbd", "2026,3,2,30,0,0,0,700,0,,", "科目 30 が 0 から 29 の範囲にありません"},
        {"k.nbd", "2026,3,2,2,0,0,5,700,0,,", "補助 5 が 0 から 4 の範囲にありません"},
        {"k.nbd", "2026,3,2,2,0,0,0,0,0,,", "金額 0 が 1 円未満です"},
        {"ky.dat", "0\r\n0\r\n1万", "'1万' は数値ではありません"},
        {"kr.dat", "0\r\n1000000000000000",
         "残高 1000000000000000 が -999999999999999 から 999999999999999 の範囲にありません"},
    };
    for (const auto& damage : damages) {
        fs::remove_all(root + "ledgers");
        Write("ledgers/k.nbd", good);
        Write(std::string("ledgers/") + damage.file, damage.text + "\r\n");
        const size_t line = std::count(damage.text.begin(), damage.text.end(), '\n') + 1;
        const std::string last = damage.text.substr(damage.text.rfind('\n') + 1);
        EXPECT_EQ(Run({"--check", "k.nbd"}), "1|読み込めません: ファイル「" + root + "ledgers/" +
                                                 damage.file + "」の " + std::to_string(line) +
                                                 " 行目を読み込めません: " + damage.reason +
                                                 " (行: " + last + ")\n|");
    }
    // A tax kind edited by hand beyond 0..2 loads (it counts at its amount).
    fs::remove_all(root + "ledgers");
    Write("ledgers/k.nbd", "2026,3,2,2,0,0,0,700,3,,\r\n");
    EXPECT_EQ(Run({"--check", "k.nbd"}),
              "0|" + root + "ledgers/k.nbd: 読み込めます（明細 1 件）\n|");
    fs::remove_all(root + "ledgers");
    std::string full;
    for (int i = 0; i <= kSlotCount; ++i) full += "2026,1,1,2,0,0,0,1,0,,\r\n";
    Write("ledgers/k.nbd", full);
    EXPECT_NE(Run({"--check", "k.nbd"}).find("1001 行目を読み込めません: 1 月の明細が 1000 件"),
              std::string::npos);
    EXPECT_EQ(Run({"--check", "none.nbd"}),
              "1|読み込めません: ファイル名none.nbdは見つかりませんでした。\n|");

    // Damaged settings and missing masters warn, as a start would, and the ledger loads.
    Write("ledgers/k.nbd", good + good);
    EXPECT_EQ(Run({"--check", "k.nbd"}),
              "0|" + root + "ledgers/k.nbd: 読み込めます（明細 2 件）\n|");
    Write("home/.config/kakeibo/rozed.ini", "/x/\r\nk\r\n多い\r\n");
    setup.SharedDir = root + "nowhere/";
    EXPECT_EQ(Run({"--check", "k.nbd"}),
              "0|警告: ファイル「" + root +
                  "home/.config/kakeibo/rozed.ini」の 3 行目を読み込めません: '多い' は数値では"
                  "ありません (行: 多い)\n警告: 科目ファイルが見つかりませんでした。\n"
                  "警告: 補助ファイルが見つかりませんでした。\n" +
                  root + "ledgers/k.nbd: 読み込めます（明細 2 件）\n|");
}

TEST_F(BatchTest, ExportWritesOnlyItsOutputWithTheMastersAndSettingsTheWindowWouldRead) {
    Write("ledgers/k.nbd",
          "2026,3,2,2,0,0,0,700,0,八百屋,野菜,果物\r\n2026,3,9,2,0,0,0,1000,1,,\r\n");
    const std::set<std::string> before = Files();
    EXPECT_EQ(Run({"--export", "list", "--month", "3", "-o", "../out.csv", "k.nbd"}), "0||");
    const std::string list =
        "日,お店の名前等,項　目1,細　目1,項　目2,細　目2,金　額,メ　モ\r\n"
        "2,八百屋,食費,食料品,財布・現金,お財布,700,野菜果物\r\n"
        "9,,食費,食料品,財布・現金,お財布,1000,\r\n,,,,,,,\r\n";
    EXPECT_EQ(test::ReadBytes(root + "out.csv"), EncodeCp932(list));
    std::set<std::string> after = Files();
    after.erase(root + "out.csv");
    EXPECT_EQ(after, before) << "no settings, data folder or copied masters";
    EXPECT_EQ(Run({"--export", "list", "--month", "3", "--encoding", "utf-8", "k.nbd"}),
              "0|" + list + "|");

    // The user's settings hide items without money; the excluded 1,000 counts its 8 % tax.
    Write("home/.config/kakeibo/rozed.ini", "/x/\r\nk\r\n30\r\n30\r\nTrue\r\n");
    EXPECT_TRUE(Run({"--export", "0", "--month", "3", "--encoding", "utf-8", "k.nbd"})
                    .starts_with("0|,前月実績,当月実績,当月予算,予算達成率,累計\r\n"
                                 "食費,         0,     1780,         0,     0.00%,     1780\r\n"
                                 ",,,,,\r\n"));
    // The ledger's year is the calendar's: 2026 had no 29 February.
    EXPECT_EQ(Run({"--export", "0", "--month", "2", "--day", "29", "k.nbd"}),
              "2||kakeibo: 2026 年 2 月に 29 日はありません\n");
    EXPECT_EQ(Run({"--export", "0", "--month", "3", "none.nbd"}),
              "1||kakeibo: 読み込めません: ファイル名none.nbdは見つかりませんでした。\n");
    EXPECT_NE(
        Run({"--export", "0", "--month", "3", "-o", "/no/x.csv", "k.nbd"}).find("1||kakeibo: "),
        std::string::npos);

    // 年別推移 reads the other ledger of the folder beside this one, and leaves it as it was.
    Write("ledgers/j.nbd", "2025,5,1,2,0,0,0,300,0,,\r\n");
    const std::string other = test::ReadBytes(root + "ledgers/j.nbd");
    EXPECT_TRUE(Run({"--export", "年別推移", "--month", "3", "--encoding", "utf-8", "k.nbd"})
                    .starts_with("0|,2025年,2026年,平均\r\n2025年〜2026年の家計簿,,,\r\n"));
    EXPECT_EQ(test::ReadBytes(root + "ledgers/j.nbd"), other);
}

// A bank's statement as it comes, listed as the import window would show it: the account
// proposed from the shops, the rules and learning of the data folder, the duplicate window.
TEST_F(BatchTest, ImportDryRunListsEveryLineWithItsStateAndWritesNothing) {
    Write("ledgers/k.nbd",
          "2026,5,10,2,1,1,0,1200,0,レストラン青山,\r\n2026,6,30,4,0,1,0,80000,0,家賃,\r\n");
    Write("ledgers/torikomi.dat", "R,20,0,キユウヨ\r\n");
    test::WriteBytes(root + "meisai.csv",
                     "普通預金 入出金明細\r\n"
                     "勘定日,お取引内容,お引出金額（円）,お預入金額（円）,差引残高（円）\r\n"
                     "2026/06/27,ﾔﾁﾝ,\"80,000\",,\"500,000\"\r\n"
                     "2026/06/12,レストラン青山 本店,\"3,400\",,\"580,000\"\r\n"
                     "2026/06/25,ｷﾕｳﾖ,,\"250,000\",\"830,000\"\r\n"
                     "2026/06/26,=cmd|' /C calc'!A0,500,,\r\n"
                     "2026/13/01,エラー,100,,\r\n"
                     "2026/06/29,Café \"x\",700,,\r\n"
                     "2026/06/28,\"未閉,100,,\r\n"
                     "2026/06/30,レストラン青山,1200,,\r\n");
    const std::set<std::string> before = Files();
    const std::string heading = "行,日付,金額,入出金,項目,細目,お店,メモ,状態,理由\r\n";
    const std::string lines =
        "4,2026/06/12,\"3,400\",出金,食費,外食,レストラン青山 本店,,取り込み,過去の記入から\r\n"
        "5,2026/06/25,\"250,000\",入金,給与,夫,キユウヨ,,取り込み,ルール「キユウヨ」\r\n"
        "6,2026/06/26,500,出金,,,'=cmd|' /C calc'!A0,,未割当,"
        "ルールにも過去の記入にも当たりません\r\n"
        "7,,,,,,,,読めません,日付「2026/13/01」を読めません\r\n"
        "8,2026/06/29,700,出金,,,\"Café \"\"x\"\"\",,読めません,保存できない文字「é」があります\r\n"
        "9,,,,,,,,読めません,引用符が閉じられていません\r\n"
        "10,2026/06/30,\"1,200\",出金,食費,外食,レストラン青山,,取り込み,過去の記入から\r\n";
    EXPECT_EQ(Run({"--import", "../meisai.csv", "--dry-run", "k.nbd"}),
              "0|" + heading +
                  "3,2026/06/27,\"80,000\",出金,,,ヤチン,,重複の可能性,"
                  "2026/06/30 に同じ金額の記入があります\r\n" +
                  lines + "|");
    // A narrower window, the account named: the rent is no longer the written entry.
    EXPECT_EQ(Run({"--import", "../meisai.csv", "--dry-run", "--days", "2", "--account",
                   "銀行口座/普通預金", "k.nbd"}),
              "0|" + heading +
                  "3,2026/06/27,\"80,000\",出金,,,ヤチン,,未割当,"
                  "ルールにも過去の記入にも当たりません\r\n" +
                  lines + "|");
    EXPECT_EQ(Files(), before) << "a dry run writes nothing";

    const std::string statement = root + "meisai.csv";
    EXPECT_EQ(Run({"--import", "../none.csv", "--dry-run", "k.nbd"}),
              "1||kakeibo: ファイル「" + root +
                  "none.csv」を開けませんでした。ファイルまたはフォルダが見つかりません\n");
    test::WriteBytes(root + "meisai.csv", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    EXPECT_EQ(Run({"--import", "../meisai.csv", "--dry-run", "k.nbd"}),
              "1||kakeibo: ファイル「" + statement +
                  "」は明細として読めません。文字ではないデータが含まれています"
                  "（明細のファイルではありません）\n");
    // The write form: the checked lines as one change, saved with a backup; the statement's
    // account and columns remembered; the same file again finds every line written.
    test::WriteBytes(statement,
                     "日付,摘要,金額\r\n2026/06/12,レストラン青山 本店,3400\r\n"
                     "2026/06/13,八百屋,500\r\n2026/06/30,レストラン青山,1200\r\n");
    const std::string ledgerBytes = test::ReadBytes(root + "ledgers/k.nbd");
    fs::create_directories(root + "home/.config/kakeibo");  // as the program's first start made it
    {
        LedgerLock other;
        ASSERT_EQ(other.Take(root + "ledgers/.k.lock", {}, nullptr), LockOutcome::Taken);
        const std::string refused = Run({"--import", "../meisai.csv", "k.nbd"});
        EXPECT_TRUE(refused.starts_with("1||kakeibo: 家計簿「" + root +
                                        "ledgers/k.nbd」はほかの"
                                        "プログラム（"))
            << refused;
        EXPECT_TRUE(refused.ends_with("が開いています。何も書き込んでいません\n")) << refused;
        EXPECT_EQ(test::ReadBytes(root + "ledgers/k.nbd"), ledgerBytes);
    }
    EXPECT_EQ(Run({"--import", "../meisai.csv", "k.nbd"}),
              "0|2件を取り込みました（6月 2件）\n|kakeibo: 取り込まなかった行が 1 行あります"
              "（理由は --dry-run で表示されます）\n");
    EXPECT_EQ(test::ReadBytes(root + "ledgers/k.nbd"),
              ledgerBytes + EncodeCp932("2026,6,12,2,1,1,0,3400,0,レストラン青山 本店,\r\n"
                                        "2026,6,30,2,1,1,0,1200,0,レストラン青山,\r\n"));
    EXPECT_FALSE(fs::exists(root + "ledgers/k.journal"));
    EXPECT_FALSE(fs::exists(root + "ledgers/.k.lock"));
    EXPECT_TRUE(fs::exists(root + "ledgers/backup/k"));
    EXPECT_EQ(test::ReadBytes(root + "ledgers/torikomi.dat"),
              EncodeCp932("R,20,0,キユウヨ\r\nS,1,0,0,1,2,-1,-1,-1,1,日付,摘要,金額\r\n"));
    EXPECT_EQ(Run({"--import", "../meisai.csv", "k.nbd"}),
              "0|取り込む行はありませんでした\n|kakeibo: 取り込まなかった行が 3 行あります"
              "（理由は --dry-run で表示されます）\n");

    EXPECT_EQ(Run({"--import", "../meisai.csv", "--account", "銀行口座/当座", "k.nbd"}),
              "2||kakeibo: 口座 '銀行口座/当座' はありません（口座の項目と細目を「項目/細目」で"
              "指定してください）\n");
}

TEST_F(BatchTest, OutputNeverReplacesAFileOfTheProgramNorAnythingButARegularFile) {
    Write("ledgers/k.nbd", "2026,3,2,2,0,0,0,700,0,八百屋,野菜,\r\n");
    Write("ledgers/kr.dat", "0\r\n");
    Write("ledgers/ky.dat", "0\r\n");
    Write("ledgers/mise.dat", "八百屋\r\n");
    Write("ledgers/torikomi.dat", "x\r\n");
    Write("ledgers/k.journal", "KAKEIBOJ");
    Write("ledgers/backup/k/1-20260301/k.nbd", "old\r\n");
    Write("home/.config/kakeibo/rozed.ini", "/x/\r\nk\r\n");
    Write("home/.config/kakeibo/kamoku.dat", "x\r\n");
    fs::create_directory_symlink(root + "ledgers", root + "link");
    fs::create_hard_link(root + "ledgers/k.nbd", root + "other.csv");
    fs::create_directory(root + "folder");
    const struct {
        std::string output;
        bool refused;
    } rows[] = {
        {"k.nbd", true},
        {"kr.dat", true},
        {"ky.dat", true},
        {"mise.dat", true},
        {"torikomi.dat", true},
        {"k.journal", true},
        {".k.lock", true},
        {"new.nbd", true},
        {"backup/k/1-20260301/k.nbd", true},
        {"../home/.config/kakeibo/rozed.ini", true},
        {"../home/.config/kakeibo/kamoku.dat", true},
        {"../link/k.nbd", true},  // through a linked folder
        {"../other.csv", true},   // the ledger under a second name
        {"../folder", true},
        {"out.csv", false},
        {"../out.csv", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.output);
        const std::set<std::string> before = Files();
        const std::string nbd = test::ReadBytes(root + "ledgers/k.nbd");
        const std::string result =
            Run({"--export", "list", "--month", "3", "-o", row.output, "k.nbd"});
        if (row.refused) {
            EXPECT_TRUE(result.starts_with("2||kakeibo: ")) << result;
            EXPECT_TRUE(result.ends_with("ので、書き出し先にできません\n")) << result;
            EXPECT_EQ(std::count(result.begin(), result.end(), '\n'), 1);
            EXPECT_EQ(Files(), before);
            EXPECT_EQ(test::ReadBytes(root + "ledgers/k.nbd"), nbd);
        } else {
            EXPECT_EQ(result, "0||");
        }
    }
    // What every other output must hold: the same list.
    const std::string csv = test::ReadBytes(root + "out.csv");
    EXPECT_NE(csv.find(",700,"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(root + "ledgers/out.csv"), csv);

    // A link is followed: its target gets the text and the link stays a link.
    fs::create_symlink(root + "out.csv", root + "ledgers/to-out.csv");
    test::WriteBytes(root + "out.csv", "old");
    EXPECT_EQ(Run({"--export", "list", "--month", "3", "-o", "to-out.csv", "k.nbd"}), "0||");
    EXPECT_TRUE(fs::is_symlink(root + "ledgers/to-out.csv"));
    EXPECT_EQ(test::ReadBytes(root + "out.csv"), csv);

    // A device and a pipe are written where they are, never replaced by a file.
    EXPECT_EQ(Run({"--export", "list", "--month", "3", "-o", "/dev/null", "k.nbd"}), "0||");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    ASSERT_EQ(::mkfifo((root + "pipe").c_str(), 0600), 0);
    std::string piped;
    std::thread reader([&] { piped = test::ReadBytes(root + "pipe"); });
    EXPECT_EQ(Run({"--export", "list", "--month", "3", "-o", "../pipe", "k.nbd"}), "0||");
    reader.join();
    EXPECT_EQ(piped, csv);
    EXPECT_TRUE(fs::is_fifo(root + "pipe"));
}

TEST_F(BatchTest, CheckNamesWhyAFileThatIsThereCannotBeRead) {
    fs::create_directories(root + "ledgers/k.nbd");
    EXPECT_EQ(Run({"--check", "k.nbd"}), "1|読み込めません: ファイル「" + root +
                                             "ledgers/k.nbd」を読み込めません。フォルダです\n|");
}

}  // namespace
}  // namespace kakeibo

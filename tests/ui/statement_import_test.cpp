#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>

#include "core/files/file_io.h"
#include "core/files/group_write.h"
#include "core/files/ledger_writers.h"
#include "core/ledger/change.h"
#include "core/sjis.h"
#include "core/test_files.h"
#include "entry_fixture.h"
#include "ui/import/statement_window.h"
#include "ui/support/screenshot.h"
#include "ui/window/workspace.h"

namespace kakeibo::test {
namespace {

class FakeWorkspace final : public Workspace {
public:
    void AllUpdate() override { ++Updates; }
    void SelectDate(const Date&) override {}
    void FormVisible(QObject*, bool) override {}
    void RefillItemLists() override {}
    void Apply(const Change& change) override {
        Changes.push_back(change);
        ++Updates;
    }
    int Updates = 0;
    std::vector<Change> Changes;
};

using test::ReadBytes;

class StatementImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillMasters(*ledger);
        ledger->EditDate = Date{2026, 7, 12};
        ledger->EditMonth = 7;
        ledger->EditMonthIndex = 6;
        ledger->DataDir = Dir();
    }

    std::string Dir() const { return folder.path().toStdString() + "/"; }

    // Writes the statement and the household's import file, opens the window and the file.
    TFormMeisai& Open(const std::string& statementBytes, const std::string& settings = "") {
        WriteFileAtomic(Dir() + "meisai.csv", statementBytes, false);
        if (!settings.empty())
            WriteFileAtomic(Dir() + "torikomi.dat", EncodeCp932(settings), false);
        form = std::make_unique<TFormMeisai>(*ledger, workspace, nullptr);
        platform.FileAnswers.push_back(QString::fromStdString(Dir() + "meisai.csv"));
        form->show();
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        return *form;
    }

    // Each grid row as "check|date|shop|amount|direction|item|sub-item|status".
    std::vector<std::string> Grid() const {
        std::vector<std::string> rows;
        QAbstractItemModel* model = form->SG1->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells{model->index(r, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked
                                  ? QStringLiteral("✓")
                                  : QStringLiteral("-")};
            for (int c = 1; c < 8; ++c) cells << model->index(r, c).data().toString();
            rows.push_back(cells.join(QLatin1Char('|')).toStdString());
        }
        return rows;
    }

    void ClickCheck(int row) {
        const QRect cell = form->SG1->visualRect(form->SG1->model()->index(row, 0));
        QTest::mouseClick(form->SG1->viewport(), Qt::LeftButton, {}, cell.center());
    }

    // F2 on the cell, then the editor it opens.
    template <typename Editor>
    Editor* Edit(int row, int column) {
        const QModelIndex cell = form->SG1->model()->index(row, column);
        form->SG1->setCurrentIndex(cell);
        QTest::keyClick(form->SG1, Qt::Key_F2);
        return qobject_cast<Editor*>(form->SG1->indexWidget(cell));
    }

    // Return in an editor; the view takes its text in from the event loop.
    static void Commit(QWidget* editor) {
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }

    void Pick(int row, int column, const char* name) {
        auto* list = Edit<QComboBox>(row, column);
        ASSERT_NE(list, nullptr);
        list->setCurrentIndex(list->findText(QString::fromUtf8(name)));
        Commit(list);
    }

    std::vector<std::string> July() const {
        std::vector<std::string> lines;
        for (const std::string& line : EntriesFileLines(*ledger)) {
            if (line.starts_with("2026,7,")) lines.push_back(line);
        }
        return lines;
    }

    FakePlatform platform;
    std::unique_ptr<Ledger> ledger = std::make_unique<Ledger>();
    FakeWorkspace workspace;
    QTemporaryDir folder;
    std::unique_ptr<TFormMeisai> form;
};

const char* const kBankStatement =
    "みずほ銀行 入出金明細\r\n"
    "日付,摘要,お引出金額,お預入金額,残高\r\n"
    "2026/07/01,ｾﾌﾞﾝｲﾚﾌﾞﾝ,500,,9500\r\n"
    "2026/07/02,ﾏﾙｴﾂ,\"1,200\",,8300\r\n"
    "2026/07/03,ｶﾌｪ ﾄﾞﾄｰﾙ,380,,7920\r\n"
    "2026/07/05,JR,180,,7740\r\n"
    "2026/07/25,ｷﾕｳﾖ,,\"250,000\",257740\r\n"
    "2026/13/01,ｴﾗｰ,100,,0\r\n";

TEST_F(StatementImportTest, PreviewEditedInPlaceThenImportedAsOneChange) {
    ledger->EntryTable[6][0] = Entry(7, 2, 3, 0, 0, 0, 980);  // マルエツ was 日用品・洗剤
    ledger->EntryTextTable[6][0] = {"マルエツ", ""};
    ledger->EntryTable[6][1] = Entry(7, 5, 2, 1, 1, 0, 180);  // the fare, already typed
    ledger->EntryTextTable[6][1] = {"JR", ""};
    ledger->NextSlot = 2;
    ledger->EntryTable[5][0] = Entry(6, 20, 2, 1, 1, 0, 500);  // JR again, from みずほ
    ledger->EntryTextTable[5][0] = {"JR", ""};
    TFormMeisai& w = Open(EncodeCp932(kBankStatement), "R,2,0,セブン\r\nR,5,0,キユウヨ\r\n");
    // The lists name the header's columns; the account the shops were paid from is proposed.
    EXPECT_EQ(w.ComboBox1->currentText(), QStringLiteral("日付（1列目）"));
    EXPECT_EQ(w.ComboBox4->currentText(), QStringLiteral("お引出金額（3列目）"));
    EXPECT_EQ(w.ComboBox8->currentText(), QStringLiteral("銀行・みずほ"));
    EXPECT_EQ(w.SpinEdit1->value(), 5);
    w.ComboBox8->setCurrentIndex(w.ComboBox8->findText(QStringLiteral("銀行・みずほ")));

    EXPECT_EQ(Grid(), (std::vector<std::string>{
                          "✓|2026/07/01|セブンイレブン|500|出金|食費|食料品|ルール「セブン」",
                          "✓|2026/07/02|マルエツ|1,200|出金|日用品|洗剤|過去の記入から",
                          "-|2026/07/03|カフェ ドトール|380|出金|||未割当",
                          "-|2026/07/05|JR|180|出金|食費|外食|重複の可能性",
                          "✓|2026/07/25|キユウヨ|250,000|入金|給与|本給|ルール「キユウヨ」",
                      }));
    EXPECT_EQ(w.Memo1->toPlainText(),
              QStringLiteral("取り込まない行 1行\n8行目：日付「2026/13/01」を読めません"));
    EXPECT_EQ(w.Label2->text(), QStringLiteral("選択 3件　出金 1,700円　入金 250,000円"));

    ClickCheck(2);  // refused until the line has an item
    EXPECT_EQ(platform.Beeps, 1);
    Pick(2, 5, "食費");
    Pick(2, 6, "外食");
    ClickCheck(1);
    EXPECT_EQ(Grid()[1], "-|2026/07/02|マルエツ|1,200|出金|日用品|洗剤|過去の記入から");
    EXPECT_EQ(Grid()[2], "✓|2026/07/03|カフェ ドトール|380|出金|食費|外食|手動で選択");
    EXPECT_EQ(w.Label2->text(), QStringLiteral("選択 3件　出金 880円　入金 250,000円"));
    SaveScreenshot(w, QStringLiteral("statement_import"));

    QTest::mouseClick(w.Button7, Qt::LeftButton);
    EXPECT_EQ(July(), (std::vector<std::string>{"2026,7,2,3,0,0,0,980,0,マルエツ,",
                                                "2026,7,5,2,1,1,0,180,0,JR,",
                                                "2026,7,1,2,0,1,0,500,0,セブンイレブン,",
                                                "2026,7,3,2,1,1,0,380,0,カフェ ドトール,",
                                                "2026,7,25,1,0,5,0,250000,2,キユウヨ,"}));
    EXPECT_TRUE(ledger->LedgerChanged);
    EXPECT_EQ(ledger->NextSlot, 5);
    EXPECT_EQ(workspace.Updates, 1);
    ASSERT_EQ(workspace.Changes.size(), 1u);
    EXPECT_EQ(workspace.Changes[0].Kind, ChangeKind::Import);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Kind, MessageKind::Information);
    EXPECT_EQ(platform.Boxes[0].Text, QStringLiteral("3件を取り込みました（7月 3件）"));
    // The source is remembered with its columns and account; the rules stay as they were.
    EXPECT_EQ(ReadBytes(Dir() + "torikomi.dat"),
              EncodeCp932("R,2,0,セブン\r\nR,5,0,キユウヨ\r\n"
                          "S,1,0,0,1,-1,2,3,-1,1,日付,摘要,お引出金額,お預入金額,残高\r\n"));
}

TEST_F(StatementImportTest, AFullMonthRefusesTheWholeImport) {
    for (int s = 0; s < kSlotCount - 1; ++s) {
        ledger->EntryTable[6][s] = Entry(7, 1, 2, 0, 0, 0, 100 + s);
    }
    ledger->NextSlot = kSlotCount - 1;
    const auto before = std::make_unique<Ledger>(*ledger);
    TFormMeisai& w = Open(EncodeCp932(kBankStatement),
                          "R,2,0,セブン\r\nR,5,0,キユウヨ\r\n"
                          "S,1,0,0,1,-1,2,3,-1,1,日付,摘要,お引出金額,お預入金額,残高\r\n");
    EXPECT_EQ(w.ComboBox8->currentText(), QStringLiteral("銀行・みずほ"));  // remembered

    QTest::mouseClick(w.Button7, Qt::LeftButton);
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Kind, MessageKind::Warning);
    EXPECT_EQ(platform.Boxes[0].Text,
              QStringLiteral("7月の入力件数が上限の1000件を超えます（記入済み 999件、追加 "
                             "2件）。何も記入していません。"));
    EXPECT_EQ(ledger->EntryTable, before->EntryTable);
    EXPECT_EQ(ledger->EntryTextTable, before->EntryTextTable);
    EXPECT_FALSE(ledger->LedgerChanged);
    EXPECT_EQ(workspace.Updates, 0);
    EXPECT_TRUE(workspace.Changes.empty());
    EXPECT_TRUE(w.isVisible());
}

TEST_F(StatementImportTest, ALineBecomesARuleAndAnUnstorableShopIsEditedInPlace) {
    // An older, more general rule books every カフェ as 食料品.
    TFormMeisai& w = Open(
        "\xEF\xBB\xBF利用日,利用店名,利用金額\n2026/07/03,ｶﾌｪ ﾄﾞﾄｰﾙ 新宿,380\n"
        "2026/07/09,ｶﾌｪ ﾄﾞﾄｰﾙ 新宿,420\n2026/07/10,Café Tokyo,600\n",
        "R,2,0,カフェ\r\n");
    w.SG1->setCurrentIndex(w.SG1->model()->index(2, 2));
    QTest::mouseClick(w.Button2, Qt::LeftButton);
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Text, QStringLiteral("項目を選んでからルールに追加してください。"));

    Pick(0, 5, "食費");
    Pick(0, 6, "外食");
    w.SG1->setCurrentIndex(w.SG1->model()->index(0, 2));
    QTest::mouseClick(w.Button2, Qt::LeftButton);
    EXPECT_EQ(w.ListBox1->item(0)->text(),
              QStringLiteral("摘要に「カフェ ドトール 新宿」を含む → 食費・外食"));
    EXPECT_EQ(Grid(), (std::vector<std::string>{
                          "✓|2026/07/03|カフェ ドトール 新宿|380|出金|食費|外食|手動で選択",
                          "✓|2026/07/09|カフェ ドトール 新宿|420|出金|食費|外食|"
                          "ルール「カフェ ドトール 新宿」",
                          "-|2026/07/10|Café Tokyo|600|出金|||保存できない文字「é」",
                      }));
    EXPECT_EQ(ReadBytes(Dir() + "torikomi.dat"),
              EncodeCp932("R,2,1,カフェ ドトール 新宿\r\nR,2,0,カフェ\r\n"));

    auto* shop = Edit<QLineEdit>(2, 2);
    ASSERT_NE(shop, nullptr);
    shop->selectAll();
    QTest::keyClicks(shop, "Cafe Tokyo");
    Commit(shop);
    EXPECT_EQ(Grid()[2], "-|2026/07/10|Cafe Tokyo|600|出金|||未割当");

    // The statement's own account (現金・お財布) is never a line's item: a transfer to itself.
    Pick(2, 5, "現金");
    EXPECT_EQ(Grid()[2], "✓|2026/07/10|Cafe Tokyo|600|出金|現金|小銭入れ|手動で選択");
    Pick(2, 6, "お財布");
    EXPECT_EQ(platform.Beeps, 1);
    EXPECT_EQ(Grid()[2], "✓|2026/07/10|Cafe Tokyo|600|出金|現金|小銭入れ|手動で選択");
}

TEST_F(StatementImportTest, TheDuplicateWindowIsShownChangedAndKeptWithTheStatement) {
    // Rent written at the month's end; the bank debited it three days before.
    ledger->EntryTable[6][0] = Entry(7, 31, 3, 0, 1, 0, 80000);
    ledger->EntryTextTable[6][0] = {"家賃", ""};
    ledger->NextSlot = 1;
    const std::string header = "日付,摘要,お引出金額,お預入金額,残高";
    TFormMeisai& w =
        Open(EncodeCp932(header + "\r\n2026/07/28,ﾔﾁﾝ,\"80,000\",,9500\r\n"),
             "R,3,0,ヤチン\r\nS,1,0,0,1,-1,2,3,-1,1," + header + "\r\nW,4," + header + "\r\n");
    EXPECT_EQ(w.SpinEdit1->value(), 4);
    EXPECT_EQ(Grid()[0], "-|2026/07/28|ヤチン|80,000|出金|日用品|洗剤|重複の可能性");
    w.SpinEdit1->setValue(2);
    EXPECT_EQ(Grid()[0], "✓|2026/07/28|ヤチン|80,000|出金|日用品|洗剤|ルール「ヤチン」");
    w.SpinEdit1->setValue(3);
    EXPECT_EQ(Grid()[0], "-|2026/07/28|ヤチン|80,000|出金|日用品|洗剤|重複の可能性");
    w.SpinEdit1->setValue(2);

    QTest::mouseClick(w.Button7, Qt::LeftButton);
    EXPECT_EQ(July(), (std::vector<std::string>{"2026,7,31,3,0,1,0,80000,0,家賃,",
                                                "2026,7,28,3,0,1,0,80000,0,ヤチン,"}));
    EXPECT_EQ(platform.Boxes.back().Text, QStringLiteral("1件を取り込みました（7月 1件）"));
    EXPECT_EQ(ReadBytes(Dir() + "torikomi.dat"),
              EncodeCp932("R,3,0,ヤチン\r\nS,1,0,0,1,-1,2,3,-1,1," + header + "\r\nW,2," + header +
                          "\r\n"));
}

}  // namespace
}  // namespace kakeibo::test

#include "ui/search/search_form.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include "core/sjis.h"
#include "entry_fixture.h"
#include "ui/controls/border_label.h"
#include "ui/support/screenshot.h"

namespace kakeibo::test {
namespace {

using Lines = std::vector<std::string>;

class SearchFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillMasters(*ledger);
        Put(4, 0, Entry(4, 20, 2, 1, 0, 0, 1500), "八百屋", "野菜");
        Put(4, 1, Entry(4, 2, 0, 0, 1, 0, 30000), "みずほ銀行", "引き出し");
        Put(5, 0, Entry(5, 9, 2, 0, 1, 1, 800), "スーパー八百", "牛乳");
        Put(5, 1, Entry(5, 1, 2, 1, 0, 0, 1500), "Tokyo Gas", "");
        form.SetHistories(
            [] {
                return std::vector<std::string>{"八百屋", "Tokyo Gas"};
            },
            [] { return std::vector<std::string>{"野菜"}; });
        form.show();
    }

    void Put(int month, int slot, const EntryRecord& e, const char* shop, const char* memo) {
        ledger->EntryTable[month - 1][slot] = e;
        ledger->EntryTextTable[month - 1][slot] = EntryText{shop, memo};
    }

    void Search() { QTest::mouseClick(form.Button1, Qt::LeftButton); }

    void ClickHeading(int column, Qt::MouseButton button = Qt::LeftButton) {
        QHeaderView* headings = form.SG1->horizontalHeader();
        const int x = column < kHitColumns ? headings->sectionViewportPosition(column) + 40
                                           : headings->length() + 2;
        QTest::mouseClick(headings->viewport(), button, {}, QPoint(x, 12));
    }

    // Column 0 to 3 of every grid row below the heading, joined by "|".
    std::vector<std::string> Grid() const {
        std::vector<std::string> rows;
        for (int r = 0; r < form.HitRowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < kHitColumns; ++c) cells << form.HitCell(r, c);
            rows.push_back(cells.join(QLatin1Char('|')).toStdString());
        }
        return rows;
    }

    std::vector<std::string> Labels() const {
        std::vector<std::string> texts;
        for (const TBorderLabel* l :
             {form.BL7, form.BL11, form.BL9, form.BL8, form.BL12, form.BL10})
            texts.push_back(l->text().toStdString());
        return texts;
    }

    FakePlatform platform;
    std::unique_ptr<Ledger> ledger = std::make_unique<Ledger>();
    TForm6 form{*ledger};
};

TEST_F(SearchFormTest, AnItemAndAShopFindTheirEntriesWithTheHighestAndLowest) {
    for (int i = 0; i < 3; ++i) QTest::keyClick(form.ComboBox1, Qt::Key_Down);  // 食費
    EXPECT_EQ(form.ComboBox2->itemText(2), QStringLiteral("外食"));
    form.ComboBox3->lineEdit()->setFocus();
    QTest::sendKeyEvent(QTest::Click, form.ComboBox3->lineEdit(), Qt::Key_unknown,
                        QStringLiteral("八百"), {});
    QTest::keyClick(form.ComboBox3->lineEdit(), Qt::Key_Return);

    EXPECT_EQ(Labels(), (Lines{"4月20日", "    1,500円　", "八百屋", "5月9日", "      800円　",
                               "スーパー八百"}));
    EXPECT_EQ(Grid(),
              (Lines{"4月20日|    1,500円|八百屋|野菜", "5月9日|      800円|スーパー八百|牛乳"}));
    SaveScreenshot(form, QStringLiteral("search_form"));
}

TEST_F(SearchFormTest, OnlyALeftClickOnAHeadingSorts) {
    Search();
    const Lines byDate = {"4月2日|   30,000円|みずほ銀行|引き出し",
                          "4月20日|    1,500円|八百屋|野菜", "5月1日|    1,500円|Tokyo Gas|",
                          "5月9日|      800円|スーパー八百|牛乳"};
    EXPECT_EQ(Grid(), byDate);
    ClickHeading(1, Qt::RightButton);
    EXPECT_EQ(Grid(), byDate);
    ClickHeading(1);
    const Lines byAmount = {byDate[3], byDate[1], byDate[2], byDate[0]};
    EXPECT_EQ(Grid(), byAmount);
    ClickHeading(kHitColumns);  // right of the last column: refilled, not sorted
    EXPECT_EQ(Grid(), byAmount);
    ClickHeading(2);
    EXPECT_EQ(Grid(), (Lines{byDate[2], byDate[0], byDate[3], byDate[1]}));
}

TEST_F(SearchFormTest, EveryYearAddsTheYearColumnAndOpensAnotherYearsLedger) {
    QTemporaryDir folder;
    ledger->DataDir = folder.path().toStdString() + "/";
    ledger->LedgerName = "2026";
    QFile file(folder.filePath(QStringLiteral("2025.nbd")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(EncodeCp932(
        "2025,12,30,2,1,0,0,700,0,八百屋,大根\r\n2025,6,1,2,0,0,0,99999,0,電器店,冷蔵庫\r\n")));
    file.close();
    std::vector<std::pair<std::string, Date>> opened;
    form.SetHitOpener([&](const std::string& path, const Date& date) {
        opened.emplace_back(path, date);
        return true;
    });

    QTest::mouseClick(form.CheckBox1, Qt::LeftButton, {}, QPoint(8, 10));
    form.ComboBox3->setEditText(QStringLiteral("八百"));
    Search();
    const Lines byDate = {"2025|12月30日|      700円|八百屋|大根",
                          "2026|4月20日|    1,500円|八百屋|野菜",
                          "2026|5月9日|      800円|スーパー八百|牛乳"};
    auto grid = [&] {
        Lines rows;
        for (int r = 0; r < form.HitRowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < kYearHitColumns; ++c) cells << form.HitCell(r, c);
            rows.push_back(cells.join(QLatin1Char('|')).toStdString());
        }
        return rows;
    };
    EXPECT_EQ(grid(), byDate);
    EXPECT_EQ(form.SG1->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("年"));
    EXPECT_EQ(Labels(), (Lines{"2026年4月20日", "    1,500円　", "八百屋", "2025年12月30日",
                               "      700円　", "八百屋"}));
    ClickHeading(2);  // 金額
    EXPECT_EQ(grid(), (Lines{byDate[0], byDate[2], byDate[1]}));
    ClickHeading(0);  // 年: the amounts' order stays within a year
    EXPECT_EQ(grid(), (Lines{byDate[0], byDate[2], byDate[1]}));

    // A result of 2025 is opened in its own ledger; the window then closes.
    const QPoint first = form.SG1->visualRect(form.SG1->model()->index(0, 1)).center();
    QTest::mouseClick(form.SG1->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseDClick(form.SG1->viewport(), Qt::LeftButton, {}, first);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].first, ledger->DataDir + "2025.nbd");
    EXPECT_EQ(opened[0].second, (Date{2025, 12, 30}));
    EXPECT_FALSE(form.isVisible());

    // Without 「全ての年」 the year's own search is back, four columns and the open ledger.
    form.show();
    QTest::mouseClick(form.CheckBox1, Qt::LeftButton, {}, QPoint(8, 10));
    form.ComboBox3->setEditText(QStringLiteral("八百"));
    Search();
    EXPECT_EQ(Grid(),
              (Lines{"4月20日|    1,500円|八百屋|野菜", "5月9日|      800円|スーパー八百|牛乳"}));
    form.SG1DblClick(1);
    EXPECT_EQ(opened.at(1).first, ledger->DataDir + "2026.nbd");
    EXPECT_EQ(opened.at(1).second, (Date{2026, 5, 9}));
}

TEST_F(SearchFormTest, NoMatchShowsNoHitTwiceAndOneEmptyRow) {
    form.ComboBox4->setEditText(QStringLiteral("x"));
    Search();
    EXPECT_EQ(Labels(), (Lines{"該当無し", "", "", "該当無し", "", ""}));
    EXPECT_EQ(Grid(), Lines{"|||"});
}

TEST_F(SearchFormTest, ReopeningKeepsTheResultsAndResetsTheConditions) {
    TForm1 main(*ledger);
    main.SetSearchForm(&form);
    form.hide();
    QTest::keyClick(form.ComboBox1, Qt::Key_Down);
    QTest::keyClick(form.ComboBox2, Qt::Key_Down);
    form.ComboBox3->setEditText(QStringLiteral("Tokyo"));
    Search();
    bool modal = false;
    QTimer::singleShot(0, &form, [&] {
        modal = QApplication::activeModalWidget() == &form;
        QTest::mouseClick(form.Button2, Qt::LeftButton);
    });
    main.findChild<QAction*>(QStringLiteral("Find1"))->trigger();

    EXPECT_TRUE(modal);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.ComboBox1->currentText(), QStringLiteral("特に指定しない"));
    EXPECT_EQ(form.ComboBox2->count(), 1);
    EXPECT_EQ(form.ComboBox3->currentText(), QString());
    EXPECT_EQ(form.ComboBox3->itemText(1), QStringLiteral("八百屋"));
    EXPECT_EQ(form.BL9->text(), QStringLiteral("Tokyo Gas"));
    EXPECT_EQ(Grid(), Lines{"5月1日|    1,500円|Tokyo Gas|"});
}

TEST_F(SearchFormTest, TheMainWindowMakesTheSearchWindowAtTheFirstSearchAndKeepsIt) {
    TForm1 main(*ledger);
    int makings = 0;
    main.SetSearchFormMaker([&] {
        ++makings;
        auto* made = new TForm6(*ledger, &main);
        made->SetHistories([] { return std::vector<std::string>{"八百屋"}; },
                           [] { return std::vector<std::string>{}; });
        return made;
    });
    EXPECT_EQ(main.findChild<TForm6*>(), nullptr);
    for (int search = 1; search <= 2; ++search) {
        QString firstShop;
        QTimer::singleShot(0, &main, [&] {
            auto* shown = qobject_cast<TForm6*>(QApplication::activeModalWidget());
            ASSERT_NE(shown, nullptr);
            firstShop = shown->ComboBox3->itemText(1);
            QTest::mouseClick(shown->Button2, Qt::LeftButton);
        });
        main.findChild<QAction*>(QStringLiteral("Find1"))->trigger();
        EXPECT_EQ(makings, 1) << search;
        EXPECT_EQ(firstShop, QStringLiteral("八百屋")) << search;
    }
    EXPECT_NE(main.findChild<TForm6*>(), nullptr);
}

}  // namespace
}  // namespace kakeibo::test

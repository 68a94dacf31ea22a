// The settings dialog: names, kinds, opening balances, history lengths and options.
#include "ui/settings/settings_dialog.h"

#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include "core/files/save.h"
#include "core/sjis.h"
#include "entry_fixture.h"
#include "ui/support/fake_workspace.h"
#include "ui/support/screenshot.h"

namespace kakeibo::test {
namespace {

QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillMasters(*ledger);
        ledger->EditDate = Date{2026, 7, 12};
        ledger->EditMonth = 7;
        ledger->EditMonthIndex = 6;
        entry = std::make_unique<TForm3>(*ledger, workspace);
        entry->show();
        // The main window rebuilds the entry form's lists when asked.
        workspace.OnRefillItemLists = [this] { entry->SetKamoku(entry->CurrentTab()); };
    }
    void TearDown() override { delete dialog.data(); }

    TForm2& Open() {
        dialog = CreateSettingsDialog(*ledger, workspace, nullptr);
        dialog->show();
        return *dialog;
    }
    // Down arrow `times` in a pick-only list, as a user walks it with the keyboard.
    static void Walk(QComboBox* list, int times) {
        for (int i = 0; i < times; ++i) QTest::keyClick(list, Qt::Key_Down);
    }
    // Types over the whole text, as an input method commits it.
    static void TypeOver(QLineEdit* field, const QString& text) {
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(field, &commit);
    }
    static void TypeAmount(TNValEdit* field, const char* digits) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, digits);
    }
    static void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void ClickPage(QWidget* page) {
        QTabBar* bar = dialog->PageControl1->tabBar();
        const int n = dialog->PageControl1->indexOf(page);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(n).center());
    }
    // Lets a closed dialog be destroyed, as the event loop does after a closing.
    static void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    FakePlatform platform;
    FakeWorkspace workspace;
    std::unique_ptr<Ledger> ledger = std::make_unique<Ledger>();
    std::unique_ptr<TForm3> entry;
    QPointer<TForm2> dialog;
};

TEST_F(SettingsDialogTest, PagesButtonsAndCaptionsAsTheUserSeesThem) {
    TForm2& d = Open();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("各種設定"));  // modal: see Ctrl+S below
    QStringList pages;
    for (int n = 0; n < d.PageControl1->count(); ++n) pages << d.PageControl1->tabText(n);
    EXPECT_EQ(pages, QStringList({"基本設定", "繰越設定", "科目名変更"}));
    EXPECT_EQ(d.PageControl1->currentWidget(), d.TabSheet1);
    EXPECT_EQ(QStringList({d.Button1->text(), d.Button2->text(), d.Button3->text()}),
              QStringList({"Ok", "Cancel", "適用"}));
    EXPECT_EQ(d.Label11->text(), QStringLiteral("メイン口座のお財布は変更できません。"));
    EXPECT_EQ(d.Label11->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(Items(d.ComboBox4).mid(0, 2), QStringList({"お財布", "小銭入れ"}));
    EXPECT_EQ(Items(d.ComboBox2), QStringList({"現金", "銀行"}));

    const std::pair<QWidget*, const char*> shots[] = {{d.TabSheet2, "settings_opening"},
                                                      {d.TabSheet3, "settings_basic"},
                                                      {d.TabSheet1, "settings_names"}};
    for (const auto& [page, name] : shots) {
        d.PageControl1->setCurrentWidget(page);
        SaveScreenshot(d, QString::fromUtf8(name));
    }
}

TEST_F(SettingsDialogTest, WalletKeepsItsNameWhateverIsTypedOtherSubItemsTakeTheirs) {
    TForm2& d = Open();
    TypeOver(d.Edit3, QStringLiteral("財布"));
    Walk(d.ComboBox4, 1);
    EXPECT_EQ(d.Edit3->text(), QStringLiteral("小銭入れ"));
    TypeOver(d.Edit3, QStringLiteral("へそくり"));
    Walk(d.ComboBox4, 1);
    QTest::keyClick(d.ComboBox4, Qt::Key_Up);
    EXPECT_EQ(d.Edit3->text(), QStringLiteral("へそくり"));  // the working name comes back
    Click(d.Button1);
    EXPECT_EQ(ledger->SubItemTable[0][0], "お財布");
    EXPECT_EQ(ledger->SubItemTable[0][1], "へそくり");
}

TEST_F(SettingsDialogTest, ARenameIsKeptWhileAnotherItemAccountOrPageIsChosen) {
    TForm2& d = Open();
    Walk(d.ComboBox1, 2);
    TypeOver(d.Edit1, QStringLiteral("食料費"));
    Walk(d.ComboBox1, 1);
    EXPECT_EQ(Items(d.ComboBox1).mid(0, 4), QStringList({"現金", "銀行", "食料費", "日用品"}));
    QTest::keyClick(d.ComboBox1, Qt::Key_Up);
    EXPECT_EQ(d.Edit1->text(), QStringLiteral("食料費"));

    // The account renamed on the names page is named so on the opening balances page; another
    // account chosen there, and the names page again, keep both renames.
    QTest::keyClick(d.ComboBox1, Qt::Key_Home);
    TypeOver(d.Edit1, QStringLiteral("手元現金"));
    ClickPage(d.TabSheet2);
    EXPECT_EQ(Items(d.ComboBox2), QStringList({"手元現金", "銀行"}));
    Walk(d.ComboBox2, 1);
    ClickPage(d.TabSheet1);
    EXPECT_EQ(d.Edit1->text(), QStringLiteral("手元現金"));
    Walk(d.ComboBox1, 2);
    EXPECT_EQ(d.Edit1->text(), QStringLiteral("食料費"));
    EXPECT_EQ(ledger->ItemTable[2].Name, "食費");
    Click(d.Button1);
    EXPECT_EQ(ledger->ItemTable[0].Name, "手元現金");
    EXPECT_EQ(ledger->ItemTable[2].Name, "食料費");
    EXPECT_EQ(Items(entry->ComboBox5), QStringList({"食料費", "日用品", ""}));
    EXPECT_TRUE(platform.Boxes.empty());

    // Cancel still drops every change.
    Settle();
    TForm2& again = Open();
    EXPECT_EQ(again.ComboBox1->itemText(2), QStringLiteral("食料費"));
    Walk(again.ComboBox1, 2);
    TypeOver(again.Edit1, QStringLiteral("食費"));
    Walk(again.ComboBox1, 1);
    Click(again.Button2);
    EXPECT_EQ(ledger->ItemTable[2].Name, "食料費");
}

TEST_F(SettingsDialogTest, OpeningBalancesAreStoredWithTheirSum) {
    for (QPushButton* TForm2::*button : {&TForm2::Button3, &TForm2::Button1}) {
        TForm2& d = Open();
        for (const char* amount : {"100", "200", "0", "0", "12345"}) {
            TypeAmount(d.NValEdit3, amount);
            Walk(d.ComboBox3, 1);
        }
        Walk(d.ComboBox2, 1);
        TypeAmount(d.NValEdit3, "1234567");
        EXPECT_EQ(d.NValEdit3->text(), QStringLiteral("1,234,567"));
        Click(d.*button);
        EXPECT_EQ(ledger->BalanceTable[0][0][1], 200);
        EXPECT_EQ(ledger->BalanceTable[0][0][4], 12345);
        EXPECT_EQ(ledger->BalanceTable[0][0][5], 12645);
        EXPECT_EQ(ledger->BalanceTable[0][1][0], 1234567);
        EXPECT_EQ(ledger->BalanceTable[0][1][5], 1234567);
        ledger->BalanceTable = {};
        delete dialog.data();
    }
}

TEST_F(SettingsDialogTest, ApplyWithAFractionalBalanceSaysSoAndAppliesTheRest) {
    ledger->BalanceTable[0][0][0] = 500;
    TForm2& d = Open();
    TypeAmount(d.NValEdit3, "12.5");
    Click(d.RadioGroup3Items[2]);
    Click(d.Button3);
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Text, QStringLiteral("金額が不正です"));
    EXPECT_EQ(ledger->BalanceTable[0][0][0], 12);  // the last whole number typed
    EXPECT_EQ(ledger->TaxRounding, 2);
}

TEST_F(SettingsDialogTest, OkWithoutChangesKeepsEverySetting) {
    for (int rounding : {0, 1, 2}) {
        ledger->TaxRounding = rounding;
        ledger->HideZeroItems = rounding == 1;
        ledger->ShopHistoryMax = 12;
        ledger->MemoHistoryMax = 7;
        ledger->BalanceTable[0][1][4] = ledger->BalanceTable[0][1][5] = 12345;
        TForm2& d = Open();
        EXPECT_TRUE(d.RadioGroup3Items[rounding]->isChecked());
        Click(d.Button1);
        EXPECT_EQ(ledger->TaxRounding, rounding);
        EXPECT_EQ(ledger->HideZeroItems, rounding == 1);
        EXPECT_EQ(ledger->ShopHistoryMax, 12);
        EXPECT_EQ(ledger->MemoHistoryMax, 7);
        EXPECT_EQ(ledger->BalanceTable[0][1][4], 12345);
        EXPECT_EQ(ledger->BalanceTable[0][1][5], 12345);
    }
}

TEST_F(SettingsDialogTest, KindButtonsAreOffForAccountsAndSwitchAnItemsKind) {
    TForm2& d = Open();
    for (QRadioButton* r : {d.RadioButton1, d.RadioButton2}) {
        EXPECT_FALSE(r->isEnabled());
        EXPECT_FALSE(r->isChecked());
    }
    Walk(d.ComboBox1, 2);
    EXPECT_TRUE(d.RadioButton1->isEnabled());
    EXPECT_TRUE(d.RadioButton2->isChecked());
    Click(d.RadioButton1);
    Click(d.Button3);
    EXPECT_EQ(ledger->ItemTable[2].Kind, "1");
    EXPECT_EQ(Items(entry->ComboBox5), QStringList({"日用品", ""}));
    Walk(d.ComboBox1, 3);
    Click(d.RadioButton2);
    Click(d.Button1);
    EXPECT_EQ(ledger->ItemTable[5].Kind, "-1");
}

TEST_F(SettingsDialogTest, ReducedRateMarkFollowsTheChosenExpenseItemAndReachesTheEntryForm) {
    TForm2& d = Open();
    EXPECT_EQ(d.CheckBox2->text(), QStringLiteral("軽減税率（8%）"));
    auto shown = [&] { return std::pair{d.CheckBox2->isEnabled(), d.CheckBox2->isChecked()}; };
    EXPECT_EQ(shown(), std::pair(false, false));  // an account
    Walk(d.ComboBox1, 2);
    EXPECT_EQ(shown(), std::pair(true, true));  // 食費: marked by default
    Walk(d.ComboBox1, 1);
    EXPECT_EQ(shown(), std::pair(true, false));  // 日用品
    // Like a rename, a mark stays while another item is chosen; 適用 stores it.
    Click(d.CheckBox2);
    Walk(d.ComboBox1, 1);
    QTest::keyClick(d.ComboBox1, Qt::Key_Up);
    EXPECT_EQ(shown(), std::pair(true, true));
    EXPECT_FALSE(ledger->ReducedRateItems[3]);
    Click(d.Button3);
    EXPECT_TRUE(ledger->ReducedRateItems[3]);
    EXPECT_TRUE(ledger->LedgerChanged);
    entry->ComboBox5->setCurrentIndex(1);
    EXPECT_EQ(entry->RadioButton2->text(), QStringLiteral("税抜(8%)"));
    // An item made income loses its mark.
    Click(d.RadioButton1);
    EXPECT_EQ(shown(), std::pair(false, false));
    Click(d.RadioButton2);
    EXPECT_EQ(shown(), std::pair(true, false));
    Click(d.RadioButton1);
    Click(d.Button1);
    EXPECT_EQ(ledger->ItemTable[3].Kind, "1");
    EXPECT_FALSE(ledger->ReducedRateItems[3]);
    EXPECT_TRUE(ledger->ReducedRateItems[2]);
    EXPECT_EQ(entry->RadioButton2->text(), QStringLiteral("税抜(8%)"));  // 食費 again
    EXPECT_EQ(Items(entry->ComboBox5), QStringList({"食費", ""}));
}

TEST_F(SettingsDialogTest, HistoryLengthZeroEmptiesTheHistoryAtTheNextWrite) {
    ledger->ShopHistoryMax = 2;
    TForm2& d = Open();
    ClickPage(d.TabSheet3);
    TypeAmount(d.NValEdit1, "5");
    ClickPage(d.TabSheet2);
    ClickPage(d.TabSheet3);
    EXPECT_EQ(d.NValEdit1->text(), QStringLiteral("2"));  // unapplied numbers are replaced
    for (int i = 0; i < 3; ++i) Click(d.UpDown1->Down);
    EXPECT_EQ(d.NValEdit1->text(), QStringLiteral("0"));
    Click(d.Button1);
    EXPECT_EQ(ledger->ShopHistoryMax, 0);

    entry->ComboBox1->addItems({"スーパー", "薬局"});
    entry->ComboBox1->setEditText(QStringLiteral("八百屋"));
    TypeAmount(entry->NValEdit5, "300");
    entry->KinyuClick();
    EXPECT_EQ(ledger->EntryTable[6][0].Amount, 300);
    EXPECT_EQ(entry->ComboBox1->count(), 0);
}

TEST_F(SettingsDialogTest, CancelLeavesTheLedgerAsItWas) {
    TForm2& d = Open();
    Walk(d.ComboBox1, 2);
    TypeOver(d.Edit1, QStringLiteral("食料費"));
    Click(d.RadioButton1);
    TypeAmount(d.NValEdit3, "5000");
    Click(d.RadioGroup3Items[1]);
    Click(d.CheckBox1);
    Click(d.Button2);
    Settle();
    EXPECT_FALSE(dialog);
    EXPECT_EQ(ledger->ItemTable[2].Name + ledger->ItemTable[2].Kind, "食費-1");
    EXPECT_EQ(ledger->BalanceTable[0][0][0] + ledger->TaxRounding + ledger->HideZeroItems, 0);
    EXPECT_FALSE(ledger->LedgerChanged || ledger->MastersChanged);
    EXPECT_EQ(workspace.Updates, 1);
}

TEST_F(SettingsDialogTest, AfterOkTheNextSaveWritesTheMasters) {
    QTemporaryDir exe;
    QTemporaryDir data;
    ledger->ExeDir = exe.path().toStdString() + "/";
    TForm2& d = Open();
    Walk(d.ComboBox1, 5);
    TypeOver(d.Edit1, QStringLiteral("給料"));
    Click(d.Button1);
    EXPECT_TRUE(ledger->LedgerChanged && ledger->MastersChanged);
    SaveInputs inputs;
    inputs.Sync = false;
    MonthSave(*ledger, data.path().toStdString() + "/", "家計簿", inputs);
    QFile kamoku(exe.path() + QStringLiteral("/kamoku.dat"));
    ASSERT_TRUE(kamoku.open(QIODevice::ReadOnly));
    const QString text = QString::fromStdString(DecodeCp932(kamoku.readAll().toStdString()));
    EXPECT_TRUE(text.startsWith(QStringLiteral(
        "現金\r\n0\r\n銀行\r\n0\r\n食費\r\n-1\r\n日用品\r\n-1\r\n\r\n-1\r\n給料\r\n1\r\n")))
        << text.toStdString();
}

TEST_F(SettingsDialogTest, NamesTheMastersCannotHoldAreRefused) {
    const struct {
        bool subItem;
        const char* typed;
        const char* message;
    } rows[] = {
        {false, "食費€", "「訂正後科目名」に保存できない文字「€」があります。"},
        {true, "外\n食", "「訂正後補助名」に改行は使えません。"},
        {false, "食\r費", "「訂正後科目名」に改行は使えません。"},
    };
    for (const auto& row : rows) {
        for (bool ok : {false, true}) {
            SCOPED_TRACE(row.typed);
            platform.Boxes.clear();
            TForm2& d = Open();
            Walk(d.ComboBox1, 2);
            QLineEdit* field = row.subItem ? d.Edit3 : d.Edit1;
            TypeOver(field, QString::fromUtf8(row.typed));
            ASSERT_EQ(field->text(), QString::fromUtf8(row.typed));
            Click(ok ? d.Button1 : d.Button3);
            ASSERT_EQ(platform.Boxes.size(), 1u);
            EXPECT_EQ(platform.Boxes[0].Kind, MessageKind::Warning);
            EXPECT_EQ(platform.Boxes[0].Text, QString::fromUtf8(row.message));
            EXPECT_EQ(ledger->ItemTable[2].Name, "食費");
            EXPECT_EQ(ledger->SubItemTable[2][0], "食料品");
            EXPECT_FALSE(ledger->MastersChanged);
            EXPECT_TRUE(d.isVisible());
            delete dialog.data();
        }
    }
}

TEST_F(SettingsDialogTest, CtrlSOnTheMainWindowOpensTheDialogModally) {
    TForm1 main(*ledger);
    main.init();
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QPointer<TForm2> opened;
    QString title;
    QTimer::singleShot(0, [&] {
        opened = qobject_cast<TForm2*>(QApplication::activeModalWidget());
        if (!opened) return;
        title = opened->windowTitle();
        Click(opened->Button2);
    });
    QTest::keyClick(&main, Qt::Key_S, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(title, QStringLiteral("各種設定"));
    EXPECT_FALSE(opened);  // destroyed on closing
    EXPECT_TRUE(platform.Boxes.empty());
}

}  // namespace
}  // namespace kakeibo::test

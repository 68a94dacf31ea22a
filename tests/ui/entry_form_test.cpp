// The entry form: its window, tab strip, item choice and the recording of entries.
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "core/files/ledger_files.h"
#include "entry_fixture.h"
#include "ui/controls/border_label.h"
#include "ui/controls/nval_label.h"
#include "ui/entry/entry_widgets.h"
#include "ui/support/screenshot.h"

namespace kakeibo::test {
namespace {

QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}

QColor Background(const QWidget* w) {
    return w->palette().color(QPalette::Window);
}

// The strip pixel inside tab n, left of its picture's dot, near the bottom: grey when the tab
// is selected, white otherwise.
QColor StripPixel(const TForm3& form, int n) {
    return form.tab1->Surface().toImage().pixelColor(72 * n + 8, 15);
}

using LayoutTest = EntryFormTest;

TEST_F(LayoutTest, WindowIsAFixedFramelessToolWindowWithANavyFrame) {
    EXPECT_EQ(form->size(), QSize(583, 483));
    EXPECT_EQ(form->minimumSize(), QSize(583, 483));
    EXPECT_EQ(form->maximumSize(), QSize(583, 483));
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("各種入力フォーム"));
    EXPECT_EQ(form->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(form->font().pixelSize(), 12);

    const QImage image = form->grab().toImage();
    const QColor navy(0, 0, 128);
    for (QPoint p : {QPoint(0, 0), QPoint(1, 1), QPoint(300, 1), QPoint(582, 0), QPoint(581, 240),
                     QPoint(0, 482), QPoint(300, 481), QPoint(582, 482), QPoint(1, 240)}) {
        EXPECT_EQ(image.pixelColor(p), navy) << p.x() << "," << p.y();
    }
    for (QPoint p : {QPoint(2, 2), QPoint(580, 480), QPoint(2, 300), QPoint(300, 480)}) {
        EXPECT_NE(image.pixelColor(p), navy) << p.x() << "," << p.y();
    }
}

TEST_F(LayoutTest, EveryControlSitsAtItsPlaceWithItsCaptionAndColour) {
    const struct {
        const char* name;
        QRect geometry;
    } places[] = {
        {"Image3", {17, 8, 200, 16}},         {"SG31", {22, 24, 553, 153}},
        {"tab1", {20, 189, 296, 20}},         {"Panel1", {19, 208, 545, 265}},
        {"Image1", {1, 20, 16, 230}},         {"BorderLabel1", {32, 8, 185, 20}},
        {"ComboBox5", {216, 8, 145, 20}},     {"ComboBox12", {359, 8, 147, 20}},
        {"BorderLabel9", {32, 27, 185, 20}},  {"ComboBox3", {216, 28, 145, 20}},
        {"ComboBox4", {359, 28, 147, 20}},    {"BorderLabel2", {32, 59, 185, 20}},
        {"ComboBox1", {216, 59, 289, 20}},    {"BorderLabel3", {32, 78, 185, 20}},
        {"BorderLabel4", {32, 97, 185, 20}},  {"NValEdit5", {216, 97, 289, 20}},
        {"BorderLabel5", {32, 116, 185, 20}}, {"ComboBox2", {216, 116, 289, 20}},
        {"Button1", {184, 152, 97, 25}},      {"Button2", {296, 152, 75, 25}},
        {"SPB5", {416, 144, 32, 35}},         {"BorderLabel6", {413, 184, 42, 21}},
        {"SPB6", {472, 144, 32, 35}},         {"BorderLabel7", {470, 184, 42, 21}},
        {"BorderLabel11", {24, 208, 505, 2}}, {"Panel2", {24, 216, 97, 20}},
        {"BorderLabel8", {305, 216, 80, 18}}, {"NValLabel1", {384, 216, 121, 18}},
        {"Image2", {512, 217, 16, 16}},       {"BorderLabel10", {305, 240, 80, 18}},
        {"NValLabel2", {384, 240, 121, 18}},
    };
    for (const auto& place : places) {
        const auto* w = form->findChild<QWidget*>(QString::fromUtf8(place.name));
        ASSERT_NE(w, nullptr) << place.name;
        EXPECT_EQ(w->geometry(), place.geometry) << place.name;
    }
    EXPECT_EQ(form->RadioButton1->pos(), QPoint(224, 80));
    EXPECT_EQ(form->RadioButton2->pos(), QPoint(312, 80));
    EXPECT_EQ(form->RadioButton3->pos(), QPoint(400, 80));
    EXPECT_EQ(form->ComboBox5->parentWidget(), form->Panel1);

    const struct {
        TBorderLabel* label;
        const char* caption;
        QColor color;
    } captions[] = {
        {form->BorderLabel1, "　費用項目　及び　細目", {254, 250, 233}},
        {form->BorderLabel9, "　口座項目　及び　細目", {238, 249, 255}},
        {form->BorderLabel2, "　お店の名前", {254, 250, 233}},
        {form->BorderLabel3, "　税区分", {238, 249, 255}},
        {form->BorderLabel4, "　金額", {254, 250, 233}},
        {form->BorderLabel5, "　一言メモ", {238, 249, 255}},
        {form->BorderLabel6, "　記入　", {254, 250, 233}},
        {form->BorderLabel7, "　閉る　", {254, 250, 233}},
        {form->BorderLabel8, "レシート合計　", {248, 201, 213}},
        {form->BorderLabel10, "お財布残金　", {248, 201, 213}},
    };
    for (const auto& c : captions) {
        EXPECT_EQ(c.label->text(), QString::fromUtf8(c.caption)) << c.caption;
        EXPECT_EQ(Background(c.label), c.color) << c.caption;
        EXPECT_TRUE(c.label->autoFillBackground()) << c.caption;
    }
    EXPECT_TRUE(form->BorderLabel8->alignment().testFlag(Qt::AlignRight));
    EXPECT_EQ(form->Panel2->text(), QStringLiteral("　入力"));
    EXPECT_EQ(Background(form->Panel2), QColor(254, 250, 233));
    EXPECT_EQ(form->Panel1->grab().toImage().pixelColor(200, 140), QColor(251, 253, 255));
    EXPECT_EQ(form->RadioButton1->text(), QStringLiteral("税込"));
    EXPECT_EQ(form->RadioButton2->text(), QStringLiteral("税抜(8%)"));  // 食費 in 2026
    EXPECT_EQ(form->RadioButton3->text(), QStringLiteral("その他"));
    EXPECT_EQ(form->Button1->text(), QStringLiteral("前月予算コピー"));
    EXPECT_EQ(form->Button2->text(), QStringLiteral("予算登録"));
    EXPECT_EQ(form->Image2->toolTip(), QStringLiteral("レシート合計を0円にします"));
    EXPECT_EQ(form->NValEdit5->text(), QStringLiteral("0"));
    EXPECT_EQ(form->NValLabel1->Caption(), QStringLiteral("0"));
    EXPECT_FALSE(form->NValLabel1->Ctl3D());
    for (QWidget* w : {static_cast<QWidget*>(form->tab1), static_cast<QWidget*>(form->SPB5),
                       static_cast<QWidget*>(form->SPB6), static_cast<QWidget*>(form->Image2)}) {
        EXPECT_EQ(w->cursor().shape(), Qt::PointingHandCursor) << w->objectName().toStdString();
    }
    EXPECT_FALSE(form->ComboBox5->isEditable());
    EXPECT_FALSE(form->ComboBox12->isEditable());
    EXPECT_TRUE(form->ComboBox1->isEditable());
    EXPECT_TRUE(form->ComboBox2->isEditable());
    for (const char* hidden : {"tab2", "tab3", "tab4", "tab5"}) {
        const auto* picture = form->findChild<QLabel*>(QString::fromUtf8(hidden));
        ASSERT_NE(picture, nullptr) << hidden;
        EXPECT_FALSE(picture->isVisible());
        EXPECT_EQ(picture->pixmap().size(), QSize(80, 20));
    }
    EXPECT_EQ(form->Image3->pixmap().size(), QSize(200, 16));
    EXPECT_EQ(form->Image1->pixmap().size(), QSize(16, 230));
}

TEST_F(LayoutTest, TabWalksThePanelInItsOrderThenTheButtonsTheListAndTheStrip) {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->ComboBox5->setFocus();
    QStringList visited;
    for (int i = 0; i < 15; ++i) {
        QWidget* focus = QApplication::focusWidget();
        // An editable list takes the focus in its line edit.
        if (focus != nullptr && qobject_cast<QComboBox*>(focus->parentWidget())) {
            focus = focus->parentWidget();
        }
        visited << (focus ? focus->objectName() : QStringLiteral("-"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // The checked one of the tax kind buttons stands for the group; the budget buttons are
    // hidden on the expense tab; the picture buttons, the list and the strip come after the
    // fields, then the round starts again.
    EXPECT_EQ(visited, (QStringList{"ComboBox5", "ComboBox12", "ComboBox3", "ComboBox4",
                                    "ComboBox1", "RadioButton1", "NValEdit5", "ComboBox2", "SPB5",
                                    "SPB6", "Image2", "SG31", "tab1", "ComboBox5", "ComboBox12"}));
}

using TabStripTest = EntryFormTest;

TEST_F(TabStripTest, ClickZonesAreEightyPixelsWide) {
    const struct {
        int x;
        EntryTab tab;
    } clicks[] = {{155, EntryTab::Transfer}, {235, EntryTab::Income},   {79, EntryTab::Expense},
                  {80, EntryTab::Transfer},  {240, EntryTab::Budget},   {295, EntryTab::Budget},
                  {0, EntryTab::Expense},    {159, EntryTab::Transfer}, {160, EntryTab::Income}};
    for (const auto& click : clicks) {
        ClickStrip(click.x);
        EXPECT_EQ(form->CurrentTab(), click.tab) << click.x;
        const int selected = static_cast<int>(click.tab);
        const QImage strip = form->tab1->Surface().toImage();
        for (int n = 0; n < 4; ++n) {
            EXPECT_EQ(StripPixel(*form, n),
                      n == selected ? QColor(229, 229, 229) : QColor(Qt::white))
                << "x " << click.x << " tab " << n;
            // The chosen tab's top edge carries a bright bar; the others' none.
            int marked = 0;
            for (int x = 72 * n + 8; x < 72 * n + 72; ++x) {
                marked += strip.pixelColor(x, 2) == QColor(255, 128, 0);
            }
            EXPECT_EQ(marked > 60, n == selected) << "x " << click.x << " tab " << n;
        }
    }
}

TEST_F(TabStripTest, AnyMouseButtonSelects) {
    QTest::mouseClick(form->tab1, Qt::RightButton, {}, QPoint(155, 10));
    EXPECT_EQ(form->CurrentTab(), EntryTab::Transfer);
    QTest::mouseClick(form->tab1, Qt::MiddleButton, {}, QPoint(10, 10));
    EXPECT_EQ(form->CurrentTab(), EntryTab::Expense);
}

TEST_F(TabStripTest, EachTabOffersItsKindsOfItemsAndCaptions) {
    // Expense: expense items (the nameless one too, as a blank line), paid from accounts.
    EXPECT_EQ(Items(form->ComboBox5), (QStringList{"食費", "日用品", ""}));
    EXPECT_EQ(Items(form->ComboBox12), (QStringList{"食料品", "外食", "お菓子", "", ""}));
    EXPECT_EQ(Items(form->ComboBox3), (QStringList{"現金", "銀行"}));
    EXPECT_EQ(Items(form->ComboBox4), (QStringList{"お財布", "小銭入れ", "", "", ""}));
    EXPECT_EQ(form->Item1Map()[0], 2);
    EXPECT_EQ(form->Item1Map()[2], 4);
    EXPECT_TRUE(form->RadioButton1->isChecked());
    EXPECT_TRUE(form->RadioButton2->isEnabled());

    ClickStrip(155);
    EXPECT_EQ(form->BorderLabel1->text(), QStringLiteral("　移動先口座項目　及び　細目"));
    EXPECT_EQ(form->BorderLabel9->text(), QStringLiteral("　移動元口座項目　及び　細目"));
    EXPECT_EQ(form->BorderLabel2->text(), QStringLiteral("　銀行名等"));
    EXPECT_EQ(Items(form->ComboBox5), (QStringList{"現金", "銀行"}));
    EXPECT_EQ(Items(form->ComboBox3), (QStringList{"現金", "銀行"}));
    EXPECT_TRUE(form->RadioButton3->isChecked());
    EXPECT_FALSE(form->RadioButton1->isEnabled());
    EXPECT_FALSE(form->RadioButton3->isEnabled());

    ClickStrip(235);
    EXPECT_EQ(form->BorderLabel1->text(), QStringLiteral("　口座項目　及び　細目"));
    EXPECT_EQ(form->BorderLabel9->text(), QStringLiteral("　収入項目　及び　細目"));
    EXPECT_EQ(form->BorderLabel2->text(), QStringLiteral("　支払先名称"));
    EXPECT_EQ(Items(form->ComboBox3), (QStringList{"給与"}));
    EXPECT_EQ(Items(form->ComboBox4), (QStringList{"本給", "手当", "", "", ""}));
    EXPECT_EQ(form->Item2Map()[0], 5);

    // A new first item refills only the first sub-item list.
    form->ComboBox4->setCurrentIndex(1);
    Walk(form->ComboBox5, 1);
    EXPECT_EQ(Items(form->ComboBox12), (QStringList{"みずほ", "ゆうちょ", "三井住友", "", ""}));
    EXPECT_EQ(form->ComboBox4->currentIndex(), 1);
}

TEST_F(TabStripTest, BudgetTabDisablesTheEntryFieldsAndTheExpenseTabRestoresThem) {
    ClickStrip(250);
    EXPECT_EQ(form->CurrentTab(), EntryTab::Budget);
    EXPECT_EQ(form->ComboBox5->count(), 30);
    EXPECT_EQ(form->ComboBox3->count(), 30);
    EXPECT_EQ(form->ComboBox5->itemText(5), QStringLiteral("給与"));
    EXPECT_EQ(form->Item1Map()[29], 29);
    EXPECT_EQ(form->BorderLabel1->text(), QStringLiteral("　予算登録項目　及び　細目"));
    EXPECT_EQ(form->BorderLabel9->text(), QString());
    EXPECT_EQ(form->BorderLabel2->text(), QStringLiteral("　お店の名前"));  // left as it was
    for (QWidget* w : std::initializer_list<QWidget*>{
             form->ComboBox1, form->ComboBox2, form->ComboBox3, form->ComboBox4, form->ComboBox12,
             form->SPB5, form->SPB6, form->RadioButton1, form->RadioButton2, form->RadioButton3}) {
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    }
    EXPECT_TRUE(form->ComboBox5->isEnabled());
    EXPECT_TRUE(form->Button1->isVisible());
    EXPECT_TRUE(form->Button2->isVisible());
    EXPECT_TRUE(form->RadioButton3->isChecked());

    ClickStrip(10);
    for (QWidget* w : std::initializer_list<QWidget*>{
             form->ComboBox1, form->ComboBox2, form->ComboBox3, form->ComboBox4, form->ComboBox12,
             form->SPB5, form->SPB6, form->RadioButton1}) {
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    }
    EXPECT_FALSE(form->Button1->isVisible());
    EXPECT_FALSE(form->Button2->isVisible());
    EXPECT_TRUE(form->RadioButton1->isChecked());
    EXPECT_EQ(form->BorderLabel9->text(), QStringLiteral("　口座項目　及び　細目"));
}

TEST_F(TabStripTest, BlankOpensOnlyTheItemListsAndIsTypedInTheShopField) {
    QTest::keyClick(form->ComboBox12, Qt::Key_Space);
    EXPECT_TRUE(form->ComboBox12->view()->isVisible());
    form->ComboBox12->hidePopup();
    QTest::keyClick(form->ComboBox3, Qt::Key_Space);
    EXPECT_TRUE(form->ComboBox3->view()->isVisible());
    form->ComboBox3->hidePopup();

    QTest::keyClicks(form->ComboBox1, "a b");
    EXPECT_EQ(form->ComboBox1->currentText(), QStringLiteral("a b"));
    EXPECT_FALSE(form->ComboBox1->view()->isVisible());
}

// The main window's 「入力画面」 entry shows the form again.
using TabStripWindowsTest = EntryWindowsTest;

TEST_F(TabStripWindowsTest, ShowingAgainKeepsTheTabAndEverythingAgreesWithIt) {
    ClickStrip(235);
    EXPECT_TRUE(main->N13->isChecked());
    QTest::mouseClick(form->SPB6, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(main->N13->isChecked());
    main->N13->trigger();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->CurrentTab(), EntryTab::Income);
    EXPECT_EQ(StripPixel(*form, 2), QColor(229, 229, 229));
    EXPECT_EQ(StripPixel(*form, 0), QColor(Qt::white));
    EXPECT_EQ(form->BorderLabel9->text(), QStringLiteral("　収入項目　及び　細目"));
    EXPECT_EQ(Items(form->ComboBox3), (QStringList{"給与"}));
    EXPECT_TRUE(form->RadioButton3->isChecked());
    EXPECT_FALSE(form->RadioButton1->isEnabled());
}

TEST_F(TabStripTest, NoIncomeItemLeavesTheIncomeListsEmpty) {
    ledger->ItemTable[5].Kind = "-1";
    ClickStrip(235);
    EXPECT_EQ(form->ComboBox3->count(), 0);
    EXPECT_EQ(form->ComboBox4->count(), 0);
    EXPECT_EQ(form->ComboBox3->currentIndex(), -1);
}

TEST_F(TabStripTest, TheTopBandDragsTheWindow) {
    const QPoint start = form->pos();
    QTest::mousePress(form.get(), Qt::LeftButton, {}, QPoint(300, 15));
    QTest::mouseMove(form.get(), QPoint(340, 35));
    QTest::mouseRelease(form.get(), Qt::LeftButton, {}, QPoint(340, 35));
    EXPECT_EQ(form->pos(), start + QPoint(40, 20));

    const QPoint moved = form->pos();
    QTest::mousePress(form.get(), Qt::LeftButton, {}, QPoint(300, 16));
    QTest::mouseMove(form.get(), QPoint(340, 36));
    QTest::mouseRelease(form.get(), Qt::LeftButton, {}, QPoint(340, 36));
    EXPECT_EQ(form->pos(), moved);

    // Not while the right button is held.
    QTest::mousePress(form.get(), Qt::RightButton, {}, QPoint(300, 10));
    QTest::mousePress(form.get(), Qt::LeftButton, {}, QPoint(300, 10));
    QTest::mouseMove(form.get(), QPoint(340, 30));
    QTest::mouseRelease(form.get(), Qt::LeftButton, {}, QPoint(340, 30));
    QTest::mouseRelease(form.get(), Qt::RightButton, {}, QPoint(340, 30));
    EXPECT_EQ(form->pos(), moved);

    // The title picture lies in the band: a press on it drags as well.
    QTest::mousePress(form.get(), Qt::LeftButton, {}, QPoint(30, 12));
    QTest::mouseMove(form.get(), QPoint(20, 12));
    QTest::mouseRelease(form.get(), Qt::LeftButton, {}, QPoint(20, 12));
    EXPECT_EQ(form->pos(), moved + QPoint(-10, 0));
}

TEST_F(TabStripTest, CreationPlacesTheFormAndLoadsTheHistories) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile shops(dir.filePath(QStringLiteral("mise.dat")));
    ASSERT_TRUE(shops.open(QIODevice::WriteOnly));
    // "スーパー", "ABC" in CP932, CR LF.
    shops.write(QByteArray::fromHex("8358815B8370815B0D0A4142430D0A"));
    shops.close();
    ledger->DataDir = dir.path().toStdString() + "/";
    ledger->WindowLayout[kLayoutEntryForm] = LayoutSlot{0, 427, 81, 100, 100};
    form->ComboBox2->addItem(QStringLiteral("古いメモ"));

    form->FormCreate();
    EXPECT_EQ(form->pos(), QPoint(427, 81));
    EXPECT_EQ(form->size(), QSize(583, 483));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->ShopHistory(), (std::vector<std::string>{"スーパー", "ABC"}));
    EXPECT_TRUE(form->MemoHistory().empty());  // no memo.dat: empty, without a message
    EXPECT_TRUE(platform.Boxes.empty());
    EXPECT_EQ(form->ComboBox1->currentText(), QString());
    EXPECT_EQ(form->CurrentTab(), EntryTab::Expense);
    EXPECT_EQ(form->ReceiptTotal(), 0);

    ledger->WindowLayout[kLayoutEntryForm].Visible = 1;
    form->FormCreate();
    EXPECT_TRUE(form->isVisible());
}

using RecordingTest = EntryFormTest;
// The edited date is the main window's, and so are saves.
using RecordingWindowsTest = EntryWindowsTest;

TEST_F(RecordingTest, AnExpenseATransferAndAnIncomeAreWrittenAsChosen) {
    Walk(form->ComboBox5, 1);   // 日用品
    Walk(form->ComboBox12, 1);  // 紙類
    Walk(form->ComboBox3, 1);   // 銀行
    Walk(form->ComboBox4, 2);   // 三井住友
    TypeOver(form->ComboBox1, QStringLiteral("薬局"));
    QTest::keyClicks(form->ComboBox2, "memo, too");
    TypeAmount("1234567");
    EXPECT_EQ(form->NValEdit5->text(), QStringLiteral("1,234,567"));
    Write();

    EXPECT_EQ(ledger->EntryTable[6][0], Entry(7, 12, 3, 1, 1, 2, 1234567, 0));
    EXPECT_EQ(ledger->EntryTextTable[6][0], (EntryText{"薬局", "memo, too"}));
    EXPECT_EQ(ledger->NextSlot, 1);
    EXPECT_TRUE(ledger->LedgerChanged);
    EXPECT_EQ(form->NValEdit5->text(), QStringLiteral("0"));
    EXPECT_EQ(form->NValLabel1->Caption(), QStringLiteral("1,234,567"));
    EXPECT_EQ(form->EntryListRowCount(), 3);
    EXPECT_EQ(form->EntryListCurrentRow(), 1);
    EXPECT_EQ(form->SelectedSlot(), 0);
    EXPECT_EQ(form->EntryListCell(1, 1), QStringLiteral("薬局"));
    EXPECT_EQ(form->EntryListCell(1, 6), QStringLiteral("1,234,567"));

    ClickStrip(155);
    Walk(form->ComboBox5, 1);   // 銀行
    Walk(form->ComboBox12, 1);  // ゆうちょ
    TypeOver(form->ComboBox1, QStringLiteral("ATM"));
    TypeAmount("30000");
    Write();
    EXPECT_EQ(ledger->EntryTable[6][1], Entry(7, 12, 1, 1, 0, 0, 30000, 2));
    EXPECT_EQ(ledger->EntryTextTable[6][1].Shop, "ATM");

    ClickStrip(235);
    Walk(form->ComboBox4, 1);  // 手当
    TypeAmount("250000");
    Write();
    EXPECT_EQ(ledger->EntryTable[6][2], Entry(7, 12, 0, 0, 5, 1, 250000, 2));
    EXPECT_EQ(ledger->NextSlot, 3);
    EXPECT_EQ(form->ReceiptTotal(), 1234567 + 30000 + 250000);
    EXPECT_EQ(form->NValLabel1->Caption(), QStringLiteral("1,514,567"));
    EXPECT_EQ(form->EntryListRowCount(), 5);
    EXPECT_EQ(form->EntryListCurrentRow(), 3);
    EXPECT_EQ(form->EntryListCell(3, 4), QStringLiteral("給与"));
    EXPECT_EQ(form->EntryListCell(3, 5), QStringLiteral("手当"));
    EXPECT_EQ(form->Panel2->text(), QStringLiteral("　入力"));
    EXPECT_TRUE(platform.Boxes.empty());
}

TEST_F(RecordingWindowsTest, TaxExcludedAddsTheTaxToTheReceiptButStoresTheAmountAsTyped) {
    QTest::mouseClick(form->RadioButton2, Qt::LeftButton);
    // The rate beside 「税抜」 and on the receipt follows the edited date and the chosen item.
    const struct {
        Date date;
        int item1Position;  // 0 食費 (reduced rate), 1 日用品
        const char* caption;
        int64_t withTax;
    } rows[] = {
        {{2026, 7, 12}, 0, "税抜(8%)", 1080},  {{2026, 7, 12}, 1, "税抜(10%)", 1100},
        {{2019, 10, 1}, 1, "税抜(10%)", 1100}, {{2019, 9, 30}, 1, "税抜(8%)", 1080},
        {{2014, 4, 1}, 0, "税抜(8%)", 1080},   {{2014, 3, 31}, 0, "税抜(5%)", 1050},
    };
    int64_t receipt = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.caption);
        main->SelectDate(row.date);
        form->ComboBox5->setCurrentIndex(row.item1Position);
        EXPECT_EQ(form->RadioButton2->text(), QString::fromUtf8(row.caption));
        EXPECT_GE(form->RadioButton2->width(), form->RadioButton2->sizeHint().width());
        TypeAmount("1000");
        Write();
        const EntryRecord& e = ledger->EntryTable[row.date.Month - 1][ledger->NextSlot - 1];
        EXPECT_EQ(e.Amount, 1000);
        EXPECT_EQ(e.TaxKind, 1);
        receipt += row.withTax;
        EXPECT_EQ(form->ReceiptTotal(), receipt);
    }
    EXPECT_EQ(form->NValLabel1->Caption(), QStringLiteral("6,490"));

    QTest::mouseClick(form->Image2, Qt::LeftButton);
    EXPECT_EQ(form->ReceiptTotal(), 0);
    EXPECT_EQ(form->NValLabel1->Caption(), QStringLiteral("0"));
    EXPECT_EQ(ledger->EntryTable[2][0].Amount, 1000);
}

TEST_F(RecordingTest, TheWalletBalanceShowsTheWriteAtOnce) {
    ledger->BalanceTable[0][0][0] = 10000;
    ledger->BalanceTable[0][0][kTotalColumn] = 10000;
    AllUpdate();
    EXPECT_EQ(form->NValLabel2->Caption(), QStringLiteral("10,000"));
    TypeAmount("1200");  // 食費 from 現金 / お財布
    Write();
    EXPECT_EQ(form->NValLabel2->Caption(), QStringLiteral("8,800"));
}

TEST_F(RecordingTest, TheWalletBalanceIsCurrentWhenTheFormIsShown) {
    form->hide();
    ledger->BalanceTable[0][0][0] = 7000;
    ledger->BalanceTable[0][0][kTotalColumn] = 7000;
    Put(7, 0, Entry(7, 1, 2, 0, 0, 0, 500));
    form->show();
    EXPECT_EQ(form->NValLabel2->Caption(), QStringLiteral("6,500"));
    EXPECT_EQ(form->EntryListRowCount(), 3);
}

TEST_F(RecordingTest, HistoriesMoveFoundLinesUpDropEmptiesAndKeepTheirLimits) {
    form->ComboBox1->addItems({"A", "B", "C", "D", "E", "スーパー", "G"});
    TypeOver(form->ComboBox1, QStringLiteral("スーパー"));
    TypeAmount("100");
    Write();
    EXPECT_EQ(form->ShopHistory(),
              (std::vector<std::string>{"スーパー", "A", "B", "C", "D", "E", "G"}));

    // Letter case is ignored in the lookup: the line keeps its text, the entry keeps the typed.
    form->ComboBox1->insertItem(3, QStringLiteral("ABC"));
    TypeOver(form->ComboBox1, QStringLiteral("abc"));
    TypeAmount("100");
    Write();
    EXPECT_EQ(ledger->EntryTextTable[6][1].Shop, "abc");
    EXPECT_EQ(form->ShopHistory(),
              (std::vector<std::string>{"ABC", "スーパー", "A", "B", "C", "D", "E", "G"}));
    EXPECT_EQ(form->ComboBox1->currentText(), QStringLiteral("ABC"));

    // At the maximum the oldest line goes; an empty shop name leaves no empty line.
    ledger->ShopHistoryMax = 8;
    TypeOver(form->ComboBox1, QStringLiteral("new"));
    TypeAmount("100");
    Write();
    EXPECT_EQ(form->ShopHistory(),
              (std::vector<std::string>{"new", "ABC", "スーパー", "A", "B", "C", "D", "E"}));
    TypeOver(form->ComboBox1, QString());
    TypeAmount("100");
    Write();
    EXPECT_EQ(ledger->EntryTextTable[6][3].Shop, "");
    EXPECT_EQ(form->ShopHistory().size(), 8u);
    EXPECT_EQ(form->ShopHistory().front(), "new");

    // The memo history keeps its own limit; 0 keeps nothing.
    ledger->MemoHistoryMax = 0;
    QTest::keyClicks(form->ComboBox2, "note");
    TypeAmount("100");
    Write();
    EXPECT_EQ(ledger->EntryTextTable[6][4].Memo, "note");
    EXPECT_TRUE(form->MemoHistory().empty());
    EXPECT_EQ(ledger->NextSlot, 5);
}

TEST_F(RecordingTest, CommaInTheShopNameIsStoredFullWidthAndTheMemoKeepsIt) {
    QTest::keyClicks(form->ComboBox1, "A,B");
    QTest::keyClicks(form->ComboBox2, "x,y");
    TypeAmount("500");
    Write();
    EXPECT_EQ(ledger->EntryTextTable[6][0], (EntryText{"A，B", "x,y"}));
    EXPECT_EQ(form->ShopHistory(), (std::vector<std::string>{"A，B"}));
    EXPECT_EQ(form->MemoHistory(), (std::vector<std::string>{"x,y"}));
}

TEST_F(RecordingTest, AConversionStillPendingIsCommittedBeforeTheWrite) {
    struct Row {
        QComboBox* field;
        QString typed, pending;
        EntryText stored;
    };
    const Row rows[] = {
        {form->ComboBox1, {}, QStringLiteral("らあめん"), {"らあめん", ""}},
        {form->ComboBox2,
         QStringLiteral("大盛り"),
         QStringLiteral("ちゃあしゅう"),
         {"", "大盛りちゃあしゅう"}},
    };
    for (int slot = 0; slot < 2; ++slot) {
        const Row& row = rows[slot];
        TypeOver(form->ComboBox1, {});
        TypeOver(form->ComboBox2, {});
        TypeAmount("500");
        row.field->lineEdit()->setFocus();
        if (!row.typed.isEmpty()) TypeJapanese(row.field->lineEdit(), row.typed);
        // The button takes no focus, so nothing but the write itself ends the conversion.
        QInputMethodEvent composing(row.pending, {});
        QCoreApplication::sendEvent(row.field, &composing);
        Write();
        EXPECT_EQ(ledger->EntryTextTable[6][slot], row.stored) << slot;
        EXPECT_EQ(ledger->EntryTable[6][slot].Amount, 500) << slot;
        // ibus sends the committed text once more a moment later: it is not typed twice.
        QInputMethodEvent echo;
        echo.setCommitString(row.pending);
        QCoreApplication::sendEvent(row.field, &echo);
        EXPECT_EQ(row.field->currentText(), row.typed + row.pending) << slot;
    }
    EXPECT_TRUE(platform.Boxes.empty());
}

TEST_F(RecordingWindowsTest, WrittenEntriesSurviveASaveAndALoad) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString() + "/";
    ledger->DataDir = folder;
    ledger->ExeDir = folder;
    TypeOver(form->ComboBox1, QStringLiteral("八百屋,駅前"));
    TypeOver(form->ComboBox2, QStringLiteral("野菜, 果物"));
    QTest::mouseClick(form->RadioButton2, Qt::LeftButton);
    TypeAmount("1000");
    Write();
    ClickStrip(155);
    TypeOver(form->ComboBox1, QString());
    TypeOver(form->ComboBox2, QStringLiteral("両替"));
    TypeAmount("5000");
    Write();

    platform.FileAnswers.push_back(QString::fromStdString(folder + "家計簿.nbd"));
    main->ToolButton2Click();
    auto loaded = std::make_unique<Ledger>();
    MonthLoad(*loaded, folder, "家計簿");
    EXPECT_EQ(loaded->EntryTable[6][0], Entry(7, 12, 2, 0, 0, 0, 1000, 1));
    EXPECT_EQ(loaded->EntryTextTable[6][0], (EntryText{"八百屋，駅前", "野菜, 果物"}));
    EXPECT_EQ(loaded->EntryTable[6][1], Entry(7, 12, 0, 0, 0, 0, 5000, 2));
    EXPECT_EQ(loaded->EntryTextTable[6][1], (EntryText{"", "両替"}));
    EXPECT_EQ(loaded->GetIndex(7), 2);
    EXPECT_EQ(ReadHistory(folder + "mise.dat"), (std::vector<std::string>{"八百屋，駅前"}));
    EXPECT_EQ(ReadHistory(folder + "memo.dat"), (std::vector<std::string>{"両替", "野菜, 果物"}));
}

class RefusalTest : public EntryFormTest {
protected:
    // Nothing of the ledger, the receipt total or the histories moved.
    void ExpectUntouched(int nextSlot = 0) {
        EXPECT_EQ(ledger->NextSlot, nextSlot);
        EXPECT_EQ(ledger->EntryTable[6][nextSlot % kSlotCount], EntryRecord{});
        EXPECT_EQ(ledger->EntryTextTable[6][nextSlot % kSlotCount], EntryText{});
        EXPECT_FALSE(ledger->LedgerChanged);
        EXPECT_EQ(form->ReceiptTotal(), 0);
        EXPECT_TRUE(form->ShopHistory().empty());
        EXPECT_TRUE(form->MemoHistory().empty());
    }

    void ExpectOneBox(FakePlatform::BoxType type, const char* text) {
        ASSERT_EQ(platform.Boxes.size(), 1u);
        EXPECT_EQ(platform.Boxes[0].Type, type);
        EXPECT_EQ(platform.Boxes[0].Text, QString::fromUtf8(text));
        platform.Boxes.clear();
    }
};

TEST_F(RefusalTest, AmountsBelowOneAreRefused) {
    QTest::keyClicks(form->ComboBox1, "shop");
    Write();  // the field shows 0
    ExpectOneBox(FakePlatform::BoxType::Plain, "金額が正しくありません");
    TypeAmount("-5");
    EXPECT_EQ(form->NValEdit5->text(), QStringLiteral("-5"));
    Write();
    ExpectOneBox(FakePlatform::BoxType::Plain, "金額が正しくありません");
    TypeAmount("12.5");
    Write();
    ExpectOneBox(FakePlatform::BoxType::Plain, "金額が正しくありません");
    ExpectUntouched();
}

TEST_F(RefusalTest, AFullMonthTakesNoMoreEntries) {
    for (int s = 0; s < kSlotCount; ++s) ledger->EntryTable[6][s] = Entry(7, 1, 2, 0, 0, 0, 1);
    ledger->NextSlot = kSlotCount;
    TypeAmount("100");
    Write();
    ExpectOneBox(FakePlatform::BoxType::Plain, "今月の入力件数が上限の1000件に達しています。");
    EXPECT_EQ(ledger->NextSlot, kSlotCount);
    EXPECT_EQ(ledger->EntryTable[6][999], Entry(7, 1, 2, 0, 0, 0, 1));
    EXPECT_FALSE(ledger->LedgerChanged);
    EXPECT_EQ(form->ReceiptTotal(), 0);
}

TEST_F(RefusalTest, AnItemListWithoutSelectionIsRefused) {
    ledger->ItemTable[5].Kind = "-1";  // no income item left
    ClickStrip(235);
    TypeAmount("100");
    Write();
    ExpectOneBox(FakePlatform::BoxType::Plain, "項目を選択してください。");
    ExpectUntouched();
}

TEST_F(RefusalTest, TextsThatCannotBeSavedAreRefusedNamingTheField) {
    TypeOver(form->ComboBox1, QStringLiteral("カフェ😀"));
    TypeAmount("100");
    Write();
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Type, FakePlatform::BoxType::Typed);
    EXPECT_EQ(platform.Boxes[0].Kind, MessageKind::Warning);
    EXPECT_EQ(platform.Boxes[0].Text,
              QStringLiteral("「お店の名前」に保存できない文字「😀」があります。"));
    platform.Boxes.clear();

    TypeOver(form->ComboBox1, QString());
    TypeOver(form->ComboBox2, QStringLiteral("10€"));
    Write();
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Text,
              QStringLiteral("「一言メモ」に保存できない文字「€」があります。"));
    EXPECT_EQ(form->NValEdit5->text(), QStringLiteral("100"));  // kept for a second try
    ExpectUntouched();
}

TEST_F(RefusalTest, APastedCarriedByteIsRefusedWithNothingChanged) {
    // U+10FF0A is how the loader carries a byte that is not CP932; written raw it would be a
    // line feed in the entries file.
    for (QComboBox* field : {form->ComboBox2, form->ComboBox1}) {
        QApplication::clipboard()->setText(QStringLiteral("牛乳") +
                                           QString::fromUcs4(U"\U0010FF0A") + QStringLiteral("卵"));
        field->lineEdit()->setFocus();
        QTest::keyClick(field->lineEdit(), Qt::Key_V, Qt::ControlModifier);
        ASSERT_TRUE(field->currentText().contains(QString::fromUcs4(U"\U0010FF0A")));
        TypeAmount("100");
        Write();
        ASSERT_EQ(platform.Boxes.size(), 1u);
        EXPECT_EQ(platform.Boxes[0].Kind, MessageKind::Warning);
        EXPECT_TRUE(platform.Boxes[0].Text.contains(QString::fromUcs4(U"\U0010FF0A")));
        platform.Boxes.clear();
        ExpectUntouched();
        TypeOver(field, QString());
    }
}

class EnterTest : public EntryFormTest {};

TEST_F(EnterTest, EnterInTheAmountWritesTheEntryAndKeepsTheFocusThere) {
    TypeOver(form->ComboBox1, QStringLiteral("八百屋"));
    TypeAmount("120");
    QTest::keyClick(form->NValEdit5, Qt::Key_Return);
    EXPECT_TRUE(platform.Boxes.empty());
    EXPECT_EQ(ledger->NextSlot, 1);
    EXPECT_EQ(ledger->EntryTable[6][0].Amount, 120);
    EXPECT_EQ(ledger->EntryTextTable[6][0].Shop, "八百屋");
    EXPECT_TRUE(ledger->LedgerChanged);
    EXPECT_EQ(form->NValEdit5->Value(), 0);
    EXPECT_EQ(form->focusWidget(), form->NValEdit5);

    // A receipt: amount, Enter, amount, Enter; the keypad's Enter does the same.
    QTest::keyClicks(form->NValEdit5, "80");
    QTest::keyClick(form->NValEdit5, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(ledger->NextSlot, 2);
    EXPECT_EQ(ledger->EntryTable[6][1].Amount, 80);
    EXPECT_EQ(form->ReceiptTotal(), 200);
    EXPECT_EQ(form->focusWidget(), form->NValEdit5);
}

TEST_F(EnterTest, EnterRefusesAsTheWriteButtonDoesAndOtherKeysWriteNothing) {
    // The field shows 0.
    QTest::keyClick(form->NValEdit5, Qt::Key_Return);
    ASSERT_EQ(platform.Boxes.size(), 1u);
    EXPECT_EQ(platform.Boxes[0].Type, FakePlatform::BoxType::Plain);
    EXPECT_EQ(platform.Boxes[0].Text, QStringLiteral("金額が正しくありません"));
    EXPECT_EQ(ledger->NextSlot, 0);
    EXPECT_FALSE(ledger->LedgerChanged);
    EXPECT_EQ(form->focusWidget(), form->NValEdit5);

    platform.Boxes.clear();
    TypeAmount("100");
    QTest::keyClick(form->NValEdit5, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(form->NValEdit5, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(form->NValEdit5, Qt::Key_Tab);
    EXPECT_EQ(ledger->NextSlot, 0);
    EXPECT_TRUE(platform.Boxes.empty());
    // The budget tab offers no "記入": Enter writes nothing there.
    ClickStrip(275);
    ASSERT_FALSE(form->SPB5->isEnabled());
    TypeAmount("100");
    QTest::keyClick(form->NValEdit5, Qt::Key_Return);
    EXPECT_EQ(ledger->NextSlot, 0);
    EXPECT_TRUE(platform.Boxes.empty());
}

TEST(EntryFormScreens, EachTabLooksRight) {
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    FakePlatform platform;
    platform.TodayDate = Date{2026, 7, 12};
    auto ledger = std::make_unique<Ledger>();
    FillMasters(*ledger);
    ledger->EditDate = Date{2026, 7, 12};
    ledger->EditMonth = 7;
    ledger->EditMonthIndex = 6;
    ledger->EntryTable[6][0] = Entry(7, 3, 2, 0, 0, 0, 1280);
    ledger->EntryTextTable[6][0] = {"スーパーいなげや", "夕食の材料"};
    ledger->EntryTable[6][1] = Entry(7, 5, 1, 0, 5, 0, 250000, 2);
    ledger->EntryTextTable[6][1] = {"株式会社ニンブレル", "7月分"};
    ledger->EntryTable[6][2] = Entry(7, 9, 0, 0, 1, 1, 30000, 2);
    ledger->EntryTextTable[6][2] = {"ATM", ""};
    ledger->NextSlot = 3;
    FakeWorkspace workspace;
    TForm3 form(*ledger, workspace);
    form.show();
    form.ComboBox1->setEditText(QStringLiteral("スーパーいなげや"));
    const char* names[] = {"entry_form_expense", "entry_form_transfer", "entry_form_income",
                           "entry_form_budget"};
    // Each tab brings its own strip, captions and fields: no two pictures are alike.
    std::vector<QImage> shots;
    for (int tab = 0; tab < 4; ++tab) {
        QTest::mouseClick(form.tab1, Qt::LeftButton, {}, QPoint(tab * 80 + 40, 10));
        shots.push_back(SaveScreenshot(form, QString::fromUtf8(names[tab])));
        EXPECT_EQ(shots.back().size(), form.size());
        for (int earlier = 0; earlier < tab; ++earlier) {
            EXPECT_NE(shots[earlier], shots.back()) << names[earlier] << " " << names[tab];
        }
    }
}

}  // namespace
}  // namespace kakeibo::test

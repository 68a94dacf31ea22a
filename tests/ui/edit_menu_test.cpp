// The main window's 「編集」 menu: undo and redo of the ledger's steps, by menu and by key.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>

#include "entry_fixture.h"
#include "ui/sheet/data_sheet.h"

namespace kakeibo::test {
namespace {

// A text field as X11 desktops make it, where Ctrl+Y is no redo: it claims no key itself.
class FieldClaimingNoKeys final : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    bool event(QEvent* event) override {
        return event->type() != QEvent::ShortcutOverride && QLineEdit::event(event);
    }
};

// The menu is the main window's; the steps come from the entry form.
class EditMenuTest : public EntryWindowsTest {
protected:
    void SetUp() override {
        EntryWindowsTest::SetUp();
        main->show();
        Activate(form.get());
    }

    static void Activate(QWidget* window) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }

    QAction* Action(const char* name) { return main->findChild<QAction*>(QLatin1String(name)); }

    // The edit menu's entries as offered, " (-)" after one that cannot be chosen.
    QStringList Offered() {
        QStringList offered;
        for (const QAction* action : main->findChild<QMenu*>(QStringLiteral("Edit1"))->actions()) {
            offered << action->text() + (action->isEnabled() ? QString() : QStringLiteral(" (-)"));
        }
        return offered;
    }

    void WriteAmount(const char* digits) {
        TypeAmount(digits);
        Write();
    }

    int JulyEntries() const { return ledger->GetIndex(7); }
};

TEST_F(EditMenuTest, TheKeysStepThroughTheLedgerFromEveryToolWindowAndTheMenuNamesTheStep) {
    TForm5 sheet(*ledger, *main);
    sheet.FormCreate();
    main->SetDataSheet(&sheet);
    sheet.show();
    Activate(form.get());
    EXPECT_EQ(main->menuBar()->actions().at(1)->text(), QStringLiteral("　編集　"));
    EXPECT_EQ(Offered(), (QStringList{"　元に戻す (-)", "　やり直し (-)"}));

    WriteAmount("1200");
    WriteAmount("800");
    EXPECT_EQ(Offered(), (QStringList{"　元に戻す：記入 7月12日 食費 800円", "　やり直し (-)"}));
    // From June the undo goes back to July, where the step was, on the same day, and leaves
    // the ledger unsaved.
    main->SelectDate(Date{2026, 6, 20});
    ledger->LedgerChanged = false;
    form->SG31->setFocus();
    QTest::keyClick(form->SG31, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(JulyEntries(), 1);
    EXPECT_EQ(main->ComboBox1->currentText() + "/" + main->ComboBox2->currentText(), "7/20");
    EXPECT_EQ(form->EntryListRowCount(), 3);
    EXPECT_TRUE(ledger->LedgerChanged);
    EXPECT_EQ(Offered(), (QStringList{"　元に戻す：記入 7月12日 食費 1,200円",
                                      "　やり直し：記入 7月12日 食費 800円"}));

    Activate(&sheet);
    sheet.StringGrid1->setFocus();
    QTest::keyClick(sheet.StringGrid1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(JulyEntries(), 0);
    EXPECT_EQ(Offered(), (QStringList{"　元に戻す (-)", "　やり直し：記入 7月12日 食費 1,200円"}));
    QTest::keyClick(sheet.StringGrid1, Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(sheet.StringGrid1, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    const auto july = ledger->EntryTable[6];
    EXPECT_EQ(july[1].Amount, 800);

    // A delete undone puts the entry back in its slot, and lets go of an entry being edited:
    // its row may hold another entry after the step.
    ClickRow(1);
    platform.Answers.push_back(OkButton);
    form->sakujyo1Click();
    EXPECT_EQ(Offered().first(), QStringLiteral("　元に戻す：削除 7月12日 食費 1,200円"));
    form->henshu();
    ASSERT_EQ(form->Panel2->text(), QStringLiteral("　編集"));
    Action("Undo1")->trigger();
    EXPECT_EQ(ledger->EntryTable[6], july);
    EXPECT_EQ(form->Panel2->text(), QStringLiteral("　入力"));

    main->init();  // as after opening a ledger: nothing of the old one to undo
    EXPECT_EQ(Offered(), (QStringList{"　元に戻す (-)", "　やり直し (-)"}));
}

TEST_F(EditMenuTest, InsideTheShopMemoAndAmountFieldsTheKeysUndoTheTyping) {
    WriteAmount("1200");
    WriteAmount("800");
    Action("Undo1")->trigger();
    const QStringList offered = Offered();
    auto* x11Field = new FieldClaimingNoKeys(form.get());
    for (const QKeyCombination key :
         {Qt::CTRL | Qt::Key_Z, Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z}) {
        for (QWidget* field : std::initializer_list<QWidget*>{form->ComboBox1, form->ComboBox2,
                                                              form->NValEdit5, x11Field}) {
            field->setFocus();
            QTest::keyClicks(field, "55");
            QTest::keyClick(field, key.key(), key.keyboardModifiers());
            EXPECT_EQ(Offered(), offered) << field->metaObject()->className();
        }
    }
    EXPECT_EQ(JulyEntries(), 1);
    form->ComboBox1->setEditText(QString());
    form->ComboBox1->setFocus();
    QTest::keyClicks(form->ComboBox1, "abc");
    QTest::keyClick(form->ComboBox1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->ComboBox1->currentText(), QString());
}

}  // namespace
}  // namespace kakeibo::test

// The main window's 「編集」 menu: undo and redo of the ledger's steps, by menu and by key.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>

#include "entry_fixture.h"
#include "ui/sheet/data_sheet.h"

namespace kakeibo::test {
namespace {

// A text field as X11 desktops make it: Ctrl+Y is no redo there, so the field claims only the
// keys bound to its commands, and here none.
class FieldClaimingNoKeys final : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) return false;
        return QLineEdit::event(event);
    }
};

class EditMenuTest : public EntryFormTest {
protected:
    void SetUp() override {
        EntryFormTest::SetUp();
        main->show();
        Activate(form.get());
    }

    QAction* Action(const char* name) { return main->findChild<QAction*>(QLatin1String(name)); }

    // What the edit menu offers: each entry's caption, and whether it can be chosen.
    QStringList Offered() {
        QStringList offered;
        for (const QAction* action : main->findChild<QMenu*>(QStringLiteral("Edit1"))->actions()) {
            offered << action->text() + (action->isEnabled() ? QString() : QStringLiteral(" (-)"));
        }
        return offered;
    }

    static void Activate(QWidget* window) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
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
    main->SetDataSheet(&sheet, [&] { sheet.DrawCurrentSheet(); });
    sheet.show();
    Activate(form.get());

    QStringList bar;
    for (const QAction* menu : main->menuBar()->actions()) bar << menu->text();
    EXPECT_EQ(bar.mid(0, 3), (QStringList{"　ファイル", "　編集　", "　表示　"}));
    EXPECT_EQ(Offered(), (QStringList{"　元に戻す (-)", "　やり直し (-)"}));
    EXPECT_EQ(Action("Undo1")->shortcut().toString(), QStringLiteral("Ctrl+Z"));
    EXPECT_EQ(QKeySequence::listToString(Action("Redo1")->shortcuts()),
              QStringLiteral("Ctrl+Y; Ctrl+Shift+Z"));

    WriteAmount("1200");
    WriteAmount("800");
    ASSERT_EQ(JulyEntries(), 2);
    EXPECT_EQ(Offered(), (QStringList{"　元に戻す：記入 7月12日 食費 800円", "　やり直し (-)"}));

    // From June, the undo goes back to July, where the step was, and the ledger is unsaved.
    main->SelectDate(Date{2026, 6, 20});
    ledger->LedgerChanged = false;
    form->SG31->setFocus();
    QTest::keyClick(form->SG31, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(JulyEntries(), 1);
    EXPECT_EQ(ledger->EditMonth, 7);
    EXPECT_EQ(main->ComboBox1->currentText(), QStringLiteral("7"));
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
    EXPECT_EQ(JulyEntries(), 1);
    QTest::keyClick(sheet.StringGrid1, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(JulyEntries(), 2);
    EXPECT_EQ(ledger->EntryTable[6][1].Amount, 800);
    EXPECT_EQ(Offered(), (QStringList{"　元に戻す：記入 7月12日 食費 800円", "　やり直し (-)"}));

    // A new step after an undo leaves nothing to redo; another ledger, nothing to undo.
    Action("Undo1")->trigger();
    WriteAmount("300");
    EXPECT_EQ(Offered(), (QStringList{"　元に戻す：記入 7月1日 食費 300円", "　やり直し (-)"}));
    main->init();
    EXPECT_EQ(Offered(), (QStringList{"　元に戻す (-)", "　やり直し (-)"}));
}

TEST_F(EditMenuTest, InsideTheShopMemoAndAmountFieldsTheKeysUndoTheTyping) {
    WriteAmount("1200");
    WriteAmount("800");
    Action("Undo1")->trigger();
    const QStringList offered = Offered();
    ASSERT_EQ(JulyEntries(), 1);

    const auto type = [](QWidget* field, const char* text) {
        field->setFocus();
        QTest::keyClicks(field, text);
    };
    struct Key {
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
    };
    auto* plain = new FieldClaimingNoKeys(form.get());
    plain->setObjectName(QStringLiteral("plain"));
    for (const Key key : {Key{Qt::Key_Z, Qt::ControlModifier}, Key{Qt::Key_Y, Qt::ControlModifier},
                          Key{Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier}}) {
        for (QWidget* field :
             {static_cast<QWidget*>(form->ComboBox1), static_cast<QWidget*>(form->ComboBox2),
              static_cast<QWidget*>(form->NValEdit5), static_cast<QWidget*>(plain)}) {
            type(field, "55");
            QTest::keyClick(field, key.Key, key.Modifiers);
            EXPECT_EQ(JulyEntries(), 1) << field->objectName().toStdString();
            EXPECT_EQ(Offered(), offered) << field->objectName().toStdString();
        }
    }
    // Ctrl+Z takes back what was typed into the field itself.
    form->ComboBox1->setEditText(QString());
    type(form->ComboBox1, "abc");
    QTest::keyClick(form->ComboBox1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->ComboBox1->currentText(), QString());
    NValEditFocus();
    QTest::keyClicks(form->NValEdit5, "99");
    QTest::keyClick(form->NValEdit5, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->NValEdit5->text(), QStringLiteral("9"));  // its undo is one key deep
    EXPECT_EQ(JulyEntries(), 1);
}

TEST_F(EditMenuTest, UndoOfADeleteFromTheListPutsTheEntryBackAndEndsAnEdit) {
    Put(7, 0, Entry(7, 1, 2, 0, 0, 0, 1000), "八百屋", "野菜");
    Put(7, 1, Entry(7, 2, 3, 1, 1, 0, 2000), "薬局", "");
    Put(7, 2, Entry(7, 3, 2, 1, 0, 0, 300), "食堂", "");
    main->AllUpdate();
    const auto july = ledger->EntryTable[6];
    const auto texts = ledger->EntryTextTable[6];

    ClickRow(2);
    RightClickRow(2);
    platform.Answers.push_back(OkButton);
    ChooseFromMenu(form->Delete1);
    ASSERT_EQ(JulyEntries(), 2);
    EXPECT_EQ(Offered().first(), QStringLiteral("　元に戻す：削除 7月2日 日用品 2,000円"));

    // An entry taken up for editing is let go: its row may hold another entry after the step.
    ClickRow(1);
    RightClickRow(1);
    ChooseFromMenu(form->Edit1);
    ASSERT_EQ(ledger->RowEditMode, 1);
    Action("Undo1")->trigger();
    EXPECT_EQ(ledger->EntryTable[6], july);
    EXPECT_EQ(ledger->EntryTextTable[6], texts);
    EXPECT_EQ(ledger->NextSlot, 3);
    EXPECT_EQ(form->EntryListCell(2, 1), QStringLiteral("薬局"));
    EXPECT_EQ(ledger->RowEditMode, 0);
    EXPECT_EQ(form->Panel2->text(), QStringLiteral("　入力"));
}

}  // namespace
}  // namespace kakeibo::test

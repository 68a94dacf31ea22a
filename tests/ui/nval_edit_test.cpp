#include "ui/controls/nval_edit.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

#include "ui/support/fake_platform.h"
#include "ui/support/screenshot.h"

namespace kakeibo {
namespace {

// A window with the field between two plain edits, shown and active, the field focused.
struct EditWindow {
    test::FakePlatform Platform;
    QWidget Window;
    QLineEdit* Before = new QLineEdit(&Window);
    TNValEdit* Field = new TNValEdit(&Window);
    QLineEdit* After = new QLineEdit(&Window);

    EditWindow() {
        Field->setObjectName(QStringLiteral("NValEdit5"));
        auto* layout = new QVBoxLayout(&Window);
        layout->addWidget(Before);
        layout->addWidget(Field);
        layout->addWidget(After);
        Window.resize(200, 100);
        Window.show();
        QApplication::setActiveWindow(&Window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Window));
        Field->setFocus(Qt::TabFocusReason);
    }

    void Keys(const QString& keys) {
        for (QChar key : keys) QTest::keyClick(Field, key.toLatin1());
    }
    QColor TextColour() const { return Field->palette().color(QPalette::Active, QPalette::Text); }
};

TEST(NValEditTest, TypingRewritesTheTextFromTheNumber) {
    EditWindow w;
    QSignalSpy changes(w.Field, &QLineEdit::textChanged);
    w.Keys(QStringLiteral("1234"));
    EXPECT_EQ(w.Field->text(), QStringLiteral("1,234"));
    EXPECT_EQ(w.Field->Value(), 1234);
    EXPECT_EQ(w.Field->cursorPosition(), 5);
    EXPECT_EQ(changes.count(), 4);
    EXPECT_EQ(changes.last().at(0).toString(), QStringLiteral("1,234"));

    // Letters and separators never reach the text, and do not beep.
    w.Keys(QStringLiteral("a,+ "));
    EXPECT_EQ(w.Field->text(), QStringLiteral("1,234"));
    EXPECT_EQ(w.Platform.Beeps, 0);

    QTest::keyClick(w.Field, Qt::Key_Backspace);
    EXPECT_EQ(w.Field->text(), QStringLiteral("123"));
    QTest::keyClick(w.Field, Qt::Key_Home);
    EXPECT_EQ(w.Field->selectedText(), QStringLiteral("123"));
    w.Keys(QStringLiteral("9"));
    EXPECT_EQ(w.Field->text(), QStringLiteral("9"));

    // Full: the tenth digit beeps and changes nothing.
    w.Keys(QStringLiteral("12345678"));
    EXPECT_EQ(w.Field->text(), QStringLiteral("912,345,678"));
    w.Keys(QStringLiteral("0"));
    EXPECT_EQ(w.Field->text(), QStringLiteral("912,345,678"));
    EXPECT_EQ(w.Platform.Beeps, 1);

    // Japanese text typed past the input method is refused like any letter.
    QTest::sendKeyEvent(QTest::Click, w.Field, Qt::Key_unknown, QStringLiteral("食"), {});
    EXPECT_EQ(w.Field->text(), QStringLiteral("912,345,678"));
    EXPECT_FALSE(w.Field->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(w.Field->acceptDrops());
    EXPECT_EQ(w.Field->alignment(), Qt::AlignRight | Qt::AlignVCenter);
}

TEST(NValEditTest, MinusColourFollowsTheSign) {
    EditWindow w;
    const QColor plain = w.TextColour();
    w.Field->SetMinusColor(Qt::red);
    w.Keys(QStringLiteral("-"));
    EXPECT_EQ(w.Field->text(), QStringLiteral("-"));
    EXPECT_EQ(w.Field->Value(), 0);
    EXPECT_EQ(w.TextColour(), QColor(Qt::red));
    w.Keys(QStringLiteral("5"));
    EXPECT_EQ(w.Field->text(), QStringLiteral("-5"));
    EXPECT_EQ(w.Field->Value(), -5);
    EXPECT_EQ(w.TextColour(), QColor(Qt::red));
    w.Keys(QStringLiteral("-"));
    EXPECT_EQ(w.TextColour(), plain);

    // A colour the program sets becomes the plain colour, also while the number is negative.
    w.Field->SetValue(-7);
    QPalette blue = w.Field->palette();
    blue.setColor(QPalette::Text, Qt::blue);
    w.Field->setPalette(blue);
    EXPECT_EQ(w.Field->PlainColor(), QColor(Qt::blue));
    EXPECT_EQ(w.TextColour(), QColor(Qt::red));
    w.Field->SetValue(7);
    EXPECT_EQ(w.TextColour(), QColor(Qt::blue));
    EXPECT_EQ(w.Field->MinusColor(), QColor(Qt::red));
}

TEST(NValEditTest, PasteGoesThroughTheRealClipboard) {
    EditWindow w;
    QClipboard* clipboard = QGuiApplication::clipboard();
    w.Keys(QStringLiteral("55"));
    clipboard->setText(QStringLiteral("１２３"));
    QTest::keyClick(w.Field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.Field->text(), QStringLiteral("123"));
    EXPECT_EQ(w.Field->Value(), 123);

    clipboard->setText(QStringLiteral("\\1,234"));
    QTest::keyClick(w.Field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.Field->Value(), 1234);
    clipboard->setText(QStringLiteral("-123,456"));
    QTest::keyClick(w.Field, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(w.Field->text(), QStringLiteral("-123,456"));
    clipboard->setText(QStringLiteral("1,23"));
    QTest::keyClick(w.Field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.Field->text(), QString());
    EXPECT_EQ(w.Field->Value(), 0);

    // Undo brings back the number before the paste; a second undo repeats it.
    clipboard->setText(QStringLiteral("12a"));
    w.Field->SetValue(77);
    w.Keys(QStringLiteral("8"));
    QTest::keyClick(w.Field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.Field->text(), QString());
    QTest::keyClick(w.Field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w.Field->text(), QStringLiteral("778"));
    EXPECT_EQ(w.Field->Value(), 778);
    QTest::keyClick(w.Field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w.Field->Value(), 0);

    clipboard->clear();
    w.Field->SetValue(5);
    QTest::keyClick(w.Field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.Field->Value(), 0);

    // Read-only: nothing pastes and nothing is typed.
    clipboard->setText(QStringLiteral("9"));
    w.Field->SetValue(5);
    w.Field->setReadOnly(true);
    QTest::keyClick(w.Field, Qt::Key_V, Qt::ControlModifier);
    w.Keys(QStringLiteral("1"));
    QTest::keyClick(w.Field, Qt::Key_Backspace);
    EXPECT_EQ(w.Field->text(), QStringLiteral("5"));
}

TEST(NValEditTest, CutCopyAndTheContextMenu) {
    EditWindow w;
    QClipboard* clipboard = QGuiApplication::clipboard();
    w.Field->SetValue(1234);
    QTest::keyClick(w.Field, Qt::Key_Home);
    QTest::keyClick(w.Field, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), QStringLiteral("1,234"));
    EXPECT_EQ(w.Field->Value(), 1234);
    QTest::keyClick(w.Field, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(w.Field->text(), QString());
    EXPECT_EQ(w.Field->Value(), 0);

    // Without a selection a cut has nothing to take, so the number stays.
    w.Field->SetValue(42);
    QTest::keyClick(w.Field, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(w.Field->Value(), 42);

    std::unique_ptr<QMenu> plainMenu(w.Field->CreateContextMenu());
    QStringList texts;
    for (QAction* action : plainMenu->actions()) {
        if (!action->isSeparator()) texts << action->text();
    }
    EXPECT_EQ(texts.join(u'|'), QStringLiteral("元に戻す(&U)|切り取り(&T)|コピー(&C)|"
                                               "貼り付け(&P)|削除(&D)|すべて選択(&A)"));
    EXPECT_FALSE(plainMenu->findChild<QAction*>(QStringLiteral("CutAction"))->isEnabled());

    clipboard->setText(QStringLiteral("２，５００"));
    plainMenu->findChild<QAction*>(QStringLiteral("PasteAction"))->trigger();
    EXPECT_EQ(w.Field->text(), QStringLiteral("2,500"));
    w.Field->selectAll();
    std::unique_ptr<QMenu> menu(w.Field->CreateContextMenu());
    menu->findChild<QAction*>(QStringLiteral("DeleteAction"))->trigger();
    EXPECT_EQ(w.Field->Value(), 0);
    menu->findChild<QAction*>(QStringLiteral("UndoAction"))->trigger();
    EXPECT_EQ(w.Field->text(), QStringLiteral("2,500"));
}

TEST(NValEditTest, FocusSavesPadsAndEscapeReturns) {
    EditWindow w;
    w.Field->SetFixDecimal(2);
    w.Field->SetValue(3);
    EXPECT_EQ(w.Field->text(), QStringLiteral("3.00"));
    w.Before->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.Before, Qt::Key_Tab);
    EXPECT_TRUE(w.Field->hasFocus());
    EXPECT_EQ(w.Field->selectedText(), QStringLiteral("3.00"));  // entered by Tab: all selected
    w.Keys(QStringLiteral("1.5"));
    EXPECT_EQ(w.Field->text(), QStringLiteral("1.5"));
    QTest::keyClick(w.Field, Qt::Key_Escape);
    EXPECT_EQ(w.Field->text(), QStringLiteral("3.00"));
    EXPECT_EQ(w.Field->Value(), 3);

    QTest::keyClick(w.Field, Qt::Key_Home);
    w.Keys(QStringLiteral("1.5"));
    QTest::keyClick(w.Field, Qt::Key_Tab);
    EXPECT_TRUE(w.After->hasFocus());
    EXPECT_EQ(w.Field->text(), QStringLiteral("1.50"));
    EXPECT_EQ(w.Field->Value(), 1.5L);
    EXPECT_EQ(w.Field->Logic().SavedValue(), 1.5L);

    // Enter and the arrows move on only when asked to.
    w.Field->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.Field, Qt::Key_Down);
    EXPECT_TRUE(w.Field->hasFocus());
    w.Field->SetArrowNext(true);
    QTest::keyClick(w.Field, Qt::Key_Down);
    EXPECT_TRUE(w.After->hasFocus());
    w.Field->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.Field, Qt::Key_Up);
    EXPECT_TRUE(w.Before->hasFocus());
    w.Field->setFocus(Qt::TabFocusReason);
    w.Field->SetEnterNext(true);
    QTest::keyClick(w.Field, Qt::Key_Return);
    EXPECT_TRUE(w.After->hasFocus());
}

TEST(NValEditTest, DeleteKeyAndClicks) {
    EditWindow w;
    w.Field->SetValue(1234);
    QTest::keyClick(w.Field, Qt::Key_Delete);
    EXPECT_EQ(w.Field->text(), QStringLiteral("1,234"));
    w.Field->SetDelAllClear(true);
    QTest::keyClick(w.Field, Qt::Key_Delete);
    EXPECT_EQ(w.Field->text(), QString());

    // A click anywhere leaves the caret at the end, ready for the next digit.
    w.Field->SetValue(98765);
    QTest::mouseClick(w.Field, Qt::LeftButton, {}, QPoint(w.Field->width() - 30, 8));
    EXPECT_EQ(w.Field->cursorPosition(), 6);
    EXPECT_FALSE(w.Field->hasSelectedText());
    // Left does not move it either.
    QTest::keyClick(w.Field, Qt::Key_Left);
    EXPECT_EQ(w.Field->cursorPosition(), 6);
    // A double click keeps the selection it made.
    QTest::mouseDClick(w.Field, Qt::LeftButton, {}, QPoint(w.Field->width() - 20, 8));
    EXPECT_TRUE(w.Field->hasSelectedText());
    w.Keys(QStringLiteral("4"));
    EXPECT_EQ(w.Field->text(), QStringLiteral("4"));
}

TEST(NValEditTest, TextSetFromOutsideBecomesTheNumber) {
    EditWindow w;
    w.Field->setText(QStringLiteral("￥1,234"));
    EXPECT_EQ(w.Field->Value(), 1234);
    EXPECT_EQ(w.Field->text(), QStringLiteral("1,234"));
    w.Field->setText(QStringLiteral("abc"));
    EXPECT_EQ(w.Field->Value(), 0);
    EXPECT_EQ(w.Field->text(), QString());
    w.Field->SetZeroDisplay(true);
    EXPECT_EQ(w.Field->text(), QStringLiteral("0"));
    w.Field->SetLeadingChar('\\');
    EXPECT_EQ(w.Field->text(), QStringLiteral("¥0"));
    w.Field->SetValue(-1500);
    EXPECT_EQ(w.Field->text(), QStringLiteral("¥-1,500"));
    w.Field->SetPrmtNegative(false);
    EXPECT_EQ(w.Field->text(), QStringLiteral("¥1,500"));
    w.Field->SetPutAComma(false);
    EXPECT_EQ(w.Field->text(), QStringLiteral("¥1500"));
    w.Field->SetMaxDigits(3);
    EXPECT_EQ(w.Field->text(), QStringLiteral("¥999"));
    EXPECT_EQ(w.Platform.Beeps, 0);
}

TEST(NValEditTest, TheInputMethodStaysOutAndKeysArriveAsDigits) {
    EditWindow w;
    // The platform asks by an event, the focus object's query by a method: both say no,
    // while a plain field beside it keeps its input method.
    auto eventAnswer = [](QWidget* field) {
        QInputMethodQueryEvent query(Qt::ImEnabled);
        QCoreApplication::sendEvent(field, &query);
        return query.value(Qt::ImEnabled);
    };
    EXPECT_EQ(eventAnswer(w.Field), QVariant(false));
    EXPECT_EQ(QGuiApplication::inputMethod()->queryFocusObject(Qt::ImEnabled, {}), QVariant(false));
    EXPECT_EQ(w.Field->inputMethodQuery(Qt::ImEnabled), QVariant(false));
    EXPECT_EQ(eventAnswer(w.Before), QVariant(true));

    w.Keys(QStringLiteral("500"));
    EXPECT_EQ(w.Field->text(), QStringLiteral("500"));
    // An input method that composes anyway shows nothing; what it commits is typed.
    QInputMethodEvent preedit(QStringLiteral("５"), {});
    QCoreApplication::sendEvent(w.Field, &preedit);
    EXPECT_EQ(w.Field->text(), QStringLiteral("500"));
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("０円1"));
    QCoreApplication::sendEvent(w.Field, &commit);
    EXPECT_EQ(w.Field->text(), QStringLiteral("50,001"));
    EXPECT_EQ(w.Field->Value(), 50001);
}

TEST(NValEditTest, Demo) {
    test::FakePlatform platform;
    QWidget window;
    window.setStyleSheet(QString());
    window.resize(300, 90);
    auto* plain = new TNValEdit(&window);
    plain->setGeometry(8, 8, 289, 20);
    plain->SetZeroDisplay(true);
    plain->SetValue(1234567);
    auto* negative = new TNValEdit(&window);
    negative->setGeometry(8, 34, 289, 20);
    negative->SetMinusColor(Qt::red);
    negative->SetValue(-1500);
    auto* decimals = new TNValEdit(&window);
    decimals->setGeometry(8, 60, 289, 20);
    decimals->SetFixDecimal(2);
    decimals->SetLeadingChar('\\');
    decimals->SetValue(98.5L);
    window.show();
    const QImage image = window.grab().toImage();
    test::SaveScreenshot(window, QStringLiteral("nval_edit_demo"));
    // The red minus number: some pixel of its text row is red.
    bool red = false;
    for (int x = 8; x < 297 && !red; ++x) {
        for (int y = 36; y < 52 && !red; ++y) red = image.pixelColor(x, y) == QColor(Qt::red);
    }
    EXPECT_TRUE(red);
}

}  // namespace
}  // namespace kakeibo

#include "ui/controls/nval_edit.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <utility>

#include "ui/platform/platform.h"

namespace kakeibo {

TNValEdit::TNValEdit(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Digits must arrive as plain characters, never through a composition window.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    // A drop would splice text into the formatted number; pasting replaces it whole.
    setAcceptDrops(false);
    minusColor_ = palette().color(QPalette::Active, QPalette::Text);
    plainColor_ = minusColor_;
    logic_.SetBeep([] { CurrentPlatform().Beep(); });
    connect(this, &QLineEdit::textChanged, this, &TNValEdit::TextEdited);
    Display();
}

void TNValEdit::Display() {
    textSyncArmed_ = false;
    const QString shown = QString::fromStdString(logic_.Text());
    if (shown != text()) setText(shown);
    setCursorPosition(static_cast<int>(shown.size()));
    textSyncArmed_ = true;
    ApplyColor(logic_.ShowsNegative());
}

void TNValEdit::ApplyColor(bool negative) {
    if (minusColor_ == plainColor_) return;
    const QColor wanted = negative ? minusColor_ : plainColor_;
    if (palette().color(QPalette::Active, QPalette::Text) == wanted) return;
    QPalette colours = palette();
    colours.setColor(QPalette::Active, QPalette::Text, wanted);
    colours.setColor(QPalette::Inactive, QPalette::Text, wanted);
    colorGuard_ = true;
    setPalette(colours);
    colorGuard_ = false;
}

void TNValEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() != QEvent::PaletteChange || colorGuard_) return;
    // A colour set by the program is the colour of plain numbers from now on.
    const QColor colour = palette().color(QPalette::Active, QPalette::Text);
    if (minusColor_ == plainColor_) {
        minusColor_ = colour;
        plainColor_ = colour;
    } else if (logic_.ShowsNegative()) {
        if (colour != minusColor_) {
            plainColor_ = colour;
            ApplyColor(true);
        }
    } else {
        plainColor_ = colour;
    }
}

void TNValEdit::TextEdited(const QString& text) {
    setModified(true);
    if (!textSyncArmed_) return;
    // Text put in from outside: the number follows it and the text is written anew.
    logic_.SetValue(logic_.TextToValue(text.toStdString()));
    Display();
}

template <typename Change>
void TNValEdit::UserEdit(Change change) {
    const QString before = text();
    change();
    Display();
    if (text() != before) undoText_ = before;
}

void TNValEdit::SetValue(long double value) {
    undoText_.reset();
    logic_.SetValue(value);
    Display();
}

void TNValEdit::SetMaxDigits(int digits) {
    logic_.SetMaxDigits(digits);
    Display();
}

void TNValEdit::SetPrmtNegative(bool permitted) {
    logic_.SetPrmtNegative(permitted);
    Display();
}

void TNValEdit::SetFixDecimal(int decimals) {
    logic_.SetFixDecimal(decimals);
    Display();
}

void TNValEdit::SetLeadingChar(char c) {
    logic_.SetLeadingChar(c);
    Display();
}

void TNValEdit::SetZeroDisplay(bool on) {
    logic_.SetZeroDisplay(on);
    Display();
}

void TNValEdit::SetPutAComma(bool on) {
    logic_.SetPutAComma(on);
    Display();
}

void TNValEdit::PasteValue() {
    if (isReadOnly()) return;
    // The whole number is replaced; nothing is inserted at the caret.
    const QString pasted = QGuiApplication::clipboard()->text();
    UserEdit([&] { logic_.SetValue(logic_.TextToValue(pasted.toStdString())); });
}

void TNValEdit::CutValue() {
    if (isReadOnly() || !hasSelectedText()) return;
    copy();
    UserEdit([&] { logic_.SetValue(0); });
}

void TNValEdit::ClearValue() {
    if (isReadOnly() || !hasSelectedText()) return;
    UserEdit([&] { logic_.SetValue(0); });
}

void TNValEdit::UndoValue() {
    if (isReadOnly() || !undoText_) return;
    // One level, as in a plain edit box: a second undo brings the change back.
    const QString restored = *undoText_;
    undoText_ = text();
    logic_.SetValue(logic_.TextToValue(restored.toStdString()));
    Display();
}

QMenu* TNValEdit::CreateContextMenu() {
    auto* menu = new QMenu(this);
    const bool editable = !isReadOnly();
    const bool selected = hasSelectedText();
    auto add = [&](const QString& text, const char* name, bool enabled, auto slot) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
    };
    add(QStringLiteral("元に戻す(&U)"), "UndoAction", editable && undoText_.has_value(),
        &TNValEdit::UndoValue);
    menu->addSeparator();
    add(QStringLiteral("切り取り(&T)"), "CutAction", editable && selected, &TNValEdit::CutValue);
    add(QStringLiteral("コピー(&C)"), "CopyAction", selected, &QLineEdit::copy);
    add(QStringLiteral("貼り付け(&P)"), "PasteAction",
        editable && !QGuiApplication::clipboard()->text().isEmpty(), &TNValEdit::PasteValue);
    add(QStringLiteral("削除(&D)"), "DeleteAction", editable && selected, &TNValEdit::ClearValue);
    menu->addSeparator();
    add(QStringLiteral("すべて選択(&A)"), "SelectAllAction", !text().isEmpty(),
        &QLineEdit::selectAll);
    return menu;
}

void TNValEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TNValEdit::keyPressEvent(QKeyEvent* event) {
    const bool selected = hasSelectedText();
    const bool editable = !isReadOnly();
    if (event->matches(QKeySequence::Paste)) return PasteValue();
    if (event->matches(QKeySequence::Cut)) return CutValue();
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        return UndoValue();
    }
    switch (event->key()) {
        case Qt::Key_Backspace:
            if (editable) UserEdit([&] { logic_.DeleteLastDigit(selected); });
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (enterNext_) {
                focusNextChild();
                return;
            }
            break;
        case Qt::Key_Escape:
            if (editable) UserEdit([&] { logic_.Escape(); });
            return;
        case Qt::Key_Home:
            selectAll();
            return;
        case Qt::Key_Left:
            return;
        case Qt::Key_Up:
            if (arrowNext_) {
                focusPreviousChild();
                return;
            }
            break;
        case Qt::Key_Down:
            if (arrowNext_) {
                focusNextChild();
                return;
            }
            break;
        case Qt::Key_Delete:
            if (editable) UserEdit([&] { logic_.DeleteKey(selected); });
            return;
        default:
            break;
    }
    const QString typed = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (!typed.isEmpty() && typed.at(0).isPrint() && !command) {
        // Characters never reach the text directly: they only change the number.
        if (editable) TypeCharacter(typed.at(0).unicode());
        return;
    }
    // Word and line deletions would edit the text behind the number's back.
    if (event->matches(QKeySequence::DeleteStartOfWord) ||
        event->matches(QKeySequence::DeleteEndOfWord) ||
        event->matches(QKeySequence::DeleteEndOfLine) ||
        event->matches(QKeySequence::DeleteCompleteLine)) {
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TNValEdit::TypeCharacter(char16_t c) {
    const bool selected = hasSelectedText();
    if (c >= u'0' && c <= u'9') {
        UserEdit([&] { logic_.TypeDigit(c - u'0', selected); });
    } else if (c == u'-') {
        UserEdit([&] { logic_.TypeMinus(selected); });
    } else if (c == u'.') {
        UserEdit([&] { logic_.TypePoint(selected); });
    }
}

QVariant TNValEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
    return inputMethodQuery(query, QVariant());
}

QVariant TNValEdit::inputMethodQuery(Qt::InputMethodQuery query, QVariant argument) const {
    // QLineEdit answers "enabled" whatever the attribute says, and an input method that
    // hears it keeps composing: the field must say itself that it takes none.
    if (query == Qt::ImEnabled) return false;
    return QLineEdit::inputMethodQuery(query, std::move(argument));
}

void TNValEdit::inputMethodEvent(QInputMethodEvent* event) {
    // A composition never shows inside the number; text an input method still commits here
    // is typed key by key, full-width digits as digits.
    event->accept();
    if (isReadOnly()) return;
    for (QChar c : event->commitString()) {
        char16_t code = c.unicode();
        if (code >= 0xFF01 && code <= 0xFF5E) code -= 0xFEE0;
        TypeCharacter(code);
    }
}

void TNValEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    logic_.FocusGained();
    if (QInputMethod* method = QGuiApplication::inputMethod()) method->reset();
    // A click places the caret itself; only keyboard entry selects the whole number.
    const bool byMouse = event->reason() == Qt::MouseFocusReason;
    if (autoSelect_ && !byMouse) selectAll();
}

void TNValEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // The context menu takes the focus only for a moment; its commands need the selection.
    if (event->reason() == Qt::PopupFocusReason) return;
    logic_.FocusLost();
    Display();
}

void TNValEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
}

void TNValEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    doubleClicked_ = true;
}

void TNValEdit::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (!doubleClicked_) {
        // Numbers are edited at their end: a click leaves the caret there.
        const bool wholeSelected = selectionStart() == 0 && selectedText() == text();
        if (!wholeSelected || text().isEmpty()) setCursorPosition(static_cast<int>(text().size()));
    }
    doubleClicked_ = false;
}

}  // namespace kakeibo

#pragma once

#include <QColor>
#include <QLineEdit>
#include <QString>
#include <optional>

#include "ui/controls/nval_edit_logic.h"

class QMenu;

namespace kakeibo {

// A one-line field that holds a number: Value is the truth and the text is always rewritten
// from it. Typed keys change the number; refused keys beep. textChanged is its OnChange.
class TNValEdit final : public QLineEdit {
    Q_OBJECT

public:
    explicit TNValEdit(QWidget* parent = nullptr);

    long double Value() const { return logic_.Value(); }
    void SetValue(long double value);

    int MaxDigits() const { return logic_.MaxDigits(); }
    void SetMaxDigits(int digits);
    bool PrmtNegative() const { return logic_.PrmtNegative(); }
    void SetPrmtNegative(bool permitted);
    int FixDecimal() const { return logic_.FixDecimal(); }
    void SetFixDecimal(int decimals);
    bool DelAllClear() const { return logic_.DelAllClear(); }
    void SetDelAllClear(bool on) { logic_.SetDelAllClear(on); }
    char LeadingChar() const { return logic_.LeadingChar(); }
    void SetLeadingChar(char c);
    bool ZeroDisplay() const { return logic_.ZeroDisplay(); }
    void SetZeroDisplay(bool on);
    bool PutAComma() const { return logic_.PutAComma(); }
    void SetPutAComma(bool on);
    bool EnterNext() const { return enterNext_; }
    void SetEnterNext(bool on) { enterNext_ = on; }
    bool ArrowNext() const { return arrowNext_; }
    void SetArrowNext(bool on) { arrowNext_ = on; }
    QColor MinusColor() const { return minusColor_; }
    void SetMinusColor(const QColor& color) { minusColor_ = color; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool on) { autoSelect_ = on; }

    // The number logic behind the field (counters, SavedValue), for tests and diagnostics.
    const NValEditLogic& Logic() const { return logic_; }
    // Font colour of a number that is zero or positive.
    QColor PlainColor() const { return plainColor_; }

    // The clipboard commands, as the keys and the context menu run them.
    void PasteValue();
    void CutValue();
    void ClearValue();
    void UndoValue();

    // The context menu the field shows (caller owns it); its actions run the commands above.
    QMenu* CreateContextMenu();

    // Both ways an input method asks, so that none composes in the field.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    Q_INVOKABLE QVariant inputMethodQuery(Qt::InputMethodQuery query, QVariant argument) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void Display();
    void ApplyColor(bool negative);
    void TextEdited(const QString& text);
    // A printable character typed into the number: digits, minus and point; others ignored.
    void TypeCharacter(char16_t c);
    // Runs a user's change of the number, keeping the text before it for undo.
    template <typename Change>
    void UserEdit(Change change);

    NValEditLogic logic_;
    bool enterNext_ = false;
    bool arrowNext_ = false;
    bool autoSelect_ = true;
    QColor minusColor_;
    QColor plainColor_;
    bool colorGuard_ = false;
    bool doubleClicked_ = false;
    // False while the field writes its own text, so that only outside text is parsed.
    bool textSyncArmed_ = false;
    std::optional<QString> undoText_;
};

}  // namespace kakeibo

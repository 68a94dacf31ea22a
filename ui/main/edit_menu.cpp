// The main window's way back and forth through the ledger's changes: 「編集」 with undo and redo.
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <algorithm>

#include "core/calendar.h"
#include "core/ledger/change.h"
#include "core/ledger/history.h"
#include "ui/entry/entry_form.h"
#include "ui/main/main_window.h"
#include "ui/platform/platform.h"

namespace kakeibo {

namespace {

const char* const kUndoCaption = "　元に戻す";
const char* const kRedoCaption = "　やり直し";

bool IsTextField(const QObject* object) {
    if (const auto* combo = qobject_cast<const QComboBox*>(object)) {
        return combo->isEditable() && combo->lineEdit() != nullptr &&
               !combo->lineEdit()->isReadOnly();
    }
    if (const auto* line = qobject_cast<const QLineEdit*>(object)) return !line->isReadOnly();
    if (const auto* text = qobject_cast<const QTextEdit*>(object)) return !text->isReadOnly();
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(object)) {
        return !plain->isReadOnly();
    }
    return qobject_cast<const QAbstractSpinBox*>(object) != nullptr;
}

// Inside a text field the undo and redo keys are the field's own, for the text typed: the
// field is asked first, so the ledger's shortcuts do not take them.
class TextFieldsKeepKeys final : public QObject {
public:
    TextFieldsKeepKeys(QAction* undo, QAction* redo, QObject* parent)
        : QObject(parent), undo_(undo), redo_(redo) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride || !IsTextField(watched)) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        if (undo_->shortcuts().contains(pressed) || redo_->shortcuts().contains(pressed)) {
            key->accept();
            return true;
        }
        return false;
    }

private:
    QAction* undo_;
    QAction* redo_;
};

// A step's caption as a menu shows it: its words after the command, "&" kept as text.
QString MenuCaption(const char* command, const std::string& step) {
    QString caption = QString::fromUtf8(command);
    if (!step.empty()) {
        caption += QStringLiteral("：") +
                   QString::fromStdString(step).replace(QLatin1Char('&'), QStringLiteral("&&"));
    }
    return caption;
}

}  // namespace

void TForm1::BuildEditMenu() {
    Edit1 = menuBar()->addMenu(QStringLiteral("　編集　"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->menuAction()->setObjectName(QStringLiteral("Edit1"));
    Undo1 = Edit1->addAction(QString::fromUtf8(kUndoCaption));
    Undo1->setObjectName(QStringLiteral("Undo1"));
    Undo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Redo1 = Edit1->addAction(QString::fromUtf8(kRedoCaption));
    Redo1->setObjectName(QStringLiteral("Redo1"));
    Redo1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    // The keys work while a tool window has the focus, as the view keys do.
    for (QAction* action : {Undo1, Redo1}) action->setShortcutContext(Qt::ApplicationShortcut);
    ConnectGuarded(Undo1, &QAction::triggered, this, &TForm1::Undo1Click);
    ConnectGuarded(Redo1, &QAction::triggered, this, &TForm1::Redo1Click);
    qApp->installEventFilter(new TextFieldsKeepKeys(Undo1, Redo1, this));
    UpdateEditMenu();
}

void TForm1::UpdateEditMenu() {
    const History& steps = session_.Steps();
    Undo1->setText(MenuCaption(kUndoCaption, steps.UndoCaption()));
    Undo1->setEnabled(steps.UndoCount() > 0);
    Redo1->setText(MenuCaption(kRedoCaption, steps.RedoCaption()));
    Redo1->setEnabled(steps.RedoCount() > 0);
}

void TForm1::Apply(const Change& change) {
    session_.Apply(change);
}

void TForm1::Undo1Click() {
    StepHistory(false);
}

void TForm1::Redo1Click() {
    StepHistory(true);
}

void TForm1::StepHistory(bool forward) {
    const std::optional<Change> done = forward ? session_.Redo() : session_.Undo();
    if (!done) return;
    UpdateEditMenu();
    ShowStep(*done);
}

void TForm1::ShowStep(const Change& change) {
    // The entry being edited may have moved or gone with the step.
    if (entryForm_ != nullptr) entryForm_->LeaveEditMode();
    if (change.SettingsAfter) RefillItemLists();
    const int month = change.FirstMonth();
    if (month != 0 && month != ledger_.EditMonth) {
        // The day stays where the user had it, as far as the month allows.
        const int year = ledger_.EditDate.Year;
        SelectDate(Date{year, month, std::min(ledger_.EditDate.Day, DaysInMonth(year, month))});
    } else {
        AllUpdate();
    }
}

}  // namespace kakeibo

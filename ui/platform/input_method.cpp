#include "ui/platform/input_method.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QWidget>

namespace kakeibo {

void PendingComposition::Watch(QWidget* field) {
    field->installEventFilter(this);
}

void PendingComposition::Commit() {
    QInputMethod* method = QGuiApplication::inputMethod();
    method->commit();
    if (!field_ || text_.isEmpty()) return;
    // This input method does not commit on request: the field takes what it showed, and
    // the input method drops it so that it cannot arrive a second time.
    QInputMethodEvent commit;
    commit.setCommitString(text_);
    QCoreApplication::sendEvent(field_, &commit);
    method->reset();
}

bool PendingComposition::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) committed_.clear();
    if (event->type() != QEvent::InputMethod) return QObject::eventFilter(watched, event);
    const auto* input = static_cast<QInputMethodEvent*>(event);
    const QString commit = input->commitString();
    if (input->preeditString().isEmpty() && !commit.isEmpty() && commit == committed_) {
        committed_.clear();
        return true;
    }
    // An empty update (the composition hidden) may come between the commit and its copy.
    if (!commit.isEmpty() || !input->preeditString().isEmpty()) {
        committed_ = !text_.isEmpty() && commit == text_ ? commit : QString();
    }
    if (!input->preeditString().isEmpty()) {
        field_ = qobject_cast<QWidget*>(watched);
        text_ = input->preeditString();
    } else if (watched == field_) {
        text_.clear();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kakeibo

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
    if (event->type() == QEvent::InputMethod) {
        const QString preedit = static_cast<QInputMethodEvent*>(event)->preeditString();
        if (!preedit.isEmpty()) {
            field_ = qobject_cast<QWidget*>(watched);
            text_ = preedit;
        } else if (watched == field_) {
            text_.clear();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kakeibo

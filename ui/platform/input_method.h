#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace kakeibo {

// Follows what the input method is still composing in the text fields it watches, so that a
// command can commit it into its field before reading the fields. Moving the focus commits
// by itself; a click on a button that takes no focus does not.
class PendingComposition final : public QObject {
public:
    using QObject::QObject;

    void Watch(QWidget* field);
    // Asks the input method to commit; a composition it leaves standing is committed here.
    void Commit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> field_;
    QString text_;
};

}  // namespace kakeibo

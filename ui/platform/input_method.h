#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace kakeibo {

// Follows what the input method is still composing in the text fields it watches, so that a
// command can commit it into its field before reading the fields. Moving the focus commits
// by itself; a click on a button that takes no focus does not.
// Some input methods (ibus with mozc) send a composition that was committed on request a
// second time, a moment later, into whatever field has the focus then: that copy is dropped.
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
    // The text last committed out of a composition, until the next input arrives.
    QString committed_;
};

}  // namespace kakeibo

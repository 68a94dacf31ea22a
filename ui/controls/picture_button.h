#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace kakeibo {

// A flat button that is only its picture: a thin raised frame under the mouse, sunken
// while pressed, the picture greyed when disabled. The Tab key reaches it (a click leaves
// the focus where it was); Space, Enter and Return press it, and a dark frame shows the focus.
class TPictureButton final : public QAbstractButton {
    Q_OBJECT

public:
    explicit TPictureButton(const QPixmap& picture, QWidget* parent = nullptr);

    QSize sizeHint() const override { return picture_.size(); }
    // Shows another picture (a maximise button showing the other state).
    void SetPicture(const QPixmap& picture);
    const QPixmap& Picture() const { return picture_; }

protected:
    // A screen reader names the picture by its tip.
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPixmap picture_;
    QPixmap disabled_;
    bool hovered_ = false;
};

}  // namespace kakeibo

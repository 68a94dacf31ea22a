#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace kakeibo {

// A flat button that is only its picture: a thin raised frame under the mouse, sunken
// while pressed, the picture greyed when disabled.
class TPictureButton final : public QAbstractButton {
    Q_OBJECT

public:
    explicit TPictureButton(const QPixmap& picture, QWidget* parent = nullptr);

    QSize sizeHint() const override { return picture_.size(); }
    // Shows another picture (a maximise button showing the other state).
    void SetPicture(const QPixmap& picture);
    const QPixmap& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QPixmap picture_;
    QPixmap disabled_;
    bool hovered_ = false;
};

}  // namespace kakeibo

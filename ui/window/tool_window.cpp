#include "ui/window/tool_window.h"

#include <QCloseEvent>
#include <QScreen>
#include <QShowEvent>

#include "ui/controls/picture_button.h"
#include "ui/platform/frameless.h"
#include "ui/platform/placement.h"
#include "ui/platform/platform.h"
#include "ui/print/printout.h"
#include "ui/window/workspace.h"

namespace kakeibo {

namespace {

constexpr int kButtonSide = 16;
constexpr int kBottomGap = 50;  // a maximised window ends this far above the screen's bottom

QPixmap Picture(const char* path) {
    return QPixmap(QString::fromUtf8(path));
}

QRect ScreenArea(const QWidget& widget) {
    const QScreen* screen = ScreenOf(&widget);
    return screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

TToolWindow::TToolWindow(Workspace& workspace, ToolFrame frame, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint), workspace_(workspace), frame_(frame) {
    if (frame_ == ToolFrame::Fixed) {
        FramelessDrag::ForEntryForm(this);
        return;
    }
    FramelessDrag::ForSheet(this);
    Image2 = new TPictureButton(Picture(":/resources/window_close.png"), this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setToolTip(QStringLiteral("閉じる"));
    Image3 = new TPictureButton(Picture(":/resources/window_maximize.png"), this);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setToolTip(QStringLiteral("最大化"));
    for (TPictureButton* button : {Image2, Image3}) button->resize(kButtonSide, kButtonSide);
    ConnectGuarded(Image2, &TPictureButton::clicked, this, &TToolWindow::Image2Click);
    ConnectGuarded(Image3, &TPictureButton::clicked, this, &TToolWindow::Image3Click);
}

LayoutSlot TToolWindow::Placement() const {
    return LayoutSlot{isHidden() ? 0 : 1, x(), y(), height(), width()};
}

void TToolWindow::Place(const LayoutSlot& slot, bool intoReach) {
    if (frame_ == ToolFrame::Sizable && slot.Width > 0 && slot.Height > 0) {
        resize(slot.Width, slot.Height);
    }
    const QPoint at(slot.Left, slot.Top);
    move(intoReach ? ReachablePosition(QRect(at, size()), ScreenRects()) : at);
    setVisible(slot.Visible == 1);
}

void TToolWindow::Image2Click() {
    close();
}

void TToolWindow::Image3Click() {
    if (maximised_) {
        maximised_ = false;
        setGeometry(normalGeometry_);
    } else {
        normalGeometry_ = geometry();
        maximised_ = true;
        const QRect area = ScreenArea(*this);
        setGeometry(MaximisedGeometry(QRect(area.left(), y(), area.width(), height()),
                                      MainWindowHeight(), ScreenHeight()));
    }
    // The picture always shows what a press does next.
    Image3->SetPicture(
        Picture(maximised_ ? ":/resources/window_restore.png" : ":/resources/window_maximize.png"));
    Image3->setToolTip(maximised_ ? QStringLiteral("元のサイズに戻す") : QStringLiteral("最大化"));
}

QRect TToolWindow::MaximisedGeometry(const QRect& requested, int mainHeight, int screenHeight) {
    return QRect(requested.left(), mainHeight + 1, requested.width(),
                 screenHeight - mainHeight - kBottomGap);
}

// The main window's real outer height, its frame included where the window system adds one.
int TToolWindow::MainWindowHeight() const {
    const QWidget* main = parentWidget();
    return main != nullptr ? main->frameGeometry().height() : 0;
}

int TToolWindow::ScreenHeight() const {
    return ScreenArea(*this).height();
}

void TToolWindow::KeepMaximisedPlace() {
    if (!maximised_) return;
    const QRect wanted = MaximisedGeometry(geometry(), MainWindowHeight(), ScreenHeight());
    if (wanted != geometry()) setGeometry(wanted);
}

void TToolWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) RunGuarded([this] { FormShow(); });
}

void TToolWindow::closeEvent(QCloseEvent* event) {
    // Hidden, never destroyed: what the window shows and holds outlives the closing.
    workspace_.FormVisible(this, isVisible());
    event->accept();
}

std::unique_ptr<PrintDocument> TToolWindow::Printed() const {
    return nullptr;
}

void TToolWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        workspace_.ToolWindowActivated(this);
    }
}

void TToolWindow::paintEvent(QPaintEvent*) {
    PaintNavyFrame(*this);
}

void TToolWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    KeepMaximisedPlace();
    if (Image2 != nullptr) {
        Image3->move(width() - 39, 8);
        Image2->move(width() - 22, 8);
    }
    FormResize();
    update();
}

void TToolWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    KeepMaximisedPlace();
}

}  // namespace kakeibo

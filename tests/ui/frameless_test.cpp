#include "ui/platform/frameless.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QWidget>

namespace kakeibo {
namespace {

TEST(EntryFormHitTest, TopBandMovesTheWindowUnlessTheRightButtonIsHeld) {
    EXPECT_EQ(EntryFormHitTest({0, 0}, false), HitArea::Caption);
    EXPECT_EQ(EntryFormHitTest({582, 15}, false), HitArea::Caption);
    EXPECT_EQ(EntryFormHitTest({300, 16}, false), HitArea::Client);
    EXPECT_EQ(EntryFormHitTest({300, 400}, false), HitArea::Client);
    EXPECT_EQ(EntryFormHitTest({10, 5}, true), HitArea::Client);
}

TEST(SheetHitTest, SizingZonesCaptionAndTheButtonBand) {
    const QSize size(425, 618);  // right zone x > 417, bottom zone y > 610
    // Bottom-right corner, right edge (also beside the buttons), and the margins left of them.
    EXPECT_EQ(SheetHitTest({418, 611}, size, false), HitArea::BottomRightCorner);
    EXPECT_EQ(SheetHitTest({424, 617}, size, false), HitArea::BottomRightCorner);
    EXPECT_EQ(SheetHitTest({418, 610}, size, false), HitArea::RightEdge);
    EXPECT_EQ(SheetHitTest({418, 0}, size, false), HitArea::RightEdge);
    EXPECT_EQ(SheetHitTest({417, 611}, size, false), HitArea::Client);
    // The bare surface is a caption from x = 8 on and down to y = h - 8.
    EXPECT_EQ(SheetHitTest({8, 300}, size, false), HitArea::Caption);
    EXPECT_EQ(SheetHitTest({7, 300}, size, false), HitArea::Client);
    EXPECT_EQ(SheetHitTest({417, 300}, size, false), HitArea::Caption);
    EXPECT_EQ(SheetHitTest({200, 610}, size, false), HitArea::Caption);
    EXPECT_EQ(SheetHitTest({200, 611}, size, false), HitArea::Client);
    // The 50 x 24 band at the top right stays client so its buttons can be clicked.
    EXPECT_EQ(SheetHitTest({376, 23}, size, false), HitArea::Client);
    EXPECT_EQ(SheetHitTest({375, 23}, size, false), HitArea::Caption);
    EXPECT_EQ(SheetHitTest({376, 24}, size, false), HitArea::Caption);
    // Nothing moves or sizes while the right button is held.
    EXPECT_EQ(SheetHitTest({418, 611}, size, true), HitArea::Client);
    EXPECT_EQ(SheetHitTest({418, 100}, size, true), HitArea::Client);
    EXPECT_EQ(SheetHitTest({100, 100}, size, true), HitArea::Client);
}

TEST(FramelessAreas, EdgesAndPointers) {
    EXPECT_EQ(EdgesOf(HitArea::RightEdge), Qt::Edges(Qt::RightEdge));
    EXPECT_EQ(EdgesOf(HitArea::BottomRightCorner), Qt::RightEdge | Qt::BottomEdge);
    EXPECT_EQ(EdgesOf(HitArea::Caption), Qt::Edges());
    EXPECT_EQ(CursorOf(HitArea::RightEdge), Qt::SizeHorCursor);
    EXPECT_EQ(CursorOf(HitArea::BottomRightCorner), Qt::SizeFDiagCursor);
    EXPECT_EQ(CursorOf(HitArea::Caption), Qt::ArrowCursor);
}

// Without a window manager the system move is refused, so the window follows by hand.
class FramelessDragTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
        window.setGeometry(100, 100, 300, 200);
        button = new QPushButton(QStringLiteral("x"), &window);
        button->setGeometry(260, 2, 20, 18);
        title = new QLabel(QStringLiteral("title"), &window);
        title->setGeometry(20, 2, 100, 12);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // Press at `at` on `target`, move the mouse by `by` and let go, as a user drags.
    void Drag(QWidget* target, QPoint at, QPoint by) {
        QTest::mousePress(target, Qt::LeftButton, {}, at);
        const QPoint local = at + by;
        QMouseEvent move(QEvent::MouseMove, local, target->mapToGlobal(local), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QTest::mouseRelease(target, Qt::LeftButton, {}, local);
    }

    QWidget window;
    QPushButton* button = nullptr;
    QLabel* title = nullptr;
};

TEST_F(FramelessDragTest, SheetRuleMovesAndSizesByHand) {
    FramelessDrag::ForSheet(&window);

    Drag(&window, {50, 50}, {30, 20});
    EXPECT_EQ(window.pos(), QPoint(130, 120));
    EXPECT_EQ(window.size(), QSize(300, 200));

    Drag(&window, {296, 100}, {40, 15});
    EXPECT_EQ(window.pos(), QPoint(130, 120));
    EXPECT_EQ(window.size(), QSize(340, 200));

    Drag(&window, {336, 196}, {-20, 30});
    EXPECT_EQ(window.size(), QSize(320, 230));

    // Shrinking past the left edge stops at the two sizing zones.
    Drag(&window, {316, 100}, {-500, 0});
    EXPECT_EQ(window.size(), QSize(16, 230));
    window.resize(320, 230);

    // The margins, the button band and the button itself leave the window where it is.
    Drag(&window, {3, 100}, {50, 50});
    Drag(&window, {290, 10}, {50, 50});
    Drag(button, {5, 5}, {50, 50});
    EXPECT_EQ(window.pos(), QPoint(130, 120));
    EXPECT_EQ(window.size(), QSize(320, 230));
}

TEST_F(FramelessDragTest, EntryRuleMovesByTheTopBandAndItsPicture) {
    FramelessDrag::ForEntryForm(&window);

    Drag(&window, {200, 15}, {-40, 10});
    EXPECT_EQ(window.pos(), QPoint(60, 110));

    // A label takes no clicks: pressing the title in the band drags the window too.
    Drag(title, {10, 5}, {5, 5});
    EXPECT_EQ(window.pos(), QPoint(65, 115));

    Drag(&window, {200, 16}, {50, 50});
    Drag(&window, {296, 196}, {50, 50});
    EXPECT_EQ(window.pos(), QPoint(65, 115));
    EXPECT_EQ(window.size(), QSize(300, 200));
}

TEST_F(FramelessDragTest, PointerShowsTheSizingZones) {
    FramelessDrag::ForSheet(&window);
    auto hover = [this](QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, window.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&window, &move);
        return window.cursor().shape();
    };
    EXPECT_EQ(hover({296, 100}), Qt::SizeHorCursor);
    EXPECT_EQ(hover({296, 196}), Qt::SizeFDiagCursor);
    EXPECT_EQ(hover({100, 100}), Qt::ArrowCursor);
}

}  // namespace
}  // namespace kakeibo

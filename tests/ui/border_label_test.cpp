#include "ui/controls/border_label.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QLabel>

#include "ui/support/screenshot.h"

namespace kakeibo {
namespace {

const QColor kBackground(254, 250, 233);
const QColor kBorder(0, 0, 0);

QFont EntryFont() {
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(12);
    return font;
}

template <typename Label>
void StyleCell(Label& label, Qt::Alignment alignment) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::Window, kBackground);
    palette.setColor(QPalette::WindowText, kBorder);
    label.setPalette(palette);
    label.setAutoFillBackground(true);
    label.setFont(EntryFont());
    label.setAlignment(alignment);
    label.resize(80, 20);
}

// The text's pixels; `border` leaves out the outermost pixels of a bordered label.
QRect Ink(const QImage& image, int border) {
    QRect box;
    for (int y = border; y < image.height() - border; ++y) {
        for (int x = border; x < image.width() - border; ++x) {
            if (image.pixelColor(x, y) != kBackground) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// Where the text of a plain label and of a bordered label lands, for the same caption.
struct Placement {
    QRect Plain;
    QRect Bordered;
};

Placement Place(const QString& caption, Qt::Alignment alignment) {
    QLabel plain(caption);
    StyleCell(plain, alignment);
    TBorderLabel bordered;
    bordered.setText(caption);
    StyleCell(bordered, alignment);
    return {Ink(plain.grab().toImage(), 0), Ink(bordered.grab().toImage(), 1)};
}

TEST(BorderLabelTest, EmptyLabelShowsBackgroundAndBorder) {
    TBorderLabel label;
    StyleCell(label, Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(label.BorderColor(), label.palette().color(QPalette::WindowText));
    const QImage image = label.grab().toImage();
    ASSERT_EQ(image.size(), QSize(80, 20));
    for (int x = 0; x < 80; ++x) {
        EXPECT_EQ(image.pixelColor(x, 0), kBorder) << x;
        EXPECT_EQ(image.pixelColor(x, 19), kBorder) << x;
    }
    for (int y = 0; y < 20; ++y) {
        EXPECT_EQ(image.pixelColor(0, y), kBorder) << y;
        EXPECT_EQ(image.pixelColor(79, y), kBorder) << y;
    }
    EXPECT_TRUE(Ink(image, 1).isEmpty());
}

TEST(BorderLabelTest, BorderColourTakesEffectAtTheNextPaint) {
    TBorderLabel label;
    StyleCell(label, Qt::AlignLeft);
    label.SetBorderColor(QColor(0, 0, 255));
    EXPECT_EQ(label.BorderColor(), QColor(0, 0, 255));
    const QImage image = label.grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(40, 19), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(40, 10), kBackground);
}

TEST(BorderLabelTest, TextIsInsetTwoPixelsFromTheLeftAndTop) {
    const QString caption = QStringLiteral("項目");
    const Placement left = Place(caption, Qt::AlignLeft | Qt::AlignTop);
    ASSERT_FALSE(left.Plain.isEmpty());
    EXPECT_EQ(left.Bordered, left.Plain.translated(2, 2));

    // Right-aligned text keeps its right edge: a full-width blank is its only margin.
    const Placement right =
        Place(QStringLiteral("レシート合計　"), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(right.Bordered.right(), right.Plain.right());
    EXPECT_EQ(right.Bordered.top(), right.Plain.top() + 1);

    // Centred text sits one pixel right of and one below the plain label's.
    const Placement centre = Place(caption, Qt::AlignCenter);
    EXPECT_EQ(centre.Bordered, centre.Plain.translated(1, 1));

    // Text that would fill the cell ends against the border, not over it.
    const Placement full =
        Place(QStringLiteral("8888888888888"), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_LE(full.Bordered.right(), 78);
}

TEST(BorderLabelTest, SizeHintGrowsByTheInset) {
    QLabel plain(QStringLiteral("日付"));
    TBorderLabel bordered;
    bordered.setText(QStringLiteral("日付"));
    plain.setFont(EntryFont());
    bordered.setFont(EntryFont());
    EXPECT_EQ(bordered.sizeHint(), plain.sizeHint() + QSize(2, 2));
}

TEST(BorderLabelTest, OverlappingLabelsMakeSingleGridLines) {
    QWidget window;
    window.resize(200, 60);
    window.setAutoFillBackground(true);
    QPalette white = window.palette();
    white.setColor(QPalette::Window, Qt::white);
    window.setPalette(white);
    const QColor pale(238, 249, 255);
    auto cell = [&](const QString& text, int x, int y, int w, const QColor& colour) {
        auto* label = new TBorderLabel(&window);
        label->setGeometry(x, y, w, 22);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, colour);
        label->setPalette(palette);
        label->setAutoFillBackground(true);
        label->setFont(EntryFont());
        label->setText(text);
        label->SetBorderColor(kBorder);
        return label;
    };
    cell(QStringLiteral("項目"), 22, 10, 90, kBackground);
    cell(QString(), 111, 10, 60, pale);
    cell(QStringLiteral("細目"), 22, 31, 90, pale);
    window.show();
    const QImage image = window.grab().toImage();
    // The shared vertical edge at x = 111 and the shared horizontal edge at y = 31.
    EXPECT_EQ(image.pixelColor(110, 20), kBackground);
    EXPECT_EQ(image.pixelColor(111, 20), kBorder);
    EXPECT_EQ(image.pixelColor(112, 20), pale);
    EXPECT_EQ(image.pixelColor(60, 30), kBackground);
    EXPECT_EQ(image.pixelColor(60, 31), kBorder);
    EXPECT_EQ(image.pixelColor(60, 32), pale);
    test::SaveScreenshot(window, QStringLiteral("border_label_demo"));
}

}  // namespace
}  // namespace kakeibo

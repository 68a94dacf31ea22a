#include "ui/controls/nval_label.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QPalette>
#include <algorithm>
#include <functional>
#include <vector>

#include "ui/support/screenshot.h"

namespace kakeibo {
namespace {

const QColor kShadow(128, 0, 0);      // button shadow
const QColor kHighlight(0, 160, 0);   // button highlight
const QColor kDarkShadow(0, 0, 128);  // 3-D dark shadow
const QColor kLight(128, 128, 0);     // 3-D light
const QColor kFrame(0, 0, 0);         // window frame and text
const QColor kFill(255, 255, 255);

// Every edge colour distinct, so each pixel tells which line drew it.
QPalette EdgePalette() {
    QPalette palette;
    palette.setColor(QPalette::Dark, kShadow);
    palette.setColor(QPalette::Light, kHighlight);
    palette.setColor(QPalette::Shadow, kDarkShadow);
    palette.setColor(QPalette::Midlight, kLight);
    palette.setColor(QPalette::WindowText, kFrame);
    palette.setColor(QPalette::Window, QColor(200, 200, 200));
    return palette;
}

QFont EntryFont() {
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(12);
    return font;
}

// The bounding box of pixels that are not `background` inside `area`.
QRect Ink(const QImage& image, const QRect& area, const QColor& background) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) != background) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

struct FormatRow {
    long double Value;
    bool PutAComma;
    bool ZeroDisplay;
    char LeadingChar;
    int FixDecimal;
    const char* Caption;
};

TEST(NValLabelTest, FormattingTable) {
    const std::vector<FormatRow> rows = {
        {1234567, true, false, ' ', -1, "1,234,567"},
        {1234.5L, true, false, ' ', -1, "1,234.5"},
        {1234.5L, true, false, ' ', 2, "1,234.50"},
        {1234.5L, false, false, ' ', -1, "1234.5"},
        {1234.5L, false, false, ' ', 2, "1234.50"},
        {1234.6L, true, false, ' ', 0, "1,235"},
        {0, true, false, ' ', -1, ""},
        {0, true, true, ' ', -1, "0"},
        {0, true, true, '\\', 2, "0"},
        {-1500, true, false, '\\', -1, "¥-1,500"},
        {-1500, false, false, '$', 1, "$-1500.0"},
        {0.1L + 0.2L, true, false, ' ', -1, "0.3"},
        {1.0L / 3, true, false, ' ', -1, "0.33333333333333"},
        {12345678901234.0L, true, false, ' ', -1, "12,345,678,901,234"},
        {-0.004L, true, false, ' ', 2, "0.00"},
    };
    for (const auto& row : rows) {
        TNValLabel label;
        label.SetPutAComma(row.PutAComma);
        label.SetZeroDisplay(row.ZeroDisplay);
        label.SetLeadingChar(row.LeadingChar);
        label.SetFixDecimal(row.FixDecimal);
        label.SetValue(row.Value);
        EXPECT_EQ(label.Caption(), QString::fromUtf8(row.Caption))
            << static_cast<double>(row.Value) << " " << row.FixDecimal;
    }
}

TEST(NValLabelTest, SettersBringValuesIntoRange) {
    TNValLabel label;
    EXPECT_EQ(label.size(), QSize(121, 20));
    EXPECT_EQ(label.focusPolicy(), Qt::NoFocus);
    label.SetValue(2.5L);
    label.SetFixDecimal(20);
    EXPECT_EQ(label.FixDecimal(), 14);
    EXPECT_EQ(label.Caption(), QStringLiteral("2.50000000000000"));
    label.SetFixDecimal(-5);
    EXPECT_EQ(label.FixDecimal(), -1);
    EXPECT_EQ(label.Caption(), QStringLiteral("2.5"));
    label.SetFixDecimal(0);
    EXPECT_EQ(label.Caption(), QStringLiteral("3"));

    label.SetLeadingChar('$');
    label.SetLeadingChar('\x1F');  // a control character leaves the previous one
    label.SetLeadingChar('\0');
    EXPECT_EQ(label.LeadingChar(), '$');
    EXPECT_EQ(label.Caption(), QStringLiteral("$3"));
    label.SetLeadingChar(' ');
    EXPECT_EQ(label.Caption(), QStringLiteral("3"));

    label.SetAlignment(Qt::AlignLeft | Qt::AlignBottom);
    EXPECT_EQ(label.Alignment(), Qt::AlignLeft);
    label.SetLayout(Qt::AlignTop | Qt::AlignRight);
    EXPECT_EQ(label.Layout(), Qt::AlignTop);
}

TEST(NValLabelTest, HeightFollowsTheFontAndFrame) {
    TNValLabel label;
    label.setFont(EntryFont());
    label.SetCtl3D(false);
    EXPECT_EQ(label.height(), 18);
    label.SetCtl3D(true);
    EXPECT_EQ(label.height(), 20);
    EXPECT_EQ(label.width(), 121);

    label.SetAutoSize(false);
    label.resize(121, 30);
    QFont larger = EntryFont();
    larger.setPixelSize(20);
    label.setFont(larger);
    EXPECT_EQ(label.height(), 30);
    label.SetAutoSize(true);
    EXPECT_EQ(label.height(), 28);

    // A window that sets the size before the label is first shown still gets the rule.
    QWidget window;
    window.setFont(EntryFont());
    auto* placed = new TNValLabel(&window);
    placed->setGeometry(384, 216, 121, 25);
    placed->SetAutoSize(false);
    placed->SetAutoSize(true);
    placed->SetCtl3D(false);
    window.show();
    EXPECT_EQ(placed->geometry(), QRect(384, 216, 121, 18));
}

TEST(NValLabelTest, FramesUseTheSystemColoursOfEachEdge) {
    TNValLabel label;
    label.setPalette(EdgePalette());
    label.SetColor(kFill);
    label.resize(40, 20);
    label.SetAutoSize(false);
    const QImage sunken = label.grab().toImage();
    const int w = 40;
    const int h = 20;
    EXPECT_EQ(sunken.pixelColor(0, 0), kShadow);
    EXPECT_EQ(sunken.pixelColor(10, 0), kShadow);
    EXPECT_EQ(sunken.pixelColor(0, 10), kShadow);
    EXPECT_EQ(sunken.pixelColor(w - 1, 0), kHighlight);
    EXPECT_EQ(sunken.pixelColor(w - 1, 10), kHighlight);
    EXPECT_EQ(sunken.pixelColor(10, h - 1), kHighlight);
    EXPECT_EQ(sunken.pixelColor(1, 1), kDarkShadow);
    EXPECT_EQ(sunken.pixelColor(10, 1), kDarkShadow);
    EXPECT_EQ(sunken.pixelColor(1, 10), kDarkShadow);
    EXPECT_EQ(sunken.pixelColor(w - 2, 10), kLight);
    EXPECT_EQ(sunken.pixelColor(10, h - 2), kLight);
    EXPECT_EQ(sunken.pixelColor(2, 2), kFill);
    EXPECT_EQ(sunken.pixelColor(w - 3, h - 3), kFill);
    EXPECT_EQ(label.TextArea(), QRect(QPoint(4, 3), QPoint(w - 5, h - 3)));

    label.SetCtl3D(false);
    const QImage flat = label.grab().toImage();
    for (const QPoint& edge :
         {QPoint(0, 0), QPoint(20, 0), QPoint(w - 1, 0), QPoint(0, 10), QPoint(w - 1, 10),
          QPoint(0, h - 1), QPoint(20, h - 1), QPoint(w - 1, h - 1)}) {
        EXPECT_EQ(flat.pixelColor(edge), kFrame) << edge.x() << "," << edge.y();
    }
    EXPECT_EQ(flat.pixelColor(1, 1), kFill);
    EXPECT_EQ(flat.pixelColor(w - 2, h - 2), kFill);
    EXPECT_EQ(label.TextArea(), QRect(QPoint(1, 1), QPoint(w - 2, h - 2)));
}

TEST(NValLabelTest, TextIsRightAlignedAndCentredInItsArea) {
    TNValLabel label;
    label.setPalette(EdgePalette());
    label.setFont(EntryFont());
    label.SetColor(kFill);
    label.SetCtl3D(false);
    label.SetValue(1234567);
    ASSERT_EQ(label.size(), QSize(121, 18));
    const QImage image = label.grab().toImage();
    const QRect ink = Ink(image, label.TextArea(), kFill);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.right(), 121 - 4);
    EXPECT_LE(ink.right(), 121 - 2);
    EXPECT_GT(ink.left(), 121 / 2);
    // Digits sit on the baseline, so their ink is centred to within the descent.
    EXPECT_LE(std::abs(ink.top() - 1 - (16 - ink.bottom())), 3);

    label.SetAlignment(Qt::AlignLeft);
    const QRect left = Ink(label.grab().toImage(), label.TextArea(), kFill);
    EXPECT_GE(left.left(), 1);
    EXPECT_LE(left.left(), 3);
    EXPECT_EQ(left.top(), ink.top());
    label.SetLayout(Qt::AlignTop);
    const QRect top = Ink(label.grab().toImage(), label.TextArea(), kFill);
    EXPECT_LT(top.top(), ink.top());
}

TEST(NValLabelTest, TransparentAndDisabledDrawing) {
    QWidget parent;
    parent.setAutoFillBackground(true);
    parent.setPalette(EdgePalette());
    parent.resize(60, 20);
    auto* label = new TNValLabel(&parent);
    label->setGeometry(0, 0, 60, 20);
    label->SetAutoSize(false);
    label->SetTransparent(true);
    label->SetColor(kFill);
    const QImage clear = parent.grab().toImage();
    EXPECT_EQ(clear.pixelColor(0, 0), QColor(200, 200, 200));
    EXPECT_EQ(clear.pixelColor(30, 10), QColor(200, 200, 200));
    EXPECT_EQ(label->TextArea(), QRect(0, 0, 60, 20));

    label->SetTransparent(false);
    label->setFont(EntryFont());
    label->SetAutoSize(false);
    label->resize(60, 20);
    label->SetValue(888);
    label->setEnabled(false);
    const QImage embossed = label->grab().toImage();
    const QRect area = label->TextArea();
    // Glyph edges are blended with the fill: each pixel counts for the colour nearest to it.
    auto distance = [](const QColor& a, const QColor& b) {
        const int r = a.red() - b.red();
        const int g = a.green() - b.green();
        const int bl = a.blue() - b.blue();
        return r * r + g * g + bl * bl;
    };
    int highlightPixels = 0;
    int shadowPixels = 0;
    int otherInk = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = embossed.pixelColor(x, y);
            const int toFill = distance(c, kFill);
            const int toHighlight = distance(c, kHighlight);
            const int toShadow = distance(c, kShadow);
            const int toText = distance(c, kFrame);
            const int nearest = std::min({toFill, toHighlight, toShadow, toText});
            if (nearest == toFill) continue;
            if (nearest == toHighlight) {
                ++highlightPixels;
            } else if (nearest == toShadow) {
                ++shadowPixels;
            } else {
                ++otherInk;
            }
        }
    }
    EXPECT_GT(highlightPixels, 0);
    EXPECT_GT(shadowPixels, 0);
    EXPECT_EQ(otherInk, 0);  // never in the plain text colour
}

TEST(NValLabelTest, Demo) {
    QWidget window;
    window.setFont(EntryFont());
    window.resize(260, 80);
    const struct {
        long double Value;
        bool Ctl3D;
        int Top;
    } rows[] = {{1234567, true, 8}, {-1500, false, 34}, {0, false, 56}};
    for (const auto& row : rows) {
        auto* label = new TNValLabel(&window);
        label->move(8, row.Top);
        label->SetCtl3D(row.Ctl3D);
        label->SetZeroDisplay(true);
        label->SetValue(row.Value);
        if (row.Value < 0) label->SetLeadingChar('\\');
    }
    auto* disabled = new TNValLabel(&window);
    disabled->move(134, 8);
    disabled->SetValue(98.5L);
    disabled->SetFixDecimal(2);
    disabled->setEnabled(false);
    window.show();
    EXPECT_FALSE(test::SaveScreenshot(window, QStringLiteral("nval_label_demo")).isNull());
}

}  // namespace
}  // namespace kakeibo

// Draws the entry form's pictures (tabs, title, side band, buttons) and the search window's
// title as PNG files.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <cstdio>

#include "artwork_common.h"

namespace {

using namespace artwork;

// The tab shape the strip outlines for the selected tab; the picture repeats it so both agree.
QPolygon TabOutline() {
    return QPolygon({QPoint(1, 19), QPoint(4, 1), QPoint(75, 1), QPoint(78, 19)});
}

// 80 x 20, white where the strip should show through. The text is smoothed against the light
// grey of a selected tab and that grey is then turned white, so no pale halo shows on either
// background.
void DrawTab(const char* caption, QColor ink, const char* name) {
    const QColor grey(229, 229, 229);
    QImage image(80, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    p.setBrush(grey);
    p.drawPolygon(TabOutline());
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setBrush(ink);
    p.drawEllipse(QRectF(17.5, 7.5, 6, 6));
    p.setPen(ink);
    p.setFont(Gothic(13, true));
    p.drawText(QRect(26, 1, 44, 19), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(caption));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QColor(88, 96, 128));
    p.drawPolygon(TabOutline());
    p.end();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == grey.rgb()) line[x] = qRgb(255, 255, 255);
        }
    }
    Save(image, name);
}

void DrawTitle() {
    QImage image = Transparent(200, 16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor navy(0, 0, 128);
    // A small account book: navy cover, white pages.
    p.setPen(Qt::NoPen);
    p.setBrush(navy);
    p.drawRoundedRect(QRectF(1, 1, 12, 14), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 3.5, 7, 9));
    p.setPen(QPen(QColor(120, 150, 210), 1));
    for (int y = 6; y <= 11; y += 2) p.drawLine(QPointF(5, y + 0.5), QPointF(10, y + 0.5));
    p.setPen(navy);
    p.setFont(Gothic(13, true));
    p.drawText(QRect(18, 0, 120, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("各種入力フォーム"));
    FadingRule(p, 124, 200);
    p.end();
    Save(image, "entry_title.png");
}

// 200 x 16: the search window's title, a magnifier, the program's name and the window's own.
void DrawSearchTitle() {
    QImage image = Transparent(200, 16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor navy(0, 0, 128);
    p.setPen(QPen(navy, 1.6));
    p.setBrush(QColor(226, 236, 250));
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.setPen(QPen(navy, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 9.5), QPointF(13.5, 13.5));
    QFont name = Gothic(12, true);
    name.setItalic(true);
    p.setPen(navy);
    p.setFont(name);
    p.drawText(QRect(18, 0, 52, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Nimbrel"));
    p.setFont(Gothic(13, true));
    p.drawText(QRect(70, 0, 84, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("検索フォーム"));
    FadingRule(p, 152, 200);
    p.end();
    Save(image, "search_title.png");
}

// 16 x 230: the spine of a ring binder down the left of the input panel.
void DrawSideBand() {
    QImage image = Transparent(16, 230);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient spine(0, 0, 16, 0);
    spine.setColorAt(0, QColor(176, 200, 236));
    spine.setColorAt(1, QColor(226, 236, 250));
    p.setPen(Qt::NoPen);
    p.setBrush(spine);
    p.drawRoundedRect(QRectF(1, 0, 14, 230), 3, 3);
    for (int y = 12; y < 230; y += 23) {
        p.setBrush(QColor(251, 253, 255));
        p.setPen(QPen(QColor(120, 140, 180), 1));
        p.drawEllipse(QRectF(5.5, y - 3.5, 7, 7));
        p.setPen(QPen(QColor(150, 150, 160), 1.6));
        p.drawArc(QRectF(1.5, y - 5.5, 9, 11), 90 * 16, 180 * 16);
    }
    p.end();
    Save(image, "entry_side.png");
}

// 32 x 35: a pencil writing on a note pad.
void DrawWriteButton() {
    QImage image = Transparent(32, 35);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(110, 120, 140), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 6.5, 20, 25));
    p.setBrush(QColor(0, 0, 128));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(3, 5, 21, 3));
    p.setPen(QPen(QColor(140, 170, 220), 1));
    for (int y = 13; y <= 28; y += 4) p.drawLine(QPointF(6, y + 0.5), QPointF(21, y + 0.5));
    // The pencil, from its eraser at the top right to its tip on the pad.
    p.save();
    p.translate(14, 25);
    p.rotate(-50);
    p.setPen(QPen(QColor(90, 70, 20), 0.8));
    p.setBrush(QColor(250, 200, 40));
    p.drawRect(QRectF(6, -2.5, 17, 5));
    p.setBrush(QColor(240, 130, 150));
    p.drawRect(QRectF(23, -2.5, 3.5, 5));
    p.setBrush(QColor(240, 215, 170));
    p.drawPolygon(QPolygonF({QPointF(6, -2.5), QPointF(0, 0), QPointF(6, 2.5)}));
    p.setBrush(QColor(40, 40, 40));
    p.drawPolygon(QPolygonF({QPointF(2, -0.9), QPointF(0, 0), QPointF(2, 0.9)}));
    p.restore();
    p.end();
    Save(image, "entry_write.png");
}

// 32 x 35: a red disc with a white cross.
void DrawCloseButton() {
    QImage image = Transparent(32, 35);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient disc(0, 5, 0, 31);
    disc.setColorAt(0, QColor(232, 96, 88));
    disc.setColorAt(1, QColor(184, 36, 36));
    p.setPen(QPen(QColor(140, 24, 24), 1));
    p.setBrush(disc);
    p.drawEllipse(QRectF(3.5, 5.5, 25, 25));
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11, 13), QPointF(21, 23));
    p.drawLine(QPointF(21, 13), QPointF(11, 23));
    p.end();
    Save(image, "entry_close.png");
}

// 16 x 16: an orange tile with a white "0": the receipt total back to nought.
void DrawClearButton() {
    QImage image = Transparent(16, 16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(176, 80, 20), 1));
    p.setBrush(QColor(240, 128, 48));
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    p.setPen(Qt::white);
    p.setFont(Gothic(13, true));
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("0"));
    p.end();
    Save(image, "entry_clear.png");
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    artwork::SetOutputFolder(argc, argv);
    DrawTab("費用", QColor(184, 40, 56), "entry_tab_expense.png");
    DrawTab("移動", QColor(24, 120, 64), "entry_tab_transfer.png");
    DrawTab("収入", QColor(24, 72, 168), "entry_tab_income.png");
    DrawTab("予算", QColor(168, 96, 0), "entry_tab_budget.png");
    DrawTitle();
    DrawSideBand();
    DrawWriteButton();
    DrawCloseButton();
    DrawClearButton();
    DrawSearchTitle();
    return 0;
}

// Draws the graph sheet's and the data sheet's titles and the close, maximise and restore pictures
// every tool window shows, as PNG files.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <cstdio>

#include "artwork_common.h"

namespace {

using namespace artwork;

const QColor kNavy(0, 0, 128);

// 156 x 16: three bars of a small chart, the caption and a rule fading out to the right.
void DrawTitle() {
    QImage image = Transparent(156, 16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    const QColor bars[] = {QColor(200, 70, 70), QColor(60, 110, 190), kNavy};
    const int heights[] = {7, 11, 14};
    for (int n = 0; n < 3; ++n) {
        p.setBrush(bars[n]);
        p.drawRect(QRectF(1 + n * 4.5, 15 - heights[n], 3.5, heights[n]));
    }
    p.setPen(kNavy);
    p.setFont(Gothic(13, true));
    p.drawText(QRect(18, 0, 100, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("グラフシート"));
    FadingRule(p, 104, 156);
    p.end();
    Save(image, "graph_title.png");
}

// 156 x 16: the data sheet's title, a small grid and the caption, drawn with the font and
// hinting the windows use, as the sheet drew it for itself before.
void DrawSheetTitle() {
    QImage image = Transparent(156, 16);
    QPainter p(&image);
    p.setPen(kNavy);
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 13, 12);
    for (int y : {6, 10}) p.drawLine(1, y, 14, y);
    p.drawLine(6, 2, 6, 14);
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(20, 0, 136, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("データシート"));
    p.end();
    Save(image, "sheet_title.png");
}

// 16 x 16 navy tiles with a white symbol.
QImage Tile() {
    QImage image = Transparent(16, 16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(0, 0, 80), 1));
    p.setBrush(kNavy);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 2.5, 2.5);
    return image;
}

void DrawClose() {
    QImage image = Tile();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
    p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
    p.end();
    Save(image, "window_close.png");
}

void DrawMaximize() {
    QImage image = Tile();
    QPainter p(&image);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(4, 4, 8, 8));
    p.drawLine(4, 5, 12, 5);
    p.end();
    Save(image, "window_maximize.png");
}

void DrawRestore() {
    QImage image = Tile();
    QPainter p(&image);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(6, 3, 7, 6));
    p.setBrush(kNavy);
    p.drawRect(QRect(3, 6, 7, 6));
    p.drawLine(3, 7, 10, 7);
    p.end();
    Save(image, "window_restore.png");
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    artwork::SetOutputFolder(argc, argv);
    DrawTitle();
    DrawSheetTitle();
    DrawClose();
    DrawMaximize();
    DrawRestore();
    return 0;
}

// Draws the main window's two toolbar pictures (open, save) as 16 x 16 PNG files.
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cstdio>

namespace {

QImage Canvas() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

void Save(const QImage& image, const QString& dir, const char* name) {
    const QString path = dir + QString::fromUtf8(name);
    if (!image.save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// A manila folder opening towards the viewer, with a green arrow coming out of it.
QImage OpenPicture() {
    QImage image = Canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline(122, 86, 18);

    // Back of the folder with its tab.
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(5.5, 3.5);
    back.lineTo(6.5, 5.0);
    back.lineTo(12.5, 5.0);
    back.lineTo(12.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.setPen(QPen(outline, 1.0));
    p.setBrush(QColor(226, 182, 78));
    p.drawPath(back);

    // Front flap, tilted open.
    QPolygonF front(
        {QPointF(3.5, 7.5), QPointF(15.0, 7.5), QPointF(12.5, 13.5), QPointF(1.5, 13.5)});
    QLinearGradient flap(0, 7, 0, 14);
    flap.setColorAt(0, QColor(255, 228, 140));
    flap.setColorAt(1, QColor(240, 196, 88));
    p.setBrush(flap);
    p.drawPolygon(front);

    // Arrow up and to the right: the ledger coming out.
    QPainterPath arrow;
    arrow.moveTo(8.0, 6.0);
    arrow.cubicTo(8.5, 3.0, 10.5, 1.8, 12.5, 1.8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(30, 130, 40), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arrow);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 130, 40));
    p.drawPolygon(QPolygonF({QPointF(15.5, 1.8), QPointF(11.8, -0.5), QPointF(11.8, 4.1)}));
    return image;
}

// A blue floppy disk: shutter at the top, white label below.
QImage SavePicture() {
    QImage image = Canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline(20, 40, 110);

    QPainterPath body;
    body.moveTo(1.5, 1.5);
    body.lineTo(12.5, 1.5);
    body.lineTo(14.5, 3.5);
    body.lineTo(14.5, 14.5);
    body.lineTo(1.5, 14.5);
    body.closeSubpath();
    QLinearGradient blue(0, 1, 0, 15);
    blue.setColorAt(0, QColor(90, 130, 220));
    blue.setColorAt(1, QColor(40, 75, 170));
    p.setPen(QPen(outline, 1.0));
    p.setBrush(blue);
    p.drawPath(body);

    // Metal shutter with its window.
    p.setPen(QPen(QColor(90, 96, 110), 1.0));
    p.setBrush(QColor(214, 218, 226));
    p.drawRect(QRectF(4.5, 1.5, 7.0, 4.0));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 66, 80));
    p.drawRect(QRectF(9.0, 2.5, 1.5, 2.0));

    // Label with two ruled lines.
    p.setPen(QPen(QColor(150, 150, 160), 1.0));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 8.5, 9.0, 6.0));
    p.setPen(QPen(QColor(200, 70, 70), 1.0));
    p.drawLine(QPointF(5.0, 10.5), QPointF(11.0, 10.5));
    p.setPen(QPen(QColor(160, 160, 170), 1.0));
    p.drawLine(QPointF(5.0, 12.5), QPointF(11.0, 12.5));
    return image;
}

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources/");
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    Save(OpenPicture(), dir, "open.png");
    Save(SavePicture(), dir, "save.png");
    return 0;
}

// What the artwork tools share: the output folder, the Gothic font, transparent canvases and
// the faded rule that ends each window title.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QString>
#include <cstdio>

namespace artwork {

inline QString g_dir;

// The folder from the first argument (default resources/), ending with "/".
inline void SetOutputFolder(int argc, char* argv[]) {
    g_dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources/");
    if (!g_dir.endsWith(QLatin1Char('/'))) g_dir += QLatin1Char('/');
}

inline QFont Gothic(int pixels, bool bold) {
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

inline QImage Transparent(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

inline void Save(const QImage& image, const char* name) {
    const QString path = g_dir + QString::fromUtf8(name);
    if (!image.save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// A navy rule 1 pixel high at y 8, fading out to the right, from x `left` to `right`.
inline void FadingRule(QPainter& p, int left, int right) {
    QLinearGradient fade(left, 0, right, 0);
    fade.setColorAt(0, QColor(0, 0, 128, 160));
    fade.setColorAt(1, QColor(0, 0, 128, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(fade);
    p.drawRect(QRectF(left, 8, right - left, 1));
}

}  // namespace artwork

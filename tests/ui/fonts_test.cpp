// The shared fonts: the faces the classic names got before, named directly.
#include "ui/platform/fonts.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QPainter>

namespace kakeibo::test {
namespace {

QFont Classic(const char* family, int pixels, bool bold = false) {
    QFont font(QString::fromUtf8(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QImage Drawn(const QFont& font) {
    QImage image(160, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.drawText(image.rect(), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("食費　ｶﾅ 1,234円（7月）"));
    return image;
}

TEST(Fonts, EachSharedFontDrawsAsTheClassicNameItStandsFor) {
    SubstituteFonts();
    QFont classicSheet = Classic("ＭＳ ゴシック", 12);
    classicSheet.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")});
    classicSheet.setStyleHint(QFont::Monospace);
    classicSheet.setFixedPitch(true);
    const struct {
        const char* what;
        QFont shared;
        QFont classic;
    } rows[] = {
        {"tool windows", WindowFont(), Classic("ＭＳ Ｐゴシック", 12)},
        {"main window", MainWindowFont(), QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9)},
        {"data sheet cells", SheetFont(), classicSheet},
        {"graph title", WindowFont(14, true), Classic("ＭＳ Ｐゴシック", 14, true)},
    };
    for (const auto& row : rows) {
        const QFontInfo shared(row.shared);
        const QFontInfo classic(row.classic);
        EXPECT_EQ(shared.family(), classic.family()) << row.what;
        EXPECT_EQ(shared.pixelSize(), classic.pixelSize()) << row.what;
        EXPECT_EQ(shared.bold(), classic.bold()) << row.what;
        EXPECT_EQ(Drawn(row.shared), Drawn(row.classic)) << row.what;
        // One family each: Qt has no second name to compute fallback lists for.
        EXPECT_EQ(row.shared.families().size(), 1) << row.what;
    }
}

}  // namespace
}  // namespace kakeibo::test

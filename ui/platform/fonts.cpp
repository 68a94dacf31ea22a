#include "ui/platform/fonts.h"

#include <QStringList>

namespace kakeibo {

namespace {

const QString kProportional = QStringLiteral("ＭＳ Ｐゴシック");
const QString kFixed = QStringLiteral("ＭＳ ゴシック");
// Named beside the fixed font, so the figures line up also where nobody maps the name.
const QString kFixedStandIn = QStringLiteral("IPAGothic");

// The family that stands in for a classic font (Qt keeps substitutes in lower case), or the
// classic name where none is mapped.
QString StandIn(const QString& classic) {
    const QStringList substitutes = QFont::substitutes(classic);
    return substitutes.isEmpty() ? classic : substitutes.first();
}

QFont Proportional() {
    QFont font(StandIn(kProportional));
    font.setPixelSize(12);
    return font;
}

}  // namespace

void SubstituteFonts() {
    const QString proportional = QStringLiteral("IPAPGothic");
    QFont::insertSubstitution(kProportional, proportional);
    QFont::insertSubstitution(QStringLiteral("MS PGothic"), proportional);
    QFont::insertSubstitution(kFixed, kFixedStandIn);
    QFont::insertSubstitution(QStringLiteral("MS Gothic"), kFixedStandIn);
}

const QFont& WindowFont() {
    static const QFont font = Proportional();
    return font;
}

const QFont& MainWindowFont() {
    static const QFont font(StandIn(kProportional), 9);
    return font;
}

const QFont& SheetFont() {
    static const QFont font = [] {
        QStringList families{StandIn(kFixed)};
        if (!families.contains(kFixedStandIn, Qt::CaseInsensitive)) families << kFixedStandIn;
        QFont f(families.first());
        f.setFamilies(families);
        f.setPixelSize(12);
        f.setStyleHint(QFont::Monospace);
        f.setFixedPitch(true);
        return f;
    }();
    return font;
}

QFont WindowFont(int pixels, bool bold) {
    QFont font = WindowFont();
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont SheetFont(int pixels, bool bold) {
    QFont font = SheetFont();
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

}  // namespace kakeibo

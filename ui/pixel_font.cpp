#include "ui/pixel_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace kestrix::ui {
namespace {

const QString DesignedFamily = QStringLiteral("MS Sans Serif");

bool DesignedFamilyInstalled() {
    return QFontDatabase::families().contains(DesignedFamily, Qt::CaseInsensitive);
}

}  // namespace

QFont PixelFont(const QString& family, int pixels, QFont::Weight weight) {
    QFont font(family);
    font.setPixelSize(pixels);
    if (weight != QFont::Normal) font.setWeight(weight);
    return font;
}

QFont DesignedSansFont(int pixels) {
    // Liberation Sans at 10 px is as wide as the designed face at 11 px.
    const int standInPixels = (pixels * 10 + 5) / 11;
    QFont font = PixelFont(DesignedFamily, DesignedFamilyInstalled() ? pixels : standInPixels);
    font.setFamilies({DesignedFamily, QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    return font;
}

}  // namespace kestrix::ui

#include "ui/pixel_font.h"

#include <QStringList>

namespace kestrix::ui {

QFont PixelFont(const QString& family, int pixels, QFont::Weight weight) {
    QFont font(family);
    font.setPixelSize(pixels);
    if (weight != QFont::Normal) font.setWeight(weight);
    return font;
}

QFont DesignedSansFont(int pixels) {
    QFont font = PixelFont(QStringLiteral("MS Sans Serif"), pixels);
    font.setFamilies(
        {QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    return font;
}

}  // namespace kestrix::ui

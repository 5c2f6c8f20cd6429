#include "widgets/Fonts.h"

#include <cmath>

namespace tarrowin {

int pointsToPixels(double points) {
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

QFont uiFont(double points, bool bold) {
    QFont font(QString::fromLatin1(kUiFontFamily));
    font.setPixelSize(pointsToPixels(points));
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

} // namespace tarrowin

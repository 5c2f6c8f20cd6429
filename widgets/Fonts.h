#pragma once

// The screens are laid out for Tahoma and Verdana at 96 dots per inch. Linux has
// neither, so one installed family stands in at the same pixel size: a size given
// in points keeps its pixel height and the layouts stay as drawn.

#include <QFont>

namespace tarrowin {

inline constexpr const char* kUiFontFamily = "DejaVu Sans";

// Pixel height of a point size at 96 dots per inch (8.25 -> 11, 9.75 -> 13, 12 -> 16).
int pointsToPixels(double points);

QFont uiFont(double points, bool bold = false);

} // namespace tarrowin

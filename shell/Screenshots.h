#pragma once

#include <QString>

namespace tarrowin {

// Renders every window of the shell in every skin to PNG files in `dir` (the
// welcome screen at rest and hovered, the splash loading and as the about window,
// the main menu and the skinned windows in each skin). Returns 0 on success.
int takeScreenshots(const QString& dir);

} // namespace tarrowin

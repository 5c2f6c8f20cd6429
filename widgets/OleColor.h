#pragma once

// Colours as the controls store them: 0x00BBGGRR, or 0x800000nn for system colour
// nn, which is looked up in the application's palette when used.

#include <QColor>
#include <cstdint>

namespace tarrowin {

inline constexpr std::uint32_t kSysButtonFace = 0x8000000Fu;
inline constexpr std::uint32_t kSysButtonText = 0x80000012u;
inline constexpr std::uint32_t kMaskMagenta = 0x00FF00FFu;

QColor oleColor(std::uint32_t value);
// The stored form of a plain colour (system colours do not come back out).
std::uint32_t toOleColor(const QColor& colour);

} // namespace tarrowin

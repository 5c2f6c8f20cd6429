#include "imaging/SystemColour.h"

#include <array>
#include <utility>

namespace tarrowin {

namespace {

// Indices 0 to 30 of the classic scheme, as 0x00BBGGRR. Index 25 has no colour.
constexpr std::array<std::int64_t, 31> kClassic = {
    0x00C8D0D4, // 0 scroll bar
    0x00A56E3A, // 1 desktop
    0x006A240A, // 2 active caption
    0x00808080, // 3 inactive caption
    0x00C8D0D4, // 4 menu
    0x00FFFFFF, // 5 window
    0x00000000, // 6 window frame
    0x00000000, // 7 menu text
    0x00000000, // 8 window text
    0x00FFFFFF, // 9 caption text
    0x00C8D0D4, // 10 active border
    0x00C8D0D4, // 11 inactive border
    0x00808080, // 12 application workspace
    0x006A240A, // 13 highlight
    0x00FFFFFF, // 14 highlighted text
    0x00C8D0D4, // 15 button face
    0x00808080, // 16 button shadow
    0x00808080, // 17 grey text
    0x00000000, // 18 button text
    0x00C8D0D4, // 19 inactive caption text
    0x00FFFFFF, // 20 button highlight
    0x00404040, // 21 3D dark shadow
    0x00C8D0D4, // 22 3D light
    0x00000000, // 23 tooltip text
    0x00E1FFFF, // 24 tooltip background
    -1,         // 25 unassigned
    0x00800000, // 26 hot-tracked item
    0x00F0CAA6, // 27 active caption gradient
    0x00C0C0C0, // 28 inactive caption gradient
    0x006A240A, // 29 menu highlight
    0x00C8D0D4, // 30 menu bar
};

SystemColourResolver& resolver() {
    static SystemColourResolver current;
    return current;
}

} // namespace

std::optional<std::uint32_t> classicSystemColour(int index) {
    if (index < 0 || index >= static_cast<int>(kClassic.size()) || kClassic[index] < 0)
        return std::nullopt;
    return static_cast<std::uint32_t>(kClassic[index]);
}

void setSystemColourResolver(SystemColourResolver r) { resolver() = std::move(r); }

std::uint32_t TranslateColour(std::uint32_t oColor) {
    if ((oColor & 0xFF000000u) != kSystemColourFlag) return oColor & 0x00FFFFFFu;
    const int index = static_cast<int>(oColor & 0x00FFFFFFu);
    const auto& r = resolver();
    const std::optional<std::uint32_t> value = r ? r(index) : classicSystemColour(index);
    return value ? (*value & 0x00FFFFFFu) : 0u;
}

} // namespace tarrowin

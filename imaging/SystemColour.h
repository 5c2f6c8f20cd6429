#pragma once

// Colour values as the program passes them around: 0x00BBGGRR, or a reference to
// a system colour (0x800000nn, nn the system colour index) that stands for whatever
// the desktop's palette gives that index. Pixel operations translate a colour once,
// before they compare or fill with it.

#include <cstdint>
#include <functional>
#include <optional>

namespace tarrowin {

// The high byte that marks a system-colour reference.
inline constexpr std::uint32_t kSystemColourFlag = 0x80000000u;

// Gives the 0x00BBGGRR value of system colour `index`, or nothing for an index the
// desktop does not define.
using SystemColourResolver = std::function<std::optional<std::uint32_t>(int index)>;

// The classic Windows scheme, used until the platform layer installs the desktop's
// own palette (and by the standard-library layers' tests).
std::optional<std::uint32_t> classicSystemColour(int index);

// Installs the desktop palette; an empty function restores the classic scheme.
void setSystemColourResolver(SystemColourResolver resolver);

// 0x00BBGGRR of `oColor`. A plain colour keeps its low three bytes; a system-colour
// reference becomes the palette's colour, and one the palette does not know becomes
// 0 (black), which is what a failed translation leaves in the caller's variable.
std::uint32_t TranslateColour(std::uint32_t oColor);

} // namespace tarrowin

#pragma once

// Comparing registry names; the conversions live in core/Utf16.h.

#include "core/Utf16.h"

#include <string>
#include <string_view>

namespace tarrowin {

// Case folding used for registry names: ASCII and Latin-1 letters.
char16_t foldCase(char16_t c);
// Compares as the registry orders names: folded units, then the shorter first.
int compareNoCase(std::u16string_view a, std::u16string_view b);

} // namespace tarrowin

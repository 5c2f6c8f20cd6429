#pragma once

// The program's text is 8-bit; its code page is UTF-8. The registry keeps UTF-16.
// Bytes that are not valid UTF-8 are taken as Latin-1 characters, so that text from
// an older 8-bit file still reaches the registry instead of being dropped.

#include <string>
#include <string_view>

namespace tarrowin {

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

// Case folding used for registry names: ASCII and Latin-1 letters.
char16_t foldCase(char16_t c);
// Compares as the registry orders names: folded units, then the shorter first.
int compareNoCase(std::u16string_view a, std::u16string_view b);

} // namespace tarrowin

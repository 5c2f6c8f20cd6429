#pragma once

// The program's text is 8-bit, in UTF-8; executables and the registry keep UTF-16.
// Bytes that are not valid UTF-8 are taken as Latin-1 characters, so that text from
// an older 8-bit file still arrives instead of being dropped; unpaired surrogates
// pass through as three-byte sequences, so nothing read is lost on the way back.

#include <string>
#include <string_view>

namespace tarrowin {

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

} // namespace tarrowin

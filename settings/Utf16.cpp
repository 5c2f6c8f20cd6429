#include "settings/Utf16.h"

namespace tarrowin {

char16_t foldCase(char16_t c) {
    // Wine matches registry names with the full lower-case table; these are the
    // blocks names use in practice: Latin (with Extended-A), Greek and Cyrillic.
    if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        if (c == 0x178) return 0xFF;
        // Pairs start on even code points, except in 0x139..0x148 and 0x179..0x17E.
        const bool oddStart = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        const bool upper = oddStart ? (c % 2 == 1) : (c % 2 == 0);
        return upper ? static_cast<char16_t>(c + 1) : c;
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return static_cast<char16_t>(c + 32);
    if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
    return c;
}

int compareNoCase(std::u16string_view a, std::u16string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const int d = static_cast<int>(foldCase(a[i])) - static_cast<int>(foldCase(b[i]));
        if (d) return d;
    }
    return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

} // namespace tarrowin

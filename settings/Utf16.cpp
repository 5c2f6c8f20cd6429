#include "settings/Utf16.h"

namespace tarrowin {

char16_t foldCase(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
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

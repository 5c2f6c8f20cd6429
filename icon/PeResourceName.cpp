#include "icon/PeResourceName.h"

namespace tarrowin {

namespace {

char16_t foldUnit(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
    if (c < 0x80) return c;
    // Latin-1: à..þ except ÷; ÿ folds to Ÿ.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
    if (c == 0xFF) return 0x178;
    // Greek: α..ω except final sigma, which folds to Σ as well.
    if (c == 0x3C2) return 0x3A3;
    if (c >= 0x3B1 && c <= 0x3C9) return static_cast<char16_t>(c - 32);
    // Cyrillic: а..я and ѐ..џ.
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 32);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
    return c;
}

} // namespace


std::u16string foldResourceName(std::u16string_view text) {
    std::u16string out(text);
    for (auto& c : out) c = foldUnit(c);
    return out;
}

bool sameResourceName(std::string_view a, std::string_view b) {
    if (a == b) return true;
    return foldResourceName(utf8ToUtf16(a)) == foldResourceName(utf8ToUtf16(b));
}

bool sameName(const PeName& a, const PeName& b) {
    if (a.index() != b.index()) return false;
    if (const auto* n = std::get_if<std::uint16_t>(&a)) return *n == std::get<std::uint16_t>(b);
    return sameResourceName(std::get<std::string>(a), std::get<std::string>(b));
}

std::optional<PeName> parseResourceName(std::string_view text) {
    if (text.empty() || text[0] != '#') return PeName{std::string(text)};
    // The Windows lookup reads the digits after "#" as the identifier and refuses
    // anything that does not fit 16 bits, a sign included: "#-1" finds nothing.
    const std::string_view digits = text.substr(1);
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (value > 0xFFFF) return std::nullopt;
    return PeName{static_cast<std::uint16_t>(value)};
}

std::string resourceNameText(const PeName& name) {
    if (const auto* n = std::get_if<std::uint16_t>(&name)) return std::to_string(*n).insert(0, 1, '#');
    return std::get<std::string>(name);
}

} // namespace tarrowin

#pragma once

// Names of resource types and resources in a Portable Executable: a 16-bit number
// or a text. Texts are UTF-16 in the file and UTF-8 in the program.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tarrowin {

using PeName = std::variant<std::uint16_t, std::string>;

// Resource types the icon model deals with.
inline constexpr std::uint16_t kResourceTypeIcon = 3;
inline constexpr std::uint16_t kResourceTypeGroupIcon = 14;

// Language identifiers the lookup prefers, in this order, before the first listed.
inline constexpr std::uint16_t kLanguageNeutral = 0;
inline constexpr std::uint16_t kLanguageEnglishUS = 1033;

// UTF-16 code units to UTF-8; unpaired surrogates become U+FFFD, never an error.
std::string utf16ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16 code units; malformed sequences become U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);

// Upper-cases the letters that resource compilers and the Windows lookup fold
// (ASCII, Latin-1, Greek and Cyrillic), so that names compare without regard to case.
std::u16string foldResourceName(std::u16string_view text);
bool sameResourceName(std::string_view a, std::string_view b);
bool sameName(const PeName& a, const PeName& b);

// A name as the Windows resource lookup takes it: "#" and a decimal number in
// 0..65535 is that number; any other "#..." is refused (nullopt); everything else
// is a name.
std::optional<PeName> parseResourceName(std::string_view text);

// "#101" for 101; the name itself for a name.
std::string resourceNameText(const PeName& name);

} // namespace tarrowin

#pragma once

// INI text as the Windows profile routines treat it: "[section]" lines open a
// section, "key=value" lines give values; sections and keys match without regard
// to (ASCII) case, blanks around keys and values do not count. The text is kept as
// bytes: whatever code page the file is in passes through untouched, and a write
// changes one line (or adds one) and leaves every other byte of the file as it was.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarrowin {

// Largest INI file read in whole; a bigger one is treated as unreadable.
inline constexpr std::uint64_t kMaxIniBytes = 16u << 20;

// The value of `key` in the first section named `section`, blanks and tabs around
// it removed; nullopt when the section or the key is missing.
std::optional<std::string> findIniValue(std::string_view text, std::string_view section,
                                        std::string_view key);

// `text` with `key` of `section` set to `value`: the key's line is replaced, or a
// line is added at the end of the section, or the section is added at the end.
// A value holding a line break is cut there, so that a value can never add lines
// (and with them keys or sections) to the file.
std::string setIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value);

// GetPrivateProfileString: the value cut to bufferSize - 1 bytes, or the default
// (equally cut) when the file, section or key is missing.
std::string readProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              std::size_t bufferSize);

// WritePrivateProfileString: creates the file, the section or the key when they
// are missing, replaces the file atomically. False when it could not be written
// (the old file then stays as it was).
bool writeProfileString(const std::filesystem::path& file, std::string_view section,
                        std::string_view key, std::string_view value);

} // namespace tarrowin

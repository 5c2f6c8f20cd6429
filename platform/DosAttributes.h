#pragma once

// DOS attributes of files and folders (read-only, hidden, system, archive...),
// kept where Wine and Samba keep them: the extended attribute user.DOSATTRIB.
// Wine writes it as text, "0x" and hex digits; Samba writes a binary record,
// which is read too. Where the file system has no extended attributes, reading
// gives the plain attributes and setting fails quietly, as it does on Windows
// for a file system without them.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace tarrowin {

inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeHidden = 0x02;
inline constexpr std::uint32_t kAttributeSystem = 0x04;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeArchive = 0x20;
inline constexpr std::uint32_t kAttributeNormal = 0x80;

// The attributes stored for the file (nullopt: none stored, or unreadable).
std::optional<std::uint32_t> readDosAttribute(const std::filesystem::path& file);

// GetFileAttributes: stored attributes, plus directory and read-only from the
// file itself (read-only when no one may write it); nullopt when it is missing.
std::optional<std::uint32_t> getFileAttributes(const std::filesystem::path& file);

// SetFileAttributes: stores the attributes Wine keeps (read-only, hidden, system,
// archive) as Wine writes them. False when the file is missing or the file system
// refuses extended attributes.
bool setFileAttributes(const std::filesystem::path& file, std::uint32_t attributes);

// Parses the stored bytes of user.DOSATTRIB in either form.
std::optional<std::uint32_t> parseDosAttribute(const std::uint8_t* data, std::size_t size);

} // namespace tarrowin

#pragma once

// Whole-file reads with a size bound, and writes that replace a file atomically.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarrowin {

// Largest file any reader of the program takes in whole; bigger files are refused
// rather than read into memory.
inline constexpr std::uint64_t kMaxReadBytes = 1ull << 30;

// Reads the whole file. Returns nullopt when it cannot be opened or read, or when
// it is larger than maxBytes; errno-style text of the failure goes to `why` when given.
std::optional<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path,
                                                       std::uint64_t maxBytes = kMaxReadBytes,
                                                       std::string* why = nullptr);

// The first `bytes` bytes of a regular file (fewer when it is shorter); nullopt
// for anything that is not a regular file or cannot be read.
std::optional<std::vector<std::uint8_t>> readFileHead(const std::filesystem::path& path, std::uint64_t bytes);

enum class WriteResult {
    Ok,
    CannotCreate, // the temporary file beside the target could not be created
    ShortWrite,   // a write, flush or the final rename failed; the target is untouched
};

// Writes `parts` one after the other into a temporary file beside `path`, flushes
// it to disk (when it replaces a file) and renames it over `path`. The target is replaced only when every
// byte was written, so a failure never destroys what was there. An existing
// target's permission bits are kept; a symbolic link is followed and the file it
// names is replaced.
WriteResult writeFileAtomic(const std::filesystem::path& path,
                            std::span<const std::span<const std::uint8_t>> parts);
WriteResult writeFileAtomic(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

} // namespace tarrowin

#include "platform/DosAttributes.h"

#include "core/ByteReader.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace tarrowin {

namespace {

constexpr const char* kAttributeName = "user.DOSATTRIB";
// What Wine stores of a file's attributes; the rest come from the file itself.
constexpr std::uint32_t kStoredMask = kAttributeReadOnly | kAttributeHidden | kAttributeSystem | kAttributeArchive;

} // namespace

std::optional<std::uint32_t> parseDosAttribute(const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0) return std::nullopt;
    // Text form: "0x" and hex digits, possibly followed by a NUL.
    if (size >= 3 && data[0] == '0' && (data[1] == 'x' || data[1] == 'X')) {
        std::uint64_t v = 0;
        std::size_t i = 2;
        std::size_t digits = 0;
        for (; i < size && digits < 8; ++i, ++digits) {
            const char c = static_cast<char>(data[i]);
            unsigned d;
            if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
            else break;
            v = (v << 4) | d;
        }
        if (digits == 0) return std::nullopt;
        return static_cast<std::uint32_t>(v);
    }
    // Samba's binary record (NDR): the version, the version again as the union's
    // level, then for version 1 the attributes; for versions 2 to 5 a 32-bit
    // field (flags; from version 3 on a mask whose bit 0 says the attributes are
    // valid) followed by the attributes.
    if (!fitsIn(size, 0, 8)) return std::nullopt;
    const std::uint16_t version = le16(data);
    if (version < 1 || version > 5 || le16(data + 2) != version) return std::nullopt;
    if (version == 1) return le32(data + 4);
    if (!fitsIn(size, 8, 4)) return std::nullopt;
    if (version >= 3 && !(le32(data + 4) & 1)) return std::nullopt;
    return le32(data + 8);
}

std::optional<std::uint32_t> readDosAttribute(const std::filesystem::path& file) {
    std::uint8_t buf[256];
    const ssize_t n = ::getxattr(file.c_str(), kAttributeName, buf, sizeof buf);
    if (n <= 0) return std::nullopt;
    return parseDosAttribute(buf, static_cast<std::size_t>(n));
}

std::optional<std::uint32_t> getFileAttributes(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return std::nullopt;
    std::uint32_t attributes = readDosAttribute(file).value_or(0) & kStoredMask;
    if (S_ISDIR(st.st_mode)) attributes |= kAttributeDirectory;
    else if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) attributes |= kAttributeReadOnly;
    if (attributes == 0) attributes = kAttributeNormal;
    return attributes;
}

bool setFileAttributes(const std::filesystem::path& file, std::uint32_t attributes) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return false;
    const std::uint32_t stored = attributes & kStoredMask;
    if (stored == 0) {
        // Nothing to keep: remove the attribute as Wine does for plain files.
        if (::removexattr(file.c_str(), kAttributeName) == 0) return true;
        return errno == ENODATA;
    }
    char text[16];
    const int n = std::snprintf(text, sizeof text, "0x%x", stored);
    return ::setxattr(file.c_str(), kAttributeName, text, static_cast<std::size_t>(n), 0) == 0;
}

} // namespace tarrowin

#pragma once

// Bounded little-endian access to a span of bytes. Every binary reader of the
// program works through these so that no field is ever read past its buffer.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tarrowin {

using Bytes = std::span<const std::uint8_t>;

// True when [offset, offset + size) lies inside a buffer of `total` bytes,
// computed without overflow.
constexpr bool fitsIn(std::uint64_t total, std::uint64_t offset, std::uint64_t size) noexcept {
    return offset <= total && size <= total - offset;
}

inline std::uint16_t le16(const std::uint8_t* p) noexcept {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const std::uint8_t* p) noexcept {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t le64(const std::uint8_t* p) noexcept {
    return static_cast<std::uint64_t>(le32(p)) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
}
inline void putLe16(std::uint8_t* p, std::uint16_t v) noexcept {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void putLe32(std::uint8_t* p, std::uint32_t v) noexcept {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Reads fields at absolute offsets; each read fails (nullopt) instead of running
// past the end.
class ByteReader {
public:
    explicit ByteReader(Bytes data) noexcept : m_data(data) {}

    std::size_t size() const noexcept { return m_data.size(); }
    Bytes data() const noexcept { return m_data; }
    bool has(std::uint64_t offset, std::uint64_t size) const noexcept {
        return fitsIn(m_data.size(), offset, size);
    }
    std::optional<std::uint8_t> u8(std::uint64_t offset) const noexcept {
        if (!has(offset, 1)) return std::nullopt;
        return m_data[offset];
    }
    std::optional<std::uint16_t> u16(std::uint64_t offset) const noexcept {
        if (!has(offset, 2)) return std::nullopt;
        return le16(m_data.data() + offset);
    }
    std::optional<std::uint32_t> u32(std::uint64_t offset) const noexcept {
        if (!has(offset, 4)) return std::nullopt;
        return le32(m_data.data() + offset);
    }
    std::optional<std::uint64_t> u64(std::uint64_t offset) const noexcept {
        if (!has(offset, 8)) return std::nullopt;
        return le64(m_data.data() + offset);
    }
    std::optional<Bytes> slice(std::uint64_t offset, std::uint64_t size) const noexcept {
        if (!has(offset, size)) return std::nullopt;
        return m_data.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
    }

private:
    Bytes m_data;
};

} // namespace tarrowin

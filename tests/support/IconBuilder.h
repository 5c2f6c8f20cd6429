#pragma once

// Byte builders for icon fixtures: records of any depth and ICO files around them.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tarrowin::testing {

using ByteVec = std::vector<std::uint8_t>;

inline void put16(ByteVec& v, std::size_t at, std::uint16_t x) {
    v[at] = static_cast<std::uint8_t>(x);
    v[at + 1] = static_cast<std::uint8_t>(x >> 8);
}
inline void put32(ByteVec& v, std::size_t at, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(x >> (8 * i));
}
inline std::size_t stride(std::size_t bits) { return ((bits + 31) / 32) * 4; }

// A bitmap record: header, `table` colour entries (0xRRGGBB), colour rows given
// top row first (already packed, unpadded), and a mask given top row first as one
// byte per pixel (1 = transparent).
inline ByteVec bitmapRecord(int width, int height, int bits, const std::vector<std::uint32_t>& table,
                            const std::vector<ByteVec>& rowsTopFirst, const std::vector<ByteVec>& maskTopFirst) {
    const std::size_t cs = stride(static_cast<std::size_t>(width * bits));
    const std::size_t ms = stride(static_cast<std::size_t>(width));
    const std::size_t h = static_cast<std::size_t>(height);
    ByteVec r(40 + 4 * table.size() + h * cs + h * ms, 0);
    put32(r, 0, 40);
    put32(r, 4, static_cast<std::uint32_t>(width));
    put32(r, 8, static_cast<std::uint32_t>(2 * height));
    put16(r, 12, 1);
    put16(r, 14, static_cast<std::uint16_t>(bits));
    // A table shorter than the depth's full one is declared through biClrUsed.
    if (bits <= 8 && table.size() != (std::size_t{1} << bits)) put32(r, 32, static_cast<std::uint32_t>(table.size()));
    for (std::size_t i = 0; i < table.size(); ++i) {
        r[40 + 4 * i] = static_cast<std::uint8_t>(table[i]);
        r[41 + 4 * i] = static_cast<std::uint8_t>(table[i] >> 8);
        r[42 + 4 * i] = static_cast<std::uint8_t>(table[i] >> 16);
    }
    const std::size_t colour = 40 + 4 * table.size();
    for (std::size_t y = 0; y < h && y < rowsTopFirst.size(); ++y)
        std::memcpy(r.data() + colour + (h - 1 - y) * cs, rowsTopFirst[y].data(), std::min(cs, rowsTopFirst[y].size()));
    const std::size_t mask = colour + h * cs;
    for (std::size_t y = 0; y < h && y < maskTopFirst.size(); ++y)
        for (std::size_t x = 0; x < maskTopFirst[y].size(); ++x)
            if (maskTopFirst[y][x]) r[mask + (h - 1 - y) * ms + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    return r;
}

struct FixtureImage {
    std::uint8_t width, height, colours;
    std::uint16_t planes, bits;
    ByteVec record;
};

// An ICO file with its records back to back behind the directory (or, with
// `gap`, that many junk bytes before each record).
inline ByteVec icoFile(const std::vector<FixtureImage>& images, std::size_t gap = 0, std::uint16_t type = 1) {
    ByteVec f(6 + 16 * images.size(), 0);
    put16(f, 2, type);
    put16(f, 4, static_cast<std::uint16_t>(images.size()));
    for (std::size_t i = 0; i < images.size(); ++i) {
        f.insert(f.end(), gap, 0xEE);
        const auto& im = images[i];
        const std::size_t e = 6 + 16 * i;
        f[e] = im.width;
        f[e + 1] = im.height;
        f[e + 2] = im.colours;
        put16(f, e + 4, im.planes);
        put16(f, e + 6, im.bits);
        put32(f, e + 8, static_cast<std::uint32_t>(im.record.size()));
        put32(f, e + 12, static_cast<std::uint32_t>(f.size()));
        f.insert(f.end(), im.record.begin(), im.record.end());
    }
    return f;
}

// A 32-bit record filled with one colour 0xAARRGGBB and an empty mask.
inline ByteVec solidRecord32(int size, std::uint32_t argb) {
    std::vector<ByteVec> rows(static_cast<std::size_t>(size), ByteVec(static_cast<std::size_t>(size) * 4));
    for (auto& row : rows)
        for (std::size_t x = 0; x < row.size(); x += 4) {
            row[x] = static_cast<std::uint8_t>(argb);
            row[x + 1] = static_cast<std::uint8_t>(argb >> 8);
            row[x + 2] = static_cast<std::uint8_t>(argb >> 16);
            row[x + 3] = static_cast<std::uint8_t>(argb >> 24);
        }
    return bitmapRecord(size, size, 32, {}, rows, {});
}

} // namespace tarrowin::testing

#pragma once

// The ICO layout: header, 16-byte directory entries, and the geometry of the
// image records (bitmap info header, colour table, colour bitmap, AND mask).

#include "core/ByteReader.h"

#include <cstdint>

namespace tarrowin {

struct IconHeader {
    std::uint16_t idReserved = 0;
    std::uint16_t idType = 0;
    std::int16_t idCount = 0; // signed: only 1 to 32767 images are accepted
};

struct IconDirEntry {
    std::uint8_t bWidth = 0; // 0 stands for 256 in files written by others
    std::uint8_t bHeight = 0;
    std::uint8_t bColorCount = 0;
    std::uint8_t bReserved = 0;
    std::uint16_t wPlanes = 0;
    std::uint16_t wBitCount = 0;
    std::int32_t dwBytesInRes = 0;
    std::uint32_t dwImageOffset = 0;
};

inline constexpr int kIconHeaderBytes = 6;
inline constexpr int kIconDirEntryBytes = 16;
inline constexpr int kGroupEntryBytes = 14; // an icon group's entry in an executable
inline constexpr int kBitmapInfoHeaderBytes = 40;
inline constexpr std::uint16_t kImageIcon = 1;

// The fields an icon directory entry and an executable's group entry share: the
// first 12 bytes at p (sizes, colours, planes, depth, record size). The caller
// has checked that they lie inside its buffer.
inline IconDirEntry readIconEntryFields(const std::uint8_t* p) noexcept {
    IconDirEntry e;
    e.bWidth = p[0];
    e.bHeight = p[1];
    e.bColorCount = p[2];
    e.bReserved = p[3];
    e.wPlanes = le16(p + 4);
    e.wBitCount = le16(p + 6);
    e.dwBytesInRes = static_cast<std::int32_t>(le32(p + 8));
    return e;
}

// A whole 16-byte directory entry of an .ico file.
inline IconDirEntry readIconDirEntry(const std::uint8_t* p) noexcept {
    IconDirEntry e = readIconEntryFields(p);
    e.dwImageOffset = le32(p + 12);
    return e;
}

inline void writeIconDirEntry(std::uint8_t* p, const IconDirEntry& e) noexcept {
    p[0] = e.bWidth;
    p[1] = e.bHeight;
    p[2] = e.bColorCount;
    p[3] = e.bReserved;
    putLe16(p + 4, e.wPlanes);
    putLe16(p + 6, e.wBitCount);
    putLe32(p + 8, static_cast<std::uint32_t>(e.dwBytesInRes));
    putLe32(p + 12, e.dwImageOffset);
}

// Bytes of a bitmap row of `bits` bits, padded to a multiple of 4 bytes.
constexpr std::int64_t dibStride(std::int64_t bits) noexcept { return ((bits + 31) / 32) * 4; }

// Entries of the colour table a record without biClrUsed carries for its depth.
constexpr int defaultColourTableEntries(int bitCount) noexcept {
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

} // namespace tarrowin

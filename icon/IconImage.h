#pragma once

// Decoding of one icon image record into pixels, without any platform. The record's
// own header decides width, height and depth: directories written by other tools lie
// (bit count 0, planes 0, width 0 for 256, sizes that differ from the record).

#include "core/ByteReader.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tarrowin {

// Largest width or height decoded from a bitmap record; anything larger is refused
// before a pixel is allocated.
inline constexpr int kMaxIconDimension = 4096;

enum class IconRecordKind { Bitmap, Png, Unknown };

IconRecordKind iconRecordKind(Bytes record) noexcept;

// Pixels of one image, top row first, each 0xAARRGGBB, not premultiplied.
struct IconPixels {
    int width = 0;
    int height = 0;
    int bitCount = 0;                  // depth of the colour bitmap as its header gives it
    std::vector<std::uint32_t> colour; // the colour (XOR) bitmap; alpha 255 below 32 bits
    std::vector<std::uint8_t> mask;    // 1 = transparent (AND bit set), one byte per pixel
    bool hasMask = false;              // false when the record ends before its mask
};

// Decodes the colour bitmap and the mask of a bitmap record. Returns nullopt for
// a PNG record, an unsupported compression or a record that is too short.
std::optional<IconPixels> decodeIconBitmap(Bytes record);

// What the image looks like drawn on a surface, as 0xAARRGGBB premultiplied, top
// row first: a 32-bit image with any alpha uses its alpha; every other image (and a
// 32-bit one whose alpha bytes are all 0) is cut out by its mask. Pixels that the
// mask makes transparent but whose colour is not black would invert the screen;
// they are left transparent here.
std::vector<std::uint32_t> composeIcon(const IconPixels& pixels);

// Width, height and bit count that a record's own header gives (PNG records: from
// the IHDR chunk, bit count 32). nullopt when neither can be read.
struct IconImageInfo {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    IconRecordKind kind = IconRecordKind::Unknown;
};
std::optional<IconImageInfo> iconImageInfo(Bytes record) noexcept;

} // namespace tarrowin

#pragma once

// Small helpers to build and read pictures in tests. Pixels are (blue, green, red,
// alpha) and (x, y) counts rows from the bottom, as the picture stores them.

#include "imaging/cAlphaDIBSection.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace tarrowin::test {

using Pixel = std::array<std::uint8_t, 4>;

inline cAlphaDIBSection makePicture(int width, int height, Pixel fill = {0, 0, 0, 0}) {
    cAlphaDIBSection picture;
    if (!picture.Create(width, height)) throw std::runtime_error("Create failed");
    std::uint8_t* bits = picture.DIBSectionBitsPtr();
    for (std::size_t i = 0; i < picture.byteCount(); i += 4) std::memcpy(bits + i, fill.data(), 4);
    return picture;
}

inline Pixel pixelAt(const cAlphaDIBSection& picture, int x, int y) {
    const std::uint8_t* p = picture.DIBSectionBitsPtr() + (std::size_t(y) * picture.Width() + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

inline void setPixel(cAlphaDIBSection& picture, int x, int y, Pixel value) {
    std::memcpy(picture.DIBSectionBitsPtr() + (std::size_t(y) * picture.Width() + x) * 4,
                value.data(), 4);
}

} // namespace tarrowin::test

#pragma once

// The working picture of the icon creator: 32-bit pixels with alpha, held the way a
// device-independent bitmap section holds them. Each pixel is 4 bytes, blue, green,
// red, alpha; rows are never padded (BytesPerScanLine = Width x 4) and are stored
// bottom-up, so the first row in memory is the bottom row of the picture. Row
// numbers below count from the bottom.
//
// This type owns only the bits. Drawing into a picture or painting it onto a window
// goes through the platform layer (platform/AlphaPicture.h), which works on the
// same bits.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

namespace tarrowin {

// The 40-byte header that describes the bits to the platform's bitmap calls.
struct BitmapInfoHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0; // positive: rows bottom-up
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 32;
    std::uint32_t biCompression = 0; // uncompressed
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

class cAlphaDIBSection {
public:
    static constexpr const char* kClassName = "cAlphaDIBSection";
    // Raised by AlphaResample for a new width below 1 or an empty source.
    static constexpr int kErrorInvalidSize = 1070;
    // Raised by AlphaResample when the new picture cannot be made.
    static constexpr int kErrorNoPicture = 1071;
    // The largest picture: its byte count must fit the signed 32-bit size that
    // callers read from the bitmap header (a 23,170 pixel square, or 12,000 x 12,000
    // with room to spare).
    static constexpr std::int64_t kMaxBytes = 0x7FFFFFFF;

    cAlphaDIBSection() = default;
    ~cAlphaDIBSection() = default;
    cAlphaDIBSection(cAlphaDIBSection&& other) noexcept;
    cAlphaDIBSection& operator=(cAlphaDIBSection&& other) noexcept;
    cAlphaDIBSection(const cAlphaDIBSection&) = delete;
    cAlphaDIBSection& operator=(const cAlphaDIBSection&) = delete;

    // Replaces the picture by a new one with every byte 0. False (and an empty
    // picture) for a size below 1, above kMaxBytes, or when memory runs out.
    bool Create(std::int32_t lWidth, std::int32_t lHeight);
    // Releases the bits; the picture becomes empty.
    void ClearUp() noexcept;

    bool IsEmpty() const noexcept { return !m_bits; }
    std::int32_t Width() const noexcept { return m_info.biWidth; }
    std::int32_t Height() const noexcept { return m_info.biHeight; }
    std::int32_t BytesPerScanLine() const noexcept { return m_info.biWidth * 4; }
    const BitmapInfoHeader& BitmapInfo() const noexcept { return m_info; }

    // Address of the bits; null while the picture is empty.
    std::uint8_t* DIBSectionBitsPtr() noexcept { return m_bits.get(); }
    const std::uint8_t* DIBSectionBitsPtr() const noexcept { return m_bits.get(); }
    std::span<std::uint8_t> Bits() noexcept { return {m_bits.get(), byteCount()}; }
    std::span<const std::uint8_t> Bits() const noexcept { return {m_bits.get(), byteCount()}; }
    std::size_t byteCount() const noexcept {
        return static_cast<std::size_t>(m_info.biSizeImage);
    }

    // Every pixel's blue, green and red become the colour's; alpha becomes 0, as the
    // platform's solid fill leaves it. oColor may be a system-colour reference.
    void SetBackgroundColor(std::uint32_t oColor) noexcept;
    // Every pixel of that colour (whatever its alpha) becomes (0, 0, 0, 0).
    void SetColourTransparent(std::uint32_t oColor) noexcept;
    // Every colour byte c becomes (c x bAlphaSet) div 255, every alpha bAlphaSet.
    void SetAlpha(std::uint8_t bAlphaSet) noexcept;

    // Copies whole pixels (alpha included, no blending) into cTo: columns 0 to
    // lWidth - 1 (all when -1) and the top lHeight rows (all when -1); source pixel
    // (x, y) lands on (lX + x, lY + y), rows counted from the bottom in both. Pixels
    // that would land outside cTo are dropped.
    void CopyTo(cAlphaDIBSection& cTo, std::int32_t lX = 0, std::int32_t lY = 0,
                std::int32_t lWidth = -1, std::int32_t lHeight = -1) const;

    // A new picture lNewWidth wide, of the height that keeps the aspect ratio
    // (rounded up), averaged by area: alpha over every covered source pixel, colour
    // over the pixels that are not fully transparent. Raises kErrorInvalidSize or
    // kErrorNoPicture.
    cAlphaDIBSection AlphaResample(std::int32_t lNewWidth) const;

private:
    struct FreeBits {
        void operator()(std::uint8_t* p) const noexcept { std::free(p); }
    };

    std::unique_ptr<std::uint8_t, FreeBits> m_bits;
    BitmapInfoHeader m_info{};
};

// The icon creator keeps its source picture under this name; it is the same class.
using ConvertAlphaicons = cAlphaDIBSection;

} // namespace tarrowin

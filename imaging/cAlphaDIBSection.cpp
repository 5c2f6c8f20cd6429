#include "imaging/cAlphaDIBSection.h"

#include "imaging/SystemColour.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace tarrowin {

cAlphaDIBSection::cAlphaDIBSection(cAlphaDIBSection&& other) noexcept
    : m_bits(std::move(other.m_bits)), m_info(std::exchange(other.m_info, BitmapInfoHeader{})) {}

cAlphaDIBSection& cAlphaDIBSection::operator=(cAlphaDIBSection&& other) noexcept {
    if (this != &other) {
        m_bits = std::move(other.m_bits);
        m_info = std::exchange(other.m_info, BitmapInfoHeader{});
    }
    return *this;
}

bool cAlphaDIBSection::Create(std::int32_t lWidth, std::int32_t lHeight) {
    ClearUp();
    if (lWidth < 1 || lHeight < 1) return false;
    const std::int64_t bytes = std::int64_t{lWidth} * 4 * lHeight;
    if (bytes > kMaxBytes) return false;
    // calloc: the pages of a large picture are handed out already zeroed and are only
    // touched when drawn into, so a big source picture costs no extra pass.
    auto* bits = static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(bytes), 1));
    if (!bits) return false;
    m_bits.reset(bits);
    m_info = BitmapInfoHeader{};
    m_info.biWidth = lWidth;
    m_info.biHeight = lHeight;
    m_info.biSizeImage = static_cast<std::uint32_t>(bytes);
    return true;
}

void cAlphaDIBSection::ClearUp() noexcept {
    m_bits.reset();
    m_info = BitmapInfoHeader{};
}

void cAlphaDIBSection::SetBackgroundColor(std::uint32_t oColor) noexcept {
    const std::uint32_t colour = TranslateColour(oColor);
    const std::uint8_t pixel[4] = {static_cast<std::uint8_t>(colour >> 16),
                                   static_cast<std::uint8_t>(colour >> 8),
                                   static_cast<std::uint8_t>(colour), 0};
    std::uint8_t* p = m_bits.get();
    for (std::size_t i = 0, n = byteCount(); i < n; i += 4) std::memcpy(p + i, pixel, 4);
}

void cAlphaDIBSection::SetColourTransparent(std::uint32_t oColor) noexcept {
    const std::uint32_t colour = TranslateColour(oColor);
    const auto r = static_cast<std::uint8_t>(colour & 0xFF);
    const auto g = static_cast<std::uint8_t>((colour >> 8) & 0xFF);
    const auto b = static_cast<std::uint8_t>((colour >> 16) & 0xFF);
    std::uint8_t* p = m_bits.get();
    for (std::size_t i = 0, n = byteCount(); i < n; i += 4) {
        if (p[i] == b && p[i + 1] == g && p[i + 2] == r) std::memset(p + i, 0, 4);
    }
}

void cAlphaDIBSection::SetAlpha(std::uint8_t bAlphaSet) noexcept {
    const unsigned alpha = bAlphaSet;
    std::uint8_t* p = m_bits.get();
    for (std::size_t i = 0, n = byteCount(); i < n; i += 4) {
        for (std::size_t k = 0; k < 3; ++k)
            p[i + k] = static_cast<std::uint8_t>(p[i + k] * alpha / 255);
        p[i + 3] = bAlphaSet;
    }
}

void cAlphaDIBSection::CopyTo(cAlphaDIBSection& cTo, std::int32_t lX, std::int32_t lY,
                              std::int32_t lWidth, std::int32_t lHeight) const {
    if (IsEmpty() || cTo.IsEmpty()) return;
    const std::int64_t w = Width(), h = Height();
    const std::int64_t columns = lWidth == -1 ? w : std::min<std::int64_t>(lWidth, w);
    const std::int64_t firstRow = lHeight == -1 ? 0 : std::max<std::int64_t>(h - lHeight, 0);
    // Callers place the block inside the target; anything outside it is dropped here
    // rather than written past the target's bits.
    const std::int64_t x0 = std::max<std::int64_t>(0, -std::int64_t{lX});
    const std::int64_t x1 = std::min<std::int64_t>(columns, std::int64_t{cTo.Width()} - lX);
    const std::int64_t y0 = std::max<std::int64_t>(firstRow, -std::int64_t{lY});
    const std::int64_t y1 = std::min<std::int64_t>(h, std::int64_t{cTo.Height()} - lY);
    if (x0 >= x1 || y0 >= y1) return;

    const auto rowBytes = static_cast<std::size_t>((x1 - x0) * 4);
    const std::uint8_t* from = m_bits.get();
    // A copy within one picture reads from a snapshot so that overlapping rows are
    // not read after they were overwritten.
    std::vector<std::uint8_t> snapshot;
    if (&cTo == this) {
        snapshot.assign(from, from + byteCount());
        from = snapshot.data();
    }
    for (std::int64_t y = y0; y < y1; ++y) {
        const std::uint8_t* src = from + static_cast<std::size_t>((y * w + x0) * 4);
        std::uint8_t* dst = cTo.m_bits.get() +
                            static_cast<std::size_t>(((lY + y) * cTo.Width() + lX + x0) * 4);
        std::memcpy(dst, src, rowBytes);
    }
}

} // namespace tarrowin

#include "icon/IconImage.h"

#include "icon/IconFormat.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tarrowin {

namespace {

constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

int maskShift(std::uint32_t mask) {
    int s = 0;
    while (mask && !(mask & 1u)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

// Scales a channel extracted with a bit mask to 0..255.
std::uint8_t channel(std::uint32_t value, std::uint32_t mask) {
    if (!mask) return 0;
    const int shift = maskShift(mask);
    const std::uint32_t max = mask >> shift;
    const std::uint32_t v = (value & mask) >> shift;
    return static_cast<std::uint8_t>((v * 255u + max / 2) / max);
}

struct Header {
    std::int32_t width;
    std::int32_t height; // of the colour bitmap (half the stacked height)
    int planes;
    int bits;
    std::uint32_t compression;
    std::int64_t tableEntries;
    std::int64_t headerBytes; // header plus colour table (plus bit masks)
    std::uint32_t masks[3];
};

std::optional<Header> readHeader(const ByteReader& in) {
    const auto biSize = in.u32(0);
    if (!biSize || *biSize < 40 || *biSize > 1024) return std::nullopt;
    Header h{};
    h.width = static_cast<std::int32_t>(*in.u32(4));
    const auto stacked = static_cast<std::int32_t>(in.u32(8).value_or(0));
    h.height = stacked / 2;
    h.planes = in.u16(12).value_or(0);
    h.bits = in.u16(14).value_or(0);
    h.compression = in.u32(16).value_or(0xffffffffu);
    const std::uint32_t clrUsed = in.u32(32).value_or(0);
    if (h.width <= 0 || h.height <= 0 || h.width > kMaxIconDimension || h.height > kMaxIconDimension)
        return std::nullopt;
    // Planes other than 1 occur in the wild (0 is common); the pixels are one plane.
    h.planes = 1;
    switch (h.bits) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return std::nullopt;
    }
    if (h.compression != kBiRgb && !(h.compression == kBiBitfields && (h.bits == 16 || h.bits == 32)))
        return std::nullopt;
    if (h.bits <= 8) {
        h.tableEntries = clrUsed != 0 ? std::min<std::int64_t>(clrUsed, std::int64_t{1} << h.bits)
                                      : defaultColourTableEntries(h.bits);
        // A biClrUsed above the depth's maximum still occupies its entries in the record.
        h.headerBytes = *biSize + 4 * std::int64_t{clrUsed != 0 ? std::min<std::uint32_t>(clrUsed, 65536) : static_cast<std::uint32_t>(h.tableEntries)};
    } else {
        // Deeper images use no table, but one that biClrUsed declares still sits
        // between the header and the bits.
        h.tableEntries = 0;
        h.headerBytes = *biSize + 4 * std::int64_t{std::min<std::uint32_t>(clrUsed, 65536)};
    }
    if (h.compression == kBiBitfields) {
        // The three masks follow a 40-byte header; larger headers carry them inside.
        for (int i = 0; i < 3; ++i) h.masks[i] = in.u32(40 + 4 * i).value_or(0);
        if (*biSize == 40) h.headerBytes += 12;
    } else if (h.bits == 16) {
        h.masks[0] = 0x7c00; h.masks[1] = 0x03e0; h.masks[2] = 0x001f;
    } else {
        h.masks[0] = 0xff0000; h.masks[1] = 0x00ff00; h.masks[2] = 0x0000ff;
    }
    return h;
}

} // namespace

IconRecordKind iconRecordKind(Bytes record) noexcept {
    if (record.size() >= kPngSignature.size() &&
        std::equal(kPngSignature.begin(), kPngSignature.end(), record.begin()))
        return IconRecordKind::Png;
    const ByteReader in(record);
    const auto size = in.u32(0);
    if (size && *size >= 40 && *size <= 1024) return IconRecordKind::Bitmap;
    return IconRecordKind::Unknown;
}

std::optional<IconImageInfo> iconImageInfo(Bytes record) noexcept {
    const ByteReader in(record);
    switch (iconRecordKind(record)) {
    case IconRecordKind::Png: {
        // IHDR is the first chunk: length, "IHDR", width, height (big-endian).
        if (!in.has(16, 8)) return std::nullopt;
        auto be32 = [&](std::size_t o) {
            const auto* p = record.data() + o;
            return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
        };
        const auto w = be32(16), h = be32(20);
        if (w == 0 || h == 0 || w > 0x7fffffffu || h > 0x7fffffffu) return std::nullopt;
        return IconImageInfo{static_cast<int>(w), static_cast<int>(h), 32, IconRecordKind::Png};
    }
    case IconRecordKind::Bitmap: {
        const auto w = static_cast<std::int32_t>(in.u32(4).value_or(0));
        const auto h = static_cast<std::int32_t>(in.u32(8).value_or(0)) / 2;
        const int bits = in.u16(14).value_or(0);
        if (w <= 0 || h <= 0) return std::nullopt;
        return IconImageInfo{w, h, bits, IconRecordKind::Bitmap};
    }
    case IconRecordKind::Unknown: break;
    }
    return std::nullopt;
}

std::optional<IconPixels> decodeIconBitmap(Bytes record) {
    if (iconRecordKind(record) != IconRecordKind::Bitmap) return std::nullopt;
    const ByteReader in(record);
    const auto header = readHeader(in);
    if (!header) return std::nullopt;
    const Header& h = *header;
    const std::int64_t stride = dibStride(std::int64_t{h.width} * h.bits);
    const std::int64_t colourBytes = stride * h.height;
    if (!in.has(static_cast<std::uint64_t>(h.headerBytes), static_cast<std::uint64_t>(colourBytes)))
        return std::nullopt;

    // Colour table, as 0xFFRRGGBB; indices past its end read black, as the platform draws them.
    std::vector<std::uint32_t> table(static_cast<std::size_t>(h.bits <= 8 ? (1 << h.bits) : 0), 0xff000000u);
    for (std::int64_t i = 0; i < h.tableEntries; ++i) {
        const auto o = static_cast<std::uint64_t>(in.u32(0).value_or(40) + 4 * i);
        if (const auto c = in.u32(o)) table[static_cast<std::size_t>(i)] = 0xff000000u | (*c & 0xffffffu);
    }

    IconPixels px;
    px.width = h.width;
    px.height = h.height;
    px.bitCount = h.bits;
    const auto w = static_cast<std::size_t>(h.width);
    const auto hgt = static_cast<std::size_t>(h.height);
    px.colour.assign(w * hgt, 0);
    const std::uint8_t* bits = record.data() + h.headerBytes;
    for (std::size_t row = 0; row < hgt; ++row) {
        // Rows are stored bottom-up.
        const std::uint8_t* src = bits + static_cast<std::size_t>(stride) * (hgt - 1 - row);
        std::uint32_t* dst = px.colour.data() + row * w;
        switch (h.bits) {
        case 1:
        case 4:
        case 8: {
            const int perByte = 8 / h.bits;
            const unsigned valueMask = (1u << h.bits) - 1;
            for (std::size_t x = 0; x < w; ++x) {
                const std::uint8_t byte = src[x / static_cast<std::size_t>(perByte)];
                const int shift = 8 - h.bits * (1 + static_cast<int>(x % static_cast<std::size_t>(perByte)));
                dst[x] = table[(byte >> shift) & valueMask];
            }
            break;
        }
        case 16:
            for (std::size_t x = 0; x < w; ++x) {
                const std::uint32_t v = le16(src + 2 * x);
                dst[x] = 0xff000000u | (std::uint32_t{channel(v, h.masks[0])} << 16) |
                         (std::uint32_t{channel(v, h.masks[1])} << 8) | channel(v, h.masks[2]);
            }
            break;
        case 24:
            for (std::size_t x = 0; x < w; ++x)
                dst[x] = 0xff000000u | (std::uint32_t{src[3 * x + 2]} << 16) | (std::uint32_t{src[3 * x + 1]} << 8) |
                         src[3 * x];
            break;
        case 32:
            for (std::size_t x = 0; x < w; ++x) {
                const std::uint32_t v = le32(src + 4 * x);
                if (h.compression == kBiBitfields)
                    dst[x] = (v & 0xff000000u) | (std::uint32_t{channel(v, h.masks[0])} << 16) |
                             (std::uint32_t{channel(v, h.masks[1])} << 8) | channel(v, h.masks[2]);
                else
                    dst[x] = v;
            }
            break;
        }
    }

    px.mask.assign(w * hgt, 0);
    const std::int64_t maskStride = dibStride(h.width);
    const auto maskOffset = static_cast<std::uint64_t>(h.headerBytes + colourBytes);
    if (in.has(maskOffset, static_cast<std::uint64_t>(maskStride * h.height))) {
        px.hasMask = true;
        const std::uint8_t* mask = record.data() + maskOffset;
        for (std::size_t row = 0; row < hgt; ++row) {
            const std::uint8_t* src = mask + static_cast<std::size_t>(maskStride) * (hgt - 1 - row);
            for (std::size_t x = 0; x < w; ++x)
                px.mask[row * w + x] = static_cast<std::uint8_t>((src[x / 8] >> (7 - x % 8)) & 1u);
        }
    }
    return px;
}

std::vector<std::uint32_t> composeIcon(const IconPixels& px) {
    std::vector<std::uint32_t> out(px.colour.size());
    bool useAlpha = false;
    if (px.bitCount == 32)
        useAlpha = std::any_of(px.colour.begin(), px.colour.end(), [](std::uint32_t c) { return (c >> 24) != 0; });
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::uint32_t c = px.colour[i];
        if (useAlpha) {
            const std::uint32_t a = c >> 24;
            auto pm = [a](std::uint32_t v) { return (v * a + 127) / 255; };
            out[i] = (a << 24) | (pm((c >> 16) & 0xff) << 16) | (pm((c >> 8) & 0xff) << 8) | pm(c & 0xff);
        } else {
            out[i] = px.mask[i] ? 0u : (0xff000000u | (c & 0xffffffu));
        }
    }
    return out;
}

} // namespace tarrowin

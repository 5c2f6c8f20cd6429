// The area-averaging resampler of cAlphaDIBSection.
//
// Its results are pinned to the byte: created icons must not change from one build
// to the next. Weights are single-precision values, each rounded when it is made;
// the accumulator cells are integers, and every weighted addition is made in double
// precision and rounded to the nearest integer, halves to even. Because a cell is
// rounded at every addition, the order in which source pixels reach a cell is part
// of the result: columns in the outer loop, rows in the inner one.
//
// The accumulator and the normalisation are 64-bit. A 32-bit accumulator overflows
// once a cell times the new width passes 2^31 (a picture some 11,600 pixels wide
// reduced to 16); wherever 32 bits were enough the bytes are the same.

#include "imaging/cAlphaDIBSection.h"

#include "core/ObjectError.h"

#include <cmath>
#include <limits>
#include <vector>

namespace tarrowin {

namespace {

float single(double v) { return static_cast<float>(v); }

std::int64_t roundHalfEven(double v) { return static_cast<std::int64_t>(std::nearbyint(v)); }

struct Geometry {
    std::int64_t srcWidth;
    std::int64_t srcHeight;
    std::int64_t newWidth;
    std::int64_t newHeight;
};

// Every output pixel averages a kx x ky block: alpha over the whole block, colour
// (multiplied by alpha) over the block's pixels that are not fully transparent.
void resampleExact(const std::uint8_t* src, std::uint8_t* dst, const Geometry& g) {
    const std::int64_t kx = g.srcWidth / g.newWidth;
    const std::int64_t ky = g.srcHeight / g.newHeight;
    for (std::int64_t X = 0; X < g.newWidth; ++X) {
        for (std::int64_t Y = 0; Y < g.newHeight; ++Y) {
            std::int64_t sum[4] = {0, 0, 0, 0};
            std::int64_t opaque = 0;
            for (std::int64_t x = X * kx; x < X * kx + kx; ++x) {
                for (std::int64_t y = Y * ky; y < Y * ky + ky; ++y) {
                    const std::uint8_t* p = src + (y * g.srcWidth + x) * 4;
                    sum[3] += p[3];
                    if (p[3] > 0) {
                        ++opaque;
                        for (int k = 0; k < 3; ++k) sum[k] += p[k] * p[3] / 255;
                    }
                }
            }
            std::uint8_t* q = dst + (Y * g.newWidth + X) * 4;
            if (opaque > 0) {
                for (int k = 0; k < 3; ++k) q[k] = static_cast<std::uint8_t>(sum[k] / opaque);
            }
            q[3] = static_cast<std::uint8_t>(sum[3] / (kx * ky));
        }
    }
}

void resampleGeneral(const std::uint8_t* src, std::uint8_t* dst, const Geometry& g) {
    const std::int64_t n = g.newWidth, W = g.srcWidth;
    // One cell per byte of an (n + 1) x (N + 1) picture: the extra column and row
    // take the shares that reach past the right and top edges and are never written.
    const std::int64_t rowCells = (n + 1) * 4;
    std::vector<std::int64_t> acc(static_cast<std::size_t>(rowCells * (g.newHeight + 1)));

    auto add = [&](std::int64_t cx, std::int64_t cy, const std::uint8_t* p, float w) {
        if (cx > n || cy > g.newHeight) return;
        std::int64_t* cell = acc.data() + cy * rowCells + cx * 4;
        const double weight = w;
        if (p[3] != 0) {
            for (int k = 0; k < 3; ++k)
                cell[k] = roundHalfEven(static_cast<double>(cell[k]) + p[k] * weight);
        }
        cell[3] = roundHalfEven(static_cast<double>(cell[3]) + p[3] * weight);
    };

    const float s = single(static_cast<double>(n) / static_cast<double>(W));
    for (std::int64_t x = 0; x < W; ++x) {
        for (std::int64_t y = 0; y < g.srcHeight; ++y) {
            const std::uint8_t* p = src + (y * W + x) * 4;
            const float fx = single(static_cast<double>(n * x) / static_cast<double>(W));
            const float fy = single(static_cast<double>(n * y) / static_cast<double>(W));
            const auto cx = static_cast<std::int64_t>(std::floor(fx));
            const auto cy = static_cast<std::int64_t>(std::floor(fy));
            const float fxEnd = single(static_cast<double>(fx) + s);
            const float fyEnd = single(static_cast<double>(fy) + s);
            const bool splitX = fxEnd > static_cast<double>(cx + 1);
            const bool splitY = fyEnd > static_cast<double>(cy + 1);
            const float hx = single(1.0 - (fxEnd - static_cast<double>(cx + 1)) / s);
            const float vy = single(1.0 - (fyEnd - static_cast<double>(cy + 1)) / s);
            if (splitX && splitY) {
                add(cx, cy, p, single(static_cast<double>(hx) * vy));
                add(cx + 1, cy, p, single((1.0 - hx) * vy));
                add(cx, cy + 1, p, single(hx * (1.0 - vy)));
                add(cx + 1, cy + 1, p, single((1.0 - hx) * (1.0 - vy)));
            } else if (splitX) {
                add(cx, cy, p, hx);
                add(cx + 1, cy, p, single(1.0 - hx));
            } else if (splitY) {
                add(cx, cy, p, vy);
                add(cx, cy + 1, p, single(1.0 - vy));
            } else {
                add(cx, cy, p, 1.0f);
            }
        }
    }

    // Multiply by the area of one source pixel in integer steps: the area-weighted
    // sums become averages over one output pixel.
    for (std::int64_t Y = 0; Y < g.newHeight; ++Y) {
        for (std::int64_t X = 0; X < n; ++X) {
            const std::int64_t* cell = acc.data() + Y * rowCells + X * 4;
            std::uint8_t* q = dst + (Y * n + X) * 4;
            for (int k = 0; k < 4; ++k) {
                const std::int64_t v = (cell[k] * n / W) * n / W;
                q[k] = static_cast<std::uint8_t>(v > 255 ? 255 : (v < 0 ? 0 : v));
            }
        }
    }
}

} // namespace

cAlphaDIBSection cAlphaDIBSection::AlphaResample(std::int32_t lNewWidth) const {
    if (lNewWidth < 1 || IsEmpty())
        throw ObjectError::fromCode(kErrorInvalidSize, kClassName, "Invalid picture size");
    Geometry g{Width(), Height(), lNewWidth, 0};
    // n x H / W rounded up.
    g.newHeight = g.newWidth * g.srcHeight / g.srcWidth +
                  (g.newWidth * g.srcHeight % g.srcWidth != 0 ? 1 : 0);

    cAlphaDIBSection out;
    if (g.newHeight > std::numeric_limits<std::int32_t>::max() ||
        !out.Create(lNewWidth, static_cast<std::int32_t>(g.newHeight)))
        throw ObjectError::fromCode(kErrorNoPicture, kClassName,
                                    "Not enough memory for the resampled picture");

    if (g.srcWidth % g.newWidth == 0 && g.srcHeight % g.newHeight == 0)
        resampleExact(DIBSectionBitsPtr(), out.DIBSectionBitsPtr(), g);
    else
        resampleGeneral(DIBSectionBitsPtr(), out.DIBSectionBitsPtr(), g);
    return out;
}

} // namespace tarrowin

// The area-averaging resampler of cAlphaDIBSection.
//
// Its results are pinned to the byte: created icons must not change from one build
// to the next. Weights are single-precision values, each rounded when it is made;
// the accumulator cells hold integers, and every weighted addition is made in double
// precision and rounded to the nearest integer, halves to even. Because a cell is
// rounded at every addition, the order in which source pixels reach a cell is part
// of the result: for each cell, source columns in ascending order, and within a
// column, rows in ascending order.
//
// The accumulator and the normalisation are 64-bit wide (cells are doubles holding
// integers, exact up to 2^53). A 32-bit accumulator overflows once a cell times the
// new width passes 2^31 (a picture some 11,600 pixels wide reduced to 16); wherever
// 32 bits were enough the bytes are the same.
//
// Speed: positions and shares depend only on the column or only on the row, so they
// are computed once per column and once per row. The output is made one row at a
// time from the band of source rows that reaches it, so the accumulator is one row.
// Runs of rows that fall whole into the row are summed first, row by row across all
// columns; those are plain integer additions, which may be grouped without changing
// a cell, and adding the sum where the run's first row would have been added keeps
// every rounded addition in its place.

#include "imaging/cAlphaDIBSection.h"

#include "core/ObjectError.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The bytes depend on every rounding happening where it is written: no fast-math, and
// no wider intermediate precision (x87). Contraction into fused multiply-adds is
// switched off for the whole build (-ffp-contract=off).
#if defined(__FAST_MATH__)
#error "the resampler must not be built with fast-math"
#endif
static_assert(FLT_EVAL_METHOD == 0, "floating-point expressions must be evaluated in their own type");

namespace tarrowin {

namespace {

float single(double v) { return static_cast<float>(v); }

// Nearest integer, halves to even, for |v| < 2^51: adding 1.5 x 2^52 leaves no bits
// below the units, so the addition itself rounds (in the default rounding mode).
// Cells stay far below that bound: a cell is at most 255 x the pixels of a picture.
constexpr double kRoundingBias = 6755399441055744.0;
inline double roundHalfEven(double v) { return (v + kRoundingBias) - kRoundingBias; }

struct Geometry {
    std::int64_t srcWidth;
    std::int64_t srcHeight;
    std::int64_t newWidth;
    std::int64_t newHeight;
};

// (c x a) div 255 for c, a up to 255 in 16-bit steps, without a division: exact for
// every product up to 255 x 255 (checked over the whole range), and no step passes
// 65,280, so eight 16-bit lanes can do it at once.
inline std::uint16_t mulDiv255(std::uint8_t c, std::uint8_t a) {
    const auto product = static_cast<std::uint16_t>(c * a);
    return static_cast<std::uint16_t>((product + 1 + (product >> 8)) >> 8);
}

// Rows a 16-bit column sum can take: 257 x 255 = 65,535.
constexpr std::int64_t kRowsPer16BitSum = 257;

// Adds one source row to the per-column sums of the exact-divisor path: blue, green
// and red (c x a) div 255, alpha a, and a count of fully transparent pixels. With
// alpha 0 the colour terms are 0 as well, so no pixel needs a branch.
void addRowExact(const std::uint8_t* p, std::int64_t W, std::uint16_t* sums,
                 std::uint16_t* transparent) {
    std::int64_t x = 0;
#if defined(__SSE2__)
    // Four pixels at a time: each pixel's bytes are multiplied by (a, a, a, 255), so
    // that the alpha lane comes out as a itself.
    const __m128i zero = _mm_setzero_si128();
    const __m128i colourLanes = _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1);
    const __m128i alphaFactor = _mm_set_epi16(255, 0, 0, 0, 255, 0, 0, 0);
    const __m128i one = _mm_set1_epi16(1);
    const __m128i alphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (; x + 4 <= W; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x * 4));
        const __m128i halves[2] = {_mm_unpacklo_epi8(pixels, zero),
                                   _mm_unpackhi_epi8(pixels, zero)};
        for (int h = 0; h < 2; ++h) {
            const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(halves[h], 0xFF), 0xFF);
            const __m128i factor = _mm_or_si128(_mm_and_si128(alpha, colourLanes), alphaFactor);
            const __m128i product = _mm_mullo_epi16(halves[h], factor);
            const __m128i quotient = _mm_srli_epi16(
                _mm_add_epi16(_mm_add_epi16(product, one), _mm_srli_epi16(product, 8)), 8);
            auto* slot = reinterpret_cast<__m128i*>(sums + x * 4 + h * 8);
            _mm_storeu_si128(slot, _mm_add_epi16(_mm_loadu_si128(slot), quotient));
        }
        // -1 in the 32-bit lane of each fully transparent pixel, packed to 16 bits.
        const __m128i clear = _mm_cmpeq_epi32(_mm_and_si128(pixels, alphaBytes), zero);
        auto* counts = reinterpret_cast<__m128i*>(transparent + x);
        _mm_storel_epi64(counts, _mm_sub_epi16(_mm_loadl_epi64(counts),
                                               _mm_packs_epi32(clear, clear)));
    }
#endif
    for (; x < W; ++x) {
        const std::uint8_t a = p[x * 4 + 3];
        for (int k = 0; k < 3; ++k)
            sums[x * 4 + k] = static_cast<std::uint16_t>(sums[x * 4 + k] + mulDiv255(p[x * 4 + k], a));
        sums[x * 4 + 3] = static_cast<std::uint16_t>(sums[x * 4 + 3] + a);
        transparent[x] = static_cast<std::uint16_t>(transparent[x] + (a == 0 ? 1 : 0));
    }
}

// Every output pixel averages a kx x ky block: alpha over the whole block, colour
// (multiplied by alpha) over the block's pixels that are not fully transparent. The
// sums are plain integer sums, so the block is read row by row, in memory order.
void resampleExact(const std::uint8_t* src, std::uint8_t* dst, const Geometry& g) {
    const std::int64_t W = g.srcWidth, n = g.newWidth;
    const std::int64_t kx = W / n;
    const std::int64_t ky = g.srcHeight / g.newHeight;
    std::vector<std::uint16_t> sums(static_cast<std::size_t>(W * 4));
    std::vector<std::uint16_t> transparent(static_cast<std::size_t>(W));
    // Per output pixel: blue, green, red, alpha, transparent count.
    std::vector<std::uint64_t> blocks(static_cast<std::size_t>(n * 5));

    for (std::int64_t Y = 0; Y < g.newHeight; ++Y) {
        std::fill(blocks.begin(), blocks.end(), 0);
        for (std::int64_t run = 0; run < ky; run += kRowsPer16BitSum) {
            std::fill(sums.begin(), sums.end(), std::uint16_t{0});
            std::fill(transparent.begin(), transparent.end(), std::uint16_t{0});
            const std::int64_t first = Y * ky + run;
            const std::int64_t last = first + std::min(kRowsPer16BitSum, ky - run);
            for (std::int64_t y = first; y < last; ++y)
                addRowExact(src + y * W * 4, W, sums.data(), transparent.data());
            for (std::int64_t X = 0; X < n; ++X) {
                std::uint64_t* b = blocks.data() + X * 5;
                for (std::int64_t x = X * kx; x < X * kx + kx; ++x) {
                    for (int k = 0; k < 4; ++k) b[k] += sums[static_cast<std::size_t>(x * 4 + k)];
                    b[4] += transparent[static_cast<std::size_t>(x)];
                }
            }
        }
        const auto area = static_cast<std::uint64_t>(kx * ky);
        std::uint8_t* q = dst + Y * n * 4;
        for (std::int64_t X = 0; X < n; ++X, q += 4) {
            const std::uint64_t* b = blocks.data() + X * 5;
            const std::uint64_t opaque = area - b[4];
            if (opaque > 0) {
                for (int k = 0; k < 3; ++k) q[k] = static_cast<std::uint8_t>(b[k] / opaque);
            }
            q[3] = static_cast<std::uint8_t>(b[3] / area);
        }
    }
}

// Where a source column (or row) lands: it starts in output cell `cell` and, when
// split, reaches into cell + 1; `share` is the part that stays in `cell`. The
// vertical position is scaled by n / W as the horizontal one.
struct AxisStep {
    std::int64_t cell;
    bool split;
    float share;
};

std::vector<AxisStep> axisSteps(std::int64_t count, std::int64_t n, std::int64_t W, float s) {
    std::vector<AxisStep> steps(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
        const float start = single(static_cast<double>(n * i) / static_cast<double>(W));
        const auto cell = static_cast<std::int64_t>(std::floor(start));
        const float end = single(static_cast<double>(start) + s);
        const double next = static_cast<double>(cell + 1);
        steps[static_cast<std::size_t>(i)] = {cell, end > next, single(1.0 - (end - next) / s)};
    }
    return steps;
}

// One source row's part in the output row being made.
struct BandRow {
    const std::uint8_t* pixels;
    double factor; // vertical factor of the weights: the share, 1 - share, or 1
    double weight; // single(factor): the weight of an unsplit column
    bool whole;    // factor 1: the row lies wholly in the output row
};

// A stretch of band rows in order: one weighted row, or a run of whole rows whose
// per-column sums are in `sums` (blue, green, red over pixels that are not fully
// transparent, alpha over all).
struct BandPart {
    std::size_t first;
    std::size_t last; // one past
    const std::uint16_t* sums; // null for a weighted row
};

inline void addWeighted(double* cell, const std::uint8_t* p, double w) {
    // Alpha 0 adds nothing: colour is skipped, and round(cell + 0) is the cell.
    if (p[3] == 0) return;
#if defined(__SSE2__)
    // The same four multiplications, additions and roundings, two lanes at a time;
    // each lane rounds exactly as the scalar operation would.
    std::int32_t bytes;
    std::memcpy(&bytes, p, 4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i ints = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), zero), zero);
    const __m128d blueGreen = _mm_cvtepi32_pd(ints);
    const __m128d redAlpha = _mm_cvtepi32_pd(_mm_shuffle_epi32(ints, 0xEE));
    const __m128d weight = _mm_set1_pd(w);
    const __m128d bias = _mm_set1_pd(kRoundingBias);
    const __m128d low = _mm_add_pd(_mm_loadu_pd(cell), _mm_mul_pd(blueGreen, weight));
    const __m128d high = _mm_add_pd(_mm_loadu_pd(cell + 2), _mm_mul_pd(redAlpha, weight));
    _mm_storeu_pd(cell, _mm_sub_pd(_mm_add_pd(low, bias), bias));
    _mm_storeu_pd(cell + 2, _mm_sub_pd(_mm_add_pd(high, bias), bias));
#else
    for (int k = 0; k < 4; ++k) cell[k] = roundHalfEven(cell[k] + p[k] * w);
#endif
}

// x div d for a divisor fixed for a whole picture, without a division per use: a
// quotient from the reciprocal, then corrected to the exact one.
class Divider {
public:
    explicit Divider(std::int64_t d) : m_d(d), m_reciprocal(1.0 / static_cast<double>(d)) {}
    std::int64_t operator()(std::int64_t x) const {
        if (x < 0) return x / m_d;
        auto q = static_cast<std::int64_t>(static_cast<double>(x) * m_reciprocal);
        while (q > 0 && q * m_d > x) --q;
        while ((q + 1) * m_d <= x) ++q;
        return q;
    }

private:
    std::int64_t m_d;
    double m_reciprocal;
};

// Column sums of a run of whole rows (at most kRowsPer16BitSum): blue, green and red of
// the pixels that are not fully transparent, and alpha. A fully transparent pixel has
// alpha 0, so it is simply left out whole.
void sumRun(std::vector<std::uint16_t>& sums, const std::vector<BandRow>& rows,
            std::size_t first, std::size_t last, std::int64_t W) {
    sums.assign(static_cast<std::size_t>(W * 4), std::uint16_t{0});
    for (std::size_t r = first; r < last; ++r) {
        const std::uint8_t* p = rows[r].pixels;
        std::uint16_t* c = sums.data();
        std::int64_t x = 0;
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        const __m128i alphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));
        for (; x + 4 <= W; x += 4) {
            const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x * 4));
            const __m128i clear = _mm_cmpeq_epi32(_mm_and_si128(pixels, alphaBytes), zero);
            const __m128i kept = _mm_andnot_si128(clear, pixels);
            auto* low = reinterpret_cast<__m128i*>(c + x * 4);
            auto* high = reinterpret_cast<__m128i*>(c + x * 4 + 8);
            _mm_storeu_si128(low, _mm_add_epi16(_mm_loadu_si128(low), _mm_unpacklo_epi8(kept, zero)));
            _mm_storeu_si128(high, _mm_add_epi16(_mm_loadu_si128(high), _mm_unpackhi_epi8(kept, zero)));
        }
#endif
        for (; x < W; ++x) {
            if (p[x * 4 + 3] == 0) continue;
            for (int k = 0; k < 4; ++k)
                c[x * 4 + k] = static_cast<std::uint16_t>(c[x * 4 + k] + p[x * 4 + k]);
        }
    }
}

void resampleGeneral(const std::uint8_t* src, std::uint8_t* dst, const Geometry& g) {
    const std::int64_t n = g.newWidth, W = g.srcWidth, H = g.srcHeight, N = g.newHeight;
    const float s = single(static_cast<double>(n) / static_cast<double>(W));
    const std::vector<AxisStep> columns = axisSteps(W, n, W, s);
    const std::vector<AxisStep> rowSteps = axisSteps(H, n, W, s);

    // Rows starting in output row Y are [groupStart[Y], groupStart[Y + 1]): the
    // starting cell never decreases with the row.
    std::vector<std::int64_t> groupStart(static_cast<std::size_t>(N + 2));
    for (std::int64_t Y = 0, y = 0; Y <= N + 1; ++Y) {
        while (y < H && rowSteps[static_cast<std::size_t>(y)].cell < Y) ++y;
        groupStart[static_cast<std::size_t>(Y)] = y;
    }

    const Divider byWidth(W);
    // Whole-row runs are cut so that their 16-bit sums cannot overflow.
    constexpr auto kRowsPerRun = static_cast<std::size_t>(kRowsPer16BitSum);
    std::vector<double> cells(static_cast<std::size_t>(n * 4));
    std::vector<BandRow> band;
    std::vector<BandPart> parts;
    // Column sums of whole-row runs, kept from band to band so that no band allocates.
    std::vector<std::vector<std::uint16_t>> runSums;

    for (std::int64_t Y = 0; Y < N; ++Y) {
        // The band: rows of the row below that reach up into Y, then the rows that
        // start in Y, in ascending order.
        band.clear();
        const std::int64_t from = Y > 0 ? groupStart[static_cast<std::size_t>(Y - 1)]
                                        : groupStart[0];
        const std::int64_t to = groupStart[static_cast<std::size_t>(Y + 1)];
        for (std::int64_t y = from; y < to; ++y) {
            const AxisStep& step = rowSteps[static_cast<std::size_t>(y)];
            const std::uint8_t* pixels = src + y * W * 4;
            if (step.cell == Y - 1 && step.split) {
                const double factor = 1.0 - step.share;
                band.push_back({pixels, factor, single(factor), false});
            } else if (step.cell == Y) {
                if (step.split)
                    band.push_back({pixels, step.share, step.share, false});
                else
                    band.push_back({pixels, 1.0, 1.0, true});
            }
        }
        parts.clear();
        std::size_t runs = 0;
        for (std::size_t r = 0; r < band.size();) {
            std::size_t end = r + 1;
            if (band[r].whole) {
                while (end < band.size() && band[end].whole && end - r < kRowsPerRun) ++end;
                if (runs == runSums.size()) runSums.emplace_back();
                sumRun(runSums[runs], band, r, end, W);
                parts.push_back({r, end, runSums[runs].data()});
                ++runs;
            } else {
                parts.push_back({r, end, nullptr});
            }
            r = end;
        }

        std::fill(cells.begin(), cells.end(), 0.0);
        for (std::int64_t x = 0; x < W; ++x) {
            const AxisStep& column = columns[static_cast<std::size_t>(x)];
            if (column.cell >= n) continue; // past the right edge: never written
            double* left = cells.data() + column.cell * 4;
            const std::int64_t offset = x * 4;
            if (!column.split) {
                for (const BandPart& part : parts) {
                    if (part.sums) {
                        const std::uint16_t* sum = part.sums + offset;
                        for (int k = 0; k < 4; ++k) left[k] += sum[k];
                    } else {
                        const BandRow& row = band[part.first];
                        addWeighted(left, row.pixels + offset, row.weight);
                    }
                }
            } else {
                // The share that reaches the extra column past the right edge is dropped.
                double* right = column.cell + 1 < n ? left + 4 : nullptr;
                const double share = column.share;
                const double rest = 1.0 - share;
                for (const BandRow& row : band) {
                    const std::uint8_t* p = row.pixels + offset;
                    addWeighted(left, p, single(share * row.factor));
                    if (right) addWeighted(right, p, single(rest * row.factor));
                }
            }
        }

        // Multiply by the area of one source pixel in integer steps: the area-weighted
        // sums become averages over one output pixel.
        std::uint8_t* q = dst + Y * n * 4;
        for (std::int64_t i = 0; i < n * 4; ++i) {
            const auto cell = static_cast<std::int64_t>(cells[static_cast<std::size_t>(i)]);
            const std::int64_t v = byWidth(byWidth(cell * n) * n);
            q[i] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 0, 255));
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

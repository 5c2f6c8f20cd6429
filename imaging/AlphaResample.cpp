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
#include <cmath>
#include <limits>
#include <vector>

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
// 65,280, so the loop can work on eight 16-bit lanes at once.
inline std::uint16_t mulDiv255(std::uint8_t c, std::uint8_t a) {
    const auto product = static_cast<std::uint16_t>(c * a);
    return static_cast<std::uint16_t>((product + 1 + (product >> 8)) >> 8);
}

// Every output pixel averages a kx x ky block: alpha over the whole block, colour
// (multiplied by alpha) over the block's pixels that are not fully transparent. The
// sums are plain integer sums, so the block is read row by row.
void resampleExact(const std::uint8_t* src, std::uint8_t* dst, const Geometry& g) {
    const std::int64_t W = g.srcWidth, n = g.newWidth;
    const std::int64_t kx = W / n;
    const std::int64_t ky = g.srcHeight / g.newHeight;
    // Per source column: blue, green, red and alpha sums, and the opaque count, over
    // up to 2^24 rows, which 32 bits hold (255 x 2^24 < 2^32).
    constexpr std::int64_t kRowsPerRun = std::int64_t{1} << 24;
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(W * 4));
    std::vector<std::uint32_t> counts(static_cast<std::size_t>(W));
    std::vector<std::uint64_t> blocks(static_cast<std::size_t>(n * 5));

    for (std::int64_t Y = 0; Y < g.newHeight; ++Y) {
        std::fill(blocks.begin(), blocks.end(), 0);
        for (std::int64_t run = 0; run < ky; run += kRowsPerRun) {
            std::fill(sums.begin(), sums.end(), 0u);
            std::fill(counts.begin(), counts.end(), 0u);
            const std::int64_t rows = std::min(kRowsPerRun, ky - run);
            for (std::int64_t y = Y * ky + run; y < Y * ky + run + rows; ++y) {
                const std::uint8_t* p = src + y * W * 4;
                std::uint32_t* c = sums.data();
                std::uint32_t* count = counts.data();
                for (std::int64_t x = 0; x < W; ++x) {
                    const std::uint8_t a = p[x * 4 + 3];
                    // With alpha 0 the colour terms are 0 as well.
                    c[x * 4] += mulDiv255(p[x * 4], a);
                    c[x * 4 + 1] += mulDiv255(p[x * 4 + 1], a);
                    c[x * 4 + 2] += mulDiv255(p[x * 4 + 2], a);
                    c[x * 4 + 3] += a;
                    count[x] += a != 0 ? 1u : 0u;
                }
            }
            for (std::int64_t X = 0; X < n; ++X) {
                std::uint64_t* b = blocks.data() + X * 5;
                for (std::int64_t x = X * kx; x < X * kx + kx; ++x) {
                    for (int k = 0; k < 4; ++k) b[k] += sums[static_cast<std::size_t>(x * 4 + k)];
                    b[4] += counts[static_cast<std::size_t>(x)];
                }
            }
        }
        std::uint8_t* q = dst + Y * n * 4;
        for (std::int64_t X = 0; X < n; ++X, q += 4) {
            const std::uint64_t* b = blocks.data() + X * 5;
            if (b[4] > 0) {
                for (int k = 0; k < 3; ++k) q[k] = static_cast<std::uint8_t>(b[k] / b[4]);
            }
            q[3] = static_cast<std::uint8_t>(b[3] / static_cast<std::uint64_t>(kx * ky));
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
    const std::uint32_t* sums; // null for a weighted row
};

inline void addWeighted(double* cell, const std::uint8_t* p, double w) {
    // Alpha 0 adds nothing: colour is skipped, and round(cell + 0) is the cell.
    if (p[3] == 0) return;
    cell[0] = roundHalfEven(cell[0] + p[0] * w);
    cell[1] = roundHalfEven(cell[1] + p[1] * w);
    cell[2] = roundHalfEven(cell[2] + p[2] * w);
    cell[3] = roundHalfEven(cell[3] + p[3] * w);
}

void sumRun(std::vector<std::uint32_t>& sums, const std::vector<BandRow>& rows,
            std::size_t first, std::size_t last, std::int64_t W) {
    sums.assign(static_cast<std::size_t>(W * 4), 0u);
    for (std::size_t r = first; r < last; ++r) {
        const std::uint8_t* p = rows[r].pixels;
        std::uint32_t* c = sums.data();
        for (std::int64_t x = 0; x < W; ++x, p += 4, c += 4) {
            const std::uint32_t mask = p[3] != 0 ? 0xFFFFFFFFu : 0u;
            c[0] += p[0] & mask;
            c[1] += p[1] & mask;
            c[2] += p[2] & mask;
            c[3] += p[3];
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

    // Whole-row runs are cut so that their 32-bit sums cannot overflow.
    constexpr std::size_t kRowsPerRun = std::size_t{1} << 24;
    std::vector<double> cells(static_cast<std::size_t>(n * 4));
    std::vector<BandRow> band;
    std::vector<BandPart> parts;
    // Column sums of whole-row runs, kept from band to band so that no band allocates.
    std::vector<std::vector<std::uint32_t>> runSums;

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
                        const std::uint32_t* sum = part.sums + offset;
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
            const std::int64_t v = (cell * n / W) * n / W;
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

#include "PictureBuilder.h"
#include "ResampleSamples.h"

#include "core/ObjectError.h"

#include <gtest/gtest.h>

namespace tarrowin {
namespace {

using test::makePicture;
using test::Pixel;
using test::pixelAt;
using test::setPixel;

void expectAll(const cAlphaDIBSection& picture, Pixel expected) {
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            ASSERT_EQ(pixelAt(picture, x, y), expected) << "pixel " << x << ", " << y;
}

TEST(AlphaResample, NewHeightKeepsTheAspectRatioRoundedUp) {
    const struct {
        int width, height, newWidth, newHeight;
    } cases[] = {
        {64, 64, 32, 32},   // 2 x 2 blocks
        {100, 50, 32, 16},  // 1600 / 100 = 16 exactly
        {100, 51, 32, 17},  // 1632 / 100 leaves 32
        {3, 1, 2, 1},       // 2 / 3 rounds up to 1
        {8, 8, 32, 32},
        {1000, 7, 16, 1},
    };
    for (const auto& c : cases) {
        const cAlphaDIBSection out =
            makePicture(c.width, c.height).AlphaResample(c.newWidth);
        EXPECT_EQ(out.Width(), c.newWidth);
        EXPECT_EQ(out.Height(), c.newHeight) << c.width << " x " << c.height;
    }
}

// Uniform pictures, whose every output pixel is known.
TEST(AlphaResample, UniformPicturesGiveKnownPixels) {
    const struct {
        const char* what;
        int width, height;
        Pixel fill;
        int newWidth;
        Pixel expected;
    } cases[] = {
        // Twice the size: each cell gets a quarter share, 100 x 0.25 = 25, and
        // ((25 x 32) div 16 x 32) div 16 = 100.
        {"doubled grey", 16, 16, {100, 100, 100, 255}, 32, {100, 100, 100, 255}},
        // round(255 x 0.25) = round(63.75) = 64; (64 x 2) x 2 = 256, cut to 255.
        {"doubled white", 16, 16, {255, 255, 255, 255}, 32, {255, 255, 255, 255}},
        // Alpha 0 adds nothing to colour in either path.
        {"transparent, exact divisor", 64, 64, {90, 80, 70, 0}, 32, {0, 0, 0, 0}},
        {"transparent, general", 100, 50, {90, 80, 70, 0}, 32, {0, 0, 0, 0}},
        // Exact divisor: colour (c x a) div 255 averaged, alpha averaged.
        {"half alpha, exact divisor", 64, 64, {200, 100, 50, 128}, 16, {100, 50, 25, 128}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        expectAll(makePicture(c.width, c.height, c.fill).AlphaResample(c.newWidth), c.expected);
    }
}

TEST(AlphaResample, ExactDivisorAveragesColourOverOpaquePixelsAndAlphaOverTheBlock) {
    cAlphaDIBSection source = makePicture(64, 64);
    // The bottom left 2 x 2 block: two opaque blue pixels below, two transparent above.
    setPixel(source, 0, 0, {255, 0, 0, 255});
    setPixel(source, 1, 0, {255, 0, 0, 255});
    // The next block to the right: (b x a) div 255 = (200 x 51) div 255 = 40 and
    // (10 x 255) div 255 = 10 over 2 opaque pixels is 25; alpha (51 + 255) div 4 = 76.
    setPixel(source, 2, 1, {200, 0, 0, 51});
    setPixel(source, 3, 0, {10, 0, 0, 255});
    setPixel(source, 3, 1, {77, 77, 77, 0}); // colour of a transparent pixel is ignored
    const cAlphaDIBSection out = source.AlphaResample(32);
    EXPECT_EQ(pixelAt(out, 0, 0), (Pixel{255, 0, 0, 127}));
    EXPECT_EQ(pixelAt(out, 1, 0), (Pixel{25, 0, 0, 76}));
    EXPECT_EQ(pixelAt(out, 0, 1), (Pixel{0, 0, 0, 0}));
}

TEST(AlphaResample, SameWidthPremultipliesColourAndKeepsAlpha) {
    cAlphaDIBSection source = makePicture(3, 2);
    setPixel(source, 0, 0, {200, 100, 50, 128}); // 200 x 128 div 255 = 100 ...
    setPixel(source, 1, 0, {255, 255, 255, 255});
    setPixel(source, 2, 0, {90, 80, 70, 0});
    setPixel(source, 0, 1, {1, 254, 128, 1});
    const cAlphaDIBSection out = source.AlphaResample(3);
    EXPECT_EQ(pixelAt(out, 0, 0), (Pixel{100, 50, 25, 128}));
    EXPECT_EQ(pixelAt(out, 1, 0), (Pixel{255, 255, 255, 255}));
    EXPECT_EQ(pixelAt(out, 2, 0), (Pixel{0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(out, 0, 1), (Pixel{0, 0, 0, 1}));
}

// Worked by hand. W = 3, n = 2: s = single(2/3) = 11184811 / 2^24.
//   column 0: fx = 0, ends at s < 1: all of it goes to column 0.
//   column 1: fx = s, ends at single(2s) = 1.3333334 > 1: split.
//     hx = single(1 - (2s - 1) / s) = single(1 - 5592406 / 11184811)
//        = single(0.49999995530) = 0.5 - 2^-25; single(1 - hx) = single(0.5 + 2^-25) = 0.5
//        (a tie, to the even neighbour).
//   column 2: fx = single(4/3) = 2s, ends at single(3s) = 2: no split, column 1.
// With H = 1 the rows never split. N = 1.
// Cells, left then right, per byte (blue, green, red, alpha):
//   left  = p0 + round(p1 x hx):  blue 10 + round(50.4999970) = 60, green 20,
//           red 30 + round(3.4999998) = 33, alpha 255 + round(127.4999924) = 382
//   right = round(p1 x 0.5) + p2: blue round(50.5) = 50 (halves go to even) + 2 = 52,
//           green 60, red round(3.5) = 4 + 70 = 74, alpha round(127.5) = 128 + 255 = 383
// Bytes: ((cell x 2) div 3 x 2) div 3:
//   60 -> 40 -> 26, 20 -> 13 -> 8, 33 -> 22 -> 14, 382 -> 254 -> 169
//   52 -> 34 -> 22, 60 -> 26, 74 -> 49 -> 32, 383 -> 255 -> 170
TEST(AlphaResample, GeneralPathSplitsColumnsAndRoundsHalvesToEven) {
    cAlphaDIBSection source = makePicture(3, 1);
    setPixel(source, 0, 0, {10, 20, 30, 255});
    setPixel(source, 1, 0, {101, 0, 7, 255});
    setPixel(source, 2, 0, {2, 60, 70, 255});
    const cAlphaDIBSection out = source.AlphaResample(2);
    ASSERT_EQ(out.Height(), 1);
    EXPECT_EQ(pixelAt(out, 0, 0), (Pixel{26, 8, 14, 169}));
    EXPECT_EQ(pixelAt(out, 1, 0), (Pixel{22, 26, 32, 170}));
}

// Worked by hand. 3 x 3 to 2 x 2: rows split as the columns above, so index 1 is
// split with h = v = 0.5 - 2^-25 and the others go whole to cell 0 and cell 1.
// Pixels (x, y), all others (0, 0, 0, 0):
//   (0,0) = (9, 9, 9, 0): alpha 0, adds nothing at all.
//   (0,1) = (3, 0, 0, 1): split vertically, weights v and single(1 - v) = 0.5:
//     cell (0,0): blue round(1.4999999) = 1, alpha round(0.49999997) = 0
//     cell (0,1): blue round(1.5) = 2, alpha round(0.5) = 0
//   (1,1) = (200, 100, 40, 255): split both ways; products of singles, rounded once:
//     (0,0): h v = single(0.25 - 2^-25 + 2^-50) = 0.25 - 2^-25
//     (1,0): (1 - h) v and (0,1): h (1 - v) = single(0.25 - 2^-50) = 0.25
//     (1,1): (1 - h)(1 - v) = single(0.25 + 2^-25 + 2^-50) = 0.25 + 2^-25
//     cell (0,0): blue round(1 + 49.999994) = 51, green round(24.999997) = 25,
//                 red round(9.9999988) = 10, alpha round(63.749992) = 64
//     cell (1,0): 50, 25, 10, round(63.75) = 64
//     cell (0,1): blue round(2 + 50) = 52, 25, 10, 64
//     cell (1,1): round(50.000006) = 50, 25, 10, round(63.750008) = 64
//   (2,2) = (255, 255, 255, 255): whole, to cell (1,1): 305, 280, 265, 319.
// Bytes ((cell x 2) div 3 x 2) div 3: 51, 50, 52 -> 22; 25 -> 10; 10 -> 4; 64 -> 28;
//   305 -> 203 -> 135, 280 -> 186 -> 124, 265 -> 176 -> 117, 319 -> 212 -> 141.
TEST(AlphaResample, GeneralPathSplitsBothWaysAndSkipsColourOfTransparentPixels) {
    cAlphaDIBSection source = makePicture(3, 3);
    setPixel(source, 0, 0, {9, 9, 9, 0});
    setPixel(source, 0, 1, {3, 0, 0, 1});
    setPixel(source, 1, 1, {200, 100, 40, 255});
    setPixel(source, 2, 2, {255, 255, 255, 255});
    const cAlphaDIBSection out = source.AlphaResample(2);
    ASSERT_EQ(out.Height(), 2);
    EXPECT_EQ(pixelAt(out, 0, 0), (Pixel{22, 10, 4, 28}));
    EXPECT_EQ(pixelAt(out, 1, 0), (Pixel{22, 10, 4, 28}));
    EXPECT_EQ(pixelAt(out, 0, 1), (Pixel{22, 10, 4, 28}));
    EXPECT_EQ(pixelAt(out, 1, 1), (Pixel{135, 124, 117, 141}));
}

// Four times the size: a source pixel covers 4 x 4 output pixels but only reaches
// 2 x 2 of them. s = 4, h = v = 1 - 3/4 = 0.25; weights 0.0625, 0.1875, 0.1875,
// 0.5625. Grey 100: cells 6, 19, 19, 56; alpha 16, 48, 48, 143. Normalising
// multiplies by 16: 96, then 304 and more, cut to 255.
TEST(AlphaResample, LargeEnlargementLeavesUnreachedPixelsEmpty) {
    const cAlphaDIBSection out = makePicture(8, 8, {100, 100, 100, 255}).AlphaResample(32);
    ASSERT_EQ(out.Height(), 32);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            Pixel expected{0, 0, 0, 0};
            if (x % 4 == 0 && y % 4 == 0) expected = {96, 96, 96, 255};
            else if (x % 4 < 2 && y % 4 < 2) expected = {255, 255, 255, 255};
            ASSERT_EQ(pixelAt(out, x, y), expected) << x << ", " << y;
        }
    }
}

TEST(AlphaResample, LeavesTheSourceUnchanged) {
    cAlphaDIBSection source = test::samplePicture(37, 23, 5);
    const std::vector<std::uint8_t> before(source.Bits().begin(), source.Bits().end());
    (void)source.AlphaResample(16);
    (void)source.AlphaResample(60);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), source.Bits().begin()));
}

TEST(AlphaResample, RaisesForAWidthBelowOneOrAnEmptySource) {
    const cAlphaDIBSection source = makePicture(4, 4);
    for (int width : {0, -1}) {
        try {
            (void)source.AlphaResample(width);
            ADD_FAILURE() << "no error for width " << width;
        } catch (const ObjectError& e) {
            EXPECT_EQ(e.code(), cAlphaDIBSection::kErrorInvalidSize);
            EXPECT_EQ(e.source(), "tarrowin.cAlphaDIBSection");
        }
    }
    EXPECT_THROW((void)cAlphaDIBSection().AlphaResample(16), ObjectError);
    // A new height that no picture can hold.
    try {
        (void)makePicture(1, 4).AlphaResample(0x7FFFFFFF);
        ADD_FAILURE() << "no error for a picture too large";
    } catch (const ObjectError& e) {
        EXPECT_EQ(e.code(), cAlphaDIBSection::kErrorNoPicture);
    }
}

// 16,384 x 1,025 to 16: one source pixel is exactly 2^-10 output pixels, so no pixel
// is split and the bottom output row holds whole 1,024 x 1,024 blocks: a cell of
// 1,048,576 x 255 times the new width is beyond 32 bits. The top output row gets
// one source row, 1/1024 of its area: ((1024 c x 16) div 16384 x 16) div 16384 = 0.
TEST(AlphaResample, LargeReductionsDoNotOverflow) {
    const cAlphaDIBSection out = makePicture(16384, 1025, {10, 20, 255, 255}).AlphaResample(16);
    ASSERT_EQ(out.Height(), 2);
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(pixelAt(out, x, 0), (Pixel{10, 20, 255, 255}));
        EXPECT_EQ(pixelAt(out, x, 1), (Pixel{0, 0, 0, 0}));
    }
}

TEST(AlphaResample, TwelveThousandSquareReducesToSixteen) {
    cAlphaDIBSection source = makePicture(12000, 12000, {200, 100, 50, 255});
    // The left half fully transparent: alpha halves, colour stays that of the opaque half.
    for (int y = 0; y < 12000; ++y)
        std::fill_n(source.DIBSectionBitsPtr() + std::size_t(y) * 48000, 24000, std::uint8_t{0});
    const cAlphaDIBSection out = source.AlphaResample(16);
    ASSERT_EQ(out.Height(), 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            // Blocks are 750 wide: columns 0 to 7 lie in the left half.
            const Pixel expected = x < 8 ? Pixel{0, 0, 0, 0} : Pixel{200, 100, 50, 255};
            ASSERT_EQ(pixelAt(out, x, y), expected) << x << ", " << y;
        }
    }
}

// Every output byte of a fixed set of pictures, pinned. The digest was recorded from
// the first, plain build of the resampler (one pass over the source in column order
// with a whole-picture accumulator); a faster build must give the same bytes.
TEST(AlphaResample, OutputsOfTheSampleSetAreUnchanged) {
    EXPECT_EQ(test::resampleChecksum(), 0xBB7F1465360CBFADull);
}

} // namespace
} // namespace tarrowin

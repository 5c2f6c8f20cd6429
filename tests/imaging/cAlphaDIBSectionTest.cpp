#include "PictureBuilder.h"

#include "imaging/SystemColour.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tarrowin {
namespace {

using test::makePicture;
using test::Pixel;
using test::pixelAt;
using test::setPixel;

TEST(cAlphaDIBSection, CreateDescribesUnpaddedBottomUpBitsAllZero) {
    cAlphaDIBSection picture;
    ASSERT_TRUE(picture.Create(3, 2));
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_EQ(picture.Height(), 2);
    EXPECT_EQ(picture.BytesPerScanLine(), 12);
    const BitmapInfoHeader& info = picture.BitmapInfo();
    EXPECT_EQ(info.biSize, 40u);
    EXPECT_EQ(info.biHeight, 2); // positive: bottom-up
    EXPECT_EQ(info.biBitCount, 32);
    EXPECT_EQ(info.biCompression, 0u);
    EXPECT_EQ(info.biSizeImage, 24u);
    ASSERT_NE(picture.DIBSectionBitsPtr(), nullptr);
    EXPECT_TRUE(std::all_of(picture.Bits().begin(), picture.Bits().end(),
                            [](std::uint8_t b) { return b == 0; }));

    // A second Create replaces the picture, zeroed again.
    setPixel(picture, 0, 0, {1, 2, 3, 4});
    ASSERT_TRUE(picture.Create(1, 1));
    EXPECT_EQ(pixelAt(picture, 0, 0), (Pixel{0, 0, 0, 0}));

    picture.ClearUp();
    EXPECT_TRUE(picture.IsEmpty());
    EXPECT_EQ(picture.DIBSectionBitsPtr(), nullptr);
    EXPECT_EQ(picture.Width(), 0);
}

TEST(cAlphaDIBSection, CreateRefusesSizesItCannotHoldAndLeavesThePictureEmpty) {
    const struct {
        std::int32_t width, height;
    } cases[] = {{0, 5}, {5, 0}, {-3, 4}, {4, -3}, {23171, 23171}, {0x7FFFFFFF, 1}};
    for (const auto& c : cases) {
        cAlphaDIBSection picture;
        ASSERT_TRUE(picture.Create(2, 2));
        EXPECT_FALSE(picture.Create(c.width, c.height)) << c.width << " x " << c.height;
        EXPECT_TRUE(picture.IsEmpty());
        EXPECT_EQ(picture.byteCount(), 0u);
    }
}

TEST(cAlphaDIBSection, SetColourTransparentClearsExactColourMatchesWhateverTheirAlpha) {
    cAlphaDIBSection picture = makePicture(4, 1);
    setPixel(picture, 0, 0, {255, 0, 255, 255});
    setPixel(picture, 1, 0, {255, 0, 255, 9});
    setPixel(picture, 2, 0, {255, 0, 254, 255}); // red one off
    setPixel(picture, 3, 0, {254, 0, 255, 255}); // blue one off
    picture.SetColourTransparent(0x00FF00FF);
    EXPECT_EQ(pixelAt(picture, 0, 0), (Pixel{0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(picture, 1, 0), (Pixel{0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(picture, 2, 0), (Pixel{255, 0, 254, 255}));
    EXPECT_EQ(pixelAt(picture, 3, 0), (Pixel{254, 0, 255, 255}));

    // Colour values are 0x00BBGGRR: 0x00332211 is red 0x11, green 0x22, blue 0x33.
    picture = makePicture(1, 1, {0x33, 0x22, 0x11, 200});
    picture.SetColourTransparent(0x00332211);
    EXPECT_EQ(pixelAt(picture, 0, 0), (Pixel{0, 0, 0, 0}));
}

TEST(cAlphaDIBSection, SetAlphaScalesColourDownAndSetsAlpha) {
    cAlphaDIBSection picture = makePicture(2, 1, {200, 100, 50, 7});
    setPixel(picture, 1, 0, {255, 254, 1, 0});
    picture.SetAlpha(128);
    EXPECT_EQ(pixelAt(picture, 0, 0), (Pixel{100, 50, 25, 128}));
    // 255 x 128 / 255 = 128, 254 x 128 = 32512 / 255 = 127, 128 / 255 = 0
    EXPECT_EQ(pixelAt(picture, 1, 0), (Pixel{128, 127, 0, 128}));
    picture.SetAlpha(255);
    EXPECT_EQ(pixelAt(picture, 0, 0), (Pixel{100, 50, 25, 255}));
}

TEST(cAlphaDIBSection, SetBackgroundColorFillsColourWithAlphaZeroAndTranslatesSystemColours) {
    cAlphaDIBSection picture = makePicture(2, 2, {1, 2, 3, 255});
    picture.SetBackgroundColor(0x00102030);
    EXPECT_EQ(pixelAt(picture, 1, 1), (Pixel{0x10, 0x20, 0x30, 0}));

    // 0x8000000F: the button face of the palette in use.
    picture.SetBackgroundColor(0x8000000F);
    EXPECT_EQ(pixelAt(picture, 0, 0), (Pixel{0xC8, 0xD0, 0xD4, 0}));
    setSystemColourResolver([](int index) -> std::optional<std::uint32_t> {
        if (index == 15) return 0x00ABCDEFu;
        return std::nullopt;
    });
    picture.SetColourTransparent(0x00ABCDEF); // nothing of that colour yet
    picture.SetBackgroundColor(0x8000000F);
    EXPECT_EQ(pixelAt(picture, 0, 1), (Pixel{0xAB, 0xCD, 0xEF, 0}));
    picture.SetColourTransparent(0x8000000F);
    EXPECT_EQ(pixelAt(picture, 0, 1), (Pixel{0, 0, 0, 0}));
    // An index the palette does not know translates to black.
    EXPECT_EQ(TranslateColour(0x80000063), 0u);
    setSystemColourResolver({});
    EXPECT_EQ(TranslateColour(0x80000005), 0x00FFFFFFu);
    // A plain colour keeps its three colour bytes only.
    EXPECT_EQ(TranslateColour(0x01123456), 0x00123456u);
}

TEST(cAlphaDIBSection, CopyToPlacesRowsCountedFromTheBottom) {
    // A 32 x 20 picture centred in a 32 x 32 one: rows 6 to 25.
    cAlphaDIBSection small = makePicture(32, 20, {1, 2, 3, 4});
    setPixel(small, 31, 19, {9, 9, 9, 9}); // top right corner
    cAlphaDIBSection big = makePicture(32, 32, {7, 7, 7, 7});
    small.CopyTo(big, 0, 6, -1, -1);
    for (int y = 0; y < 32; ++y) {
        const Pixel expected = (y >= 6 && y <= 25) ? Pixel{1, 2, 3, 4} : Pixel{7, 7, 7, 7};
        EXPECT_EQ(pixelAt(big, 0, y), expected) << "row " << y;
    }
    EXPECT_EQ(pixelAt(big, 31, 25), (Pixel{9, 9, 9, 9}));

    // A width limits the columns; a height picks the top rows, which keep their
    // own row numbers.
    cAlphaDIBSection target = makePicture(4, 4);
    cAlphaDIBSection source = makePicture(3, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) setPixel(source, x, y, {std::uint8_t(10 * y + x), 0, 0, 255});
    source.CopyTo(target, 1, 0, 2, 1);
    EXPECT_EQ(pixelAt(target, 1, 2), (Pixel{20, 0, 0, 255}));
    EXPECT_EQ(pixelAt(target, 2, 2), (Pixel{21, 0, 0, 255}));
    EXPECT_EQ(pixelAt(target, 3, 2), (Pixel{0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(target, 1, 1), (Pixel{0, 0, 0, 0}));
}

TEST(cAlphaDIBSection, CopyToDropsWhatFallsOutsideTheTarget) {
    cAlphaDIBSection source = makePicture(4, 4, {5, 5, 5, 5});
    cAlphaDIBSection target = makePicture(3, 3);
    source.CopyTo(target, 2, 1); // reaches past the right and top edges
    EXPECT_EQ(pixelAt(target, 2, 1), (Pixel{5, 5, 5, 5}));
    EXPECT_EQ(pixelAt(target, 2, 2), (Pixel{5, 5, 5, 5}));
    EXPECT_EQ(pixelAt(target, 1, 1), (Pixel{0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(target, 2, 0), (Pixel{0, 0, 0, 0}));

    target = makePicture(3, 3);
    source.CopyTo(target, -3, -3); // only the source's top right pixel lands
    EXPECT_EQ(pixelAt(target, 0, 0), (Pixel{5, 5, 5, 5}));
    EXPECT_EQ(pixelAt(target, 1, 0), (Pixel{0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(target, 0, 1), (Pixel{0, 0, 0, 0}));
    source.CopyTo(target, 100, 100);
    source.CopyTo(target, -100, 0);
    cAlphaDIBSection empty;
    source.CopyTo(empty);
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(cAlphaDIBSection, ConvertAlphaiconsIsTheSamePicture) {
    ConvertAlphaicons picture = makePicture(2, 2, {1, 2, 3, 4});
    cAlphaDIBSection moved = std::move(picture);
    EXPECT_TRUE(picture.IsEmpty());
    EXPECT_EQ(moved.Width(), 2);
    EXPECT_EQ(pixelAt(moved, 1, 1), (Pixel{1, 2, 3, 4}));
}

} // namespace
} // namespace tarrowin

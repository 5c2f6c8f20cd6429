#include "creator/IconMaker.h"
#include "creator/WorkingPicture.h"

#include "core/FileIO.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

using namespace tarrowin;

namespace {

// An opaque picture of one colour on a white background: the white is what the
// top-left pixel makes transparent.
cAlphaDIBSection solidPicture(int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return workingPictureFrom(image, false);
}

std::uint8_t alphaAt(const cFileIcon& icon, int n, int x, int rowFromBottom) {
    const Bytes r = icon.imageRecord(n);
    const int w = icon.ImageWidth(n);
    return r[40 + static_cast<std::size_t>(rowFromBottom * w + x) * 4 + 3];
}

bool maskBit(const cFileIcon& icon, int n, int x, int rowFromBottom) {
    const Bytes r = icon.imageRecord(n);
    const int w = icon.ImageWidth(n), h = icon.ImageHeight(n);
    const std::size_t stride = static_cast<std::size_t>(dibStride(w));
    const std::size_t mask = 40 + static_cast<std::size_t>(w * h * 4);
    return (r[mask + static_cast<std::size_t>(rowFromBottom) * stride + static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1;
}

} // namespace

TEST(IconMaker, WidePictureIsCentredVerticallyWithTransparentBands) {
    const cAlphaDIBSection working = solidPicture(200, 100, qRgb(10, 20, 30));
    cFileIcon icon;
    const int n = fillIconImage(icon, working, {32, 32}, 0xFFFFFF);
    for (int row = 0; row < 32; ++row) {
        const bool inside = row >= 8 && row <= 23;
        SCOPED_TRACE(row);
        // Area averaging over a 6.25-pixel cell may land on 254; what counts is opaque or not.
        EXPECT_EQ(alphaAt(icon, n, 5, row) >= 254, inside);
        EXPECT_EQ(alphaAt(icon, n, 5, row) == 0, !inside);
        EXPECT_EQ(maskBit(icon, n, 5, row), !inside);
        EXPECT_EQ(maskBit(icon, n, 31, row), !inside);
    }
}

TEST(IconMaker, TallPictureKeepsItsLowerHalf) {
    // Top half red, bottom half blue; at 32 wide it is 64 high and only the lower 32 rows stay.
    QImage image(100, 200, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 0));
    for (int y = 100; y < 200; ++y)
        for (int x = 0; x < 100; ++x) image.setPixel(x, y, qRgb(0, 0, 255));
    cFileIcon icon;
    const int n = fillIconImage(icon, workingPictureFrom(image, false), {32, 32}, 0x00FF00);
    const Bytes r = icon.imageRecord(n);
    for (int row : {0, 31}) {
        const std::size_t p = 40 + static_cast<std::size_t>(row * 32 + 16) * 4;
        EXPECT_EQ(r[p], 255); // blue
        EXPECT_EQ(r[p + 2], 0);
    }
}

TEST(IconMaker, DefaultSizesLandAtTheirOffsetsAndARerunReplaces) {
    QTemporaryDir dir;
    const std::string out = dir.filePath("made.ico").toStdString();
    const cAlphaDIBSection working = solidPicture(64, 64, qRgb(1, 2, 3));
    IconFileResult r = createIconFile(out, working, {{48, 48}, {16, 16}, {32, 32}}, 0xFFFFFF);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.message, "Your icon has been written out to \r\n" + out);
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(out));
    ASSERT_EQ(icon.ImageCount(), 3);
    EXPECT_EQ(icon.ImageWidth(1), 16);
    EXPECT_EQ(icon.entry(1).dwImageOffset, 54u);
    EXPECT_EQ(icon.entry(2).dwImageOffset, 1182u);
    EXPECT_EQ(icon.entry(3).dwImageOffset, 5446u);

    // Again with 16 and 32 from another picture: same count, those two replaced, 48 kept.
    const auto before48 = std::vector<std::uint8_t>(icon.imageRecord(3).begin(), icon.imageRecord(3).end());
    r = createIconFile(out, solidPicture(64, 64, qRgb(200, 100, 50)), {{16, 16}, {32, 32}}, 0xFFFFFF);
    ASSERT_TRUE(r.ok);
    cFileIcon again;
    ASSERT_TRUE(again.LoadIcon(out));
    EXPECT_EQ(again.ImageCount(), 3);
    EXPECT_EQ(again.imageRecord(1)[40 + 2], 200); // red of the new picture
    EXPECT_TRUE(std::equal(before48.begin(), before48.end(), again.imageRecord(3).begin()));

    // An output that exists but is no icon is refused and left alone.
    const std::string notIcon = dir.filePath("notes.ico").toStdString();
    const std::vector<std::uint8_t> text = {'h', 'i'};
    ASSERT_EQ(writeFileAtomic(notIcon, text), WriteResult::Ok);
    r = createIconFile(notIcon, working, {{16, 16}}, 0);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(readWholeFile(notIcon), text);
}

TEST(IconMaker, AnExistingImageStoredAsPngIsReplacedWhole) {
    QTemporaryDir dir;
    const std::string out = dir.filePath("png32.ico").toStdString();
    // An icon whose 32 × 32 image is a PNG record: the new bits cannot go into it.
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    png.resize(200, 0);
    std::vector<std::uint8_t> file(6 + 16, 0);
    file[2] = 1;
    file[4] = 1;
    file[6] = 32;
    file[7] = 32;
    file[10] = 1;
    file[12] = 32;
    file[14] = 200;
    file[18] = 22;
    file.insert(file.end(), png.begin(), png.end());
    ASSERT_EQ(writeFileAtomic(out, file), WriteResult::Ok);

    const IconFileResult r = createIconFile(out, solidPicture(32, 32, qRgb(200, 0, 0)), {{32, 32}}, 0xFFFFFF);
    ASSERT_TRUE(r.ok) << r.message;
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(out));
    ASSERT_EQ(icon.ImageCount(), 1);
    EXPECT_EQ(icon.ImageSize(1), 40 + 32 * 32 * 4 + 32 * 4);
    EXPECT_EQ(icon.imageRecord(1)[40 + 2], 200);
}

TEST(IconMaker, MaskBitsFollowTheirPixels) {
    // 24 wide: a transparent first column and a transparent last column.
    QImage image(24, 24, QImage::Format_ARGB32);
    image.fill(qRgba(0, 0, 0, 255));
    for (int y = 0; y < 24; ++y) {
        image.setPixel(0, y, qRgba(0, 0, 0, 0));
        image.setPixel(23, y, qRgba(0, 0, 0, 0));
    }
    cFileIcon icon;
    const int n = fillIconImage(icon, workingPictureFrom(image, true), {24, 24}, 0);
    const Bytes r = icon.imageRecord(n);
    const std::size_t mask = 40 + 24 * 24 * 4;
    EXPECT_EQ(r[mask + 0], 0x80);
    EXPECT_EQ(r[mask + 1], 0x00);
    EXPECT_EQ(r[mask + 2], 0x01);
    EXPECT_EQ(r[mask + 3], 0x00); // row padding
}

TEST(IconMaker, SizesParseAndSortIntoMakingOrder) {
    std::string why;
    const auto sizes = parseIconSizes("128,20x30,16,48", &why);
    ASSERT_TRUE(sizes) << why;
    const std::vector<IconSize> expected = {{16, 16}, {48, 48}, {128, 128}, {20, 30}};
    EXPECT_EQ(inMakingOrder(*sizes), expected);
    for (const char* bad : {"0", "256", "16,", "x", "12x", "1.5", "-4"}) {
        EXPECT_FALSE(parseIconSizes(bad, &why)) << bad;
        EXPECT_NE(why.find("1 to 255"), std::string::npos);
    }
}

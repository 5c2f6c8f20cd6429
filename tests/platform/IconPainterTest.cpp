#include "platform/IconPainter.h"

#include "core/FileIO.h"
#include "support/IconBuilder.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>

#include <filesystem>

using namespace tarrowin;
using namespace tarrowin::testing;
namespace fs = std::filesystem;

namespace {

cFileIcon iconOf(const std::vector<FixtureImage>& images) {
    cFileIcon icon;
    icon.LoadIconFromBytes(icoFile(images));
    return icon;
}

QRgb px(const QImage& image, int x, int y) { return image.pixel(x, y); }

// Two pixels per row, two rows: top row (A, B), bottom row (C, D). The mask
// makes B transparent.
const std::vector<ByteVec> kMaskB = {{0, 1}, {0, 0}};

ByteVec pngBytes(int width, int height, QRgb fill) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(fill);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return ByteVec(bytes.begin(), bytes.end());
}

} // namespace

TEST(IconPainter, EveryDepthComposesWithItsMask) {
    const std::vector<std::uint32_t> table16 = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
                                                0xc0c0c0, 0x808080, 0xff0000, 0x00ff00, 0xffff00, 0x0000ff, 0xff00ff,
                                                0x00ffff, 0xffffff};
    struct Case {
        const char* name;
        ByteVec record;
        QRgb a, c, d; // expected opaque pixels
    };
    const Case cases[] = {
        {"1 bit", bitmapRecord(2, 2, 1, {0x000000, 0xffffff}, {{0x80}, {0x40}}, kMaskB), qRgb(255, 255, 255),
         qRgb(0, 0, 0), qRgb(255, 255, 255)},
        {"4 bit", bitmapRecord(2, 2, 4, table16, {{0x9F}, {0xC2}}, kMaskB), qRgb(255, 0, 0), qRgb(0, 0, 255),
         qRgb(0, 128, 0)},
        {"8 bit", bitmapRecord(2, 2, 8, std::vector<std::uint32_t>(table16.begin(), table16.end()), {{9, 0}, {12, 10}},
                               kMaskB),
         qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(0, 255, 0)},
        {"24 bit", bitmapRecord(2, 2, 24, {}, {{1, 2, 3, 9, 9, 9}, {4, 5, 6, 7, 8, 9}}, kMaskB), qRgb(3, 2, 1),
         qRgb(6, 5, 4), qRgb(9, 8, 7)},
        {"32 bit without alpha uses the mask", bitmapRecord(2, 2, 32, {}, {{1, 2, 3, 0, 9, 9, 9, 0}, {4, 5, 6, 0, 7, 8, 9, 0}}, kMaskB),
         qRgb(3, 2, 1), qRgb(6, 5, 4), qRgb(9, 8, 7)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const cFileIcon icon = iconOf({{2, 2, 0, 1, 0, c.record}});
        const QImage image = IconHandle(icon, 1);
        ASSERT_FALSE(image.isNull());
        ASSERT_EQ(image.size(), QSize(2, 2));
        EXPECT_EQ(px(image, 0, 0), c.a);
        EXPECT_EQ(qAlpha(px(image, 1, 0)), 0);
        EXPECT_EQ(px(image, 0, 1), c.c);
        EXPECT_EQ(px(image, 1, 1), c.d);
    }
}

TEST(IconPainter, DeepImagesSkipATableTheirHeaderDeclares) {
    // A 32-bit record with biClrUsed 2: eight bytes of table sit before the bits.
    ByteVec rec = bitmapRecord(1, 1, 32, {0x111111, 0x222222}, {{30, 20, 10, 255}}, {});
    put32(rec, 32, 2);
    const QImage image = IconHandle(iconOf({{1, 1, 0, 1, 32, rec}}), 1);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(0, 0), qRgb(10, 20, 30));
}

TEST(IconPainter, AlphaChannelWinsOverTheMask) {
    // Alpha 0x80 everywhere, mask all set: alpha decides.
    const ByteVec rec = bitmapRecord(1, 1, 32, {}, {{0, 0, 200, 0x80}}, {{1}});
    const QImage image = IconHandle(iconOf({{1, 1, 0, 1, 32, rec}}), 1);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(qAlpha(px(image, 0, 0)), 0x80);
    EXPECT_EQ(qRed(image.pixel(0, 0)), 100); // premultiplied: 200 × 128 / 255
}

TEST(IconPainter, RecordHeaderDecidesWhenTheDirectoryLies) {
    const ByteVec png = pngBytes(300, 300, qRgba(10, 20, 30, 255));
    const ByteVec big24 = bitmapRecord(40, 40, 24, {}, {}, {});
    // Width 0, bit count 0, planes 0: as other tools write them.
    const cFileIcon icon = iconOf({{0, 0, 0, 0, 0, png}, {16, 16, 0, 0, 0, big24}, {16, 16, 0, 1, 32, ByteVec(60, 0x5A)}});
    EXPECT_EQ(icon.ImageWidth(1), 0);
    const QImage first = IconHandle(icon, 1);
    EXPECT_EQ(first.size(), QSize(300, 300));
    EXPECT_EQ(first.pixel(150, 150), qRgb(10, 20, 30));
    EXPECT_EQ(IconHandle(icon, 2).size(), QSize(40, 40));
    // An image that cannot be decoded gives nothing and harms no other.
    EXPECT_TRUE(IconHandle(icon, 3).isNull());
    EXPECT_FALSE(IconPicture(icon, 3).has_value());
    EXPECT_TRUE(IconHandle(icon, 4).isNull());
    QImage surface(8, 8, QImage::Format_ARGB32_Premultiplied);
    surface.fill(Qt::white);
    DeviceContext dc(surface);
    DrawIconImage(icon, dc, 3, IconImageType::Colour, 0, 0, 0, 0, RasterOp::SrcCopy);
    EXPECT_EQ(surface.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(bestImageFor(icon, 32), 2);
    EXPECT_EQ(bestImageFor(icon, 256), 1);
}

TEST(IconPainter, MaskThenColourWithRasterOpsDrawsTheIconOverABackground) {
    const ByteVec rec = bitmapRecord(2, 2, 24, {}, {{255, 0, 0, 0, 0, 0}, {0, 255, 0, 0, 0, 255}}, kMaskB);
    const cFileIcon icon = iconOf({{2, 2, 0, 1, 24, rec}});
    QImage surface(4, 4, QImage::Format_RGB32);
    surface.fill(qRgb(100, 150, 200));
    DeviceContext dc(surface);
    DrawIconImage(icon, dc, 1, IconImageType::Mask, 0, 0, 0, 0, RasterOp::SrcAnd);
    DrawIconImage(icon, dc, 1, IconImageType::Colour, 0, 0, 0, 0, RasterOp::SrcInvert);
    EXPECT_EQ(surface.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(surface.pixel(1, 0), qRgb(100, 150, 200)); // transparent: background shows
    EXPECT_EQ(surface.pixel(0, 1), qRgb(0, 255, 0));
    EXPECT_EQ(surface.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(surface.pixel(3, 3), qRgb(100, 150, 200));

    // Stretching: a 0 keeps the image's own size in that direction.
    QImage stretched(8, 8, QImage::Format_RGB32);
    stretched.fill(Qt::black);
    DeviceContext dc2(stretched);
    DrawIconImage(icon, dc2, 1, IconImageType::Colour, 0, 0, 8, 0, RasterOp::SrcCopy);
    EXPECT_EQ(stretched.pixel(3, 0), qRgb(0, 0, 255));
    EXPECT_EQ(stretched.pixel(4, 1), qRgb(255, 0, 0));
    EXPECT_EQ(stretched.pixel(0, 2), qRgb(0, 0, 0));
}

TEST(IconPainter, RealIconsLoadRenderAndRoundTrip) {
    const fs::path folder = "/usr/share/nsis/Contrib/Graphics/Icons";
    if (!fs::exists(folder)) GTEST_SKIP() << "nsis-common is not installed";
    int files = 0, images = 0;
    for (const auto& item : fs::directory_iterator(folder)) {
        if (item.path().extension() != ".ico") continue;
        SCOPED_TRACE(item.path().string());
        cFileIcon icon;
        ASSERT_TRUE(icon.LoadIcon(item.path().string()));
        for (int i = 1; i <= icon.ImageCount(); ++i) {
            const QImage image = IconHandle(icon, i);
            ASSERT_FALSE(image.isNull()) << "image " << i;
            EXPECT_EQ(image.width(), icon.ImageWidth(i) == 0 ? 256 : icon.ImageWidth(i));
            ++images;
        }
        if (icon.recordsAreContiguous()) {
            const fs::path out = fs::temp_directory_path() / ("tarrowin-roundtrip-" + item.path().filename().string());
            ASSERT_TRUE(icon.SaveIcon(out.string()));
            EXPECT_EQ(readWholeFile(out), readWholeFile(item.path()));
            fs::remove(out);
        }
        ++files;
    }
    EXPECT_GT(files, 30);
    EXPECT_GT(images, 60);
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

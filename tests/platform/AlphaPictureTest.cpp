#include "platform/AlphaPicture.h"

#include "imaging/SystemColour.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>
#include <QPixmap>

#include <array>
#include <cstring>
#include <cstdlib>
#include <memory>

namespace tarrowin {
namespace {

using Pixel = std::array<int, 4>; // blue, green, red, alpha

// Row numbers from the top, as drawing surfaces count them.
Pixel topDown(const cAlphaDIBSection& picture, int x, int rowFromTop) {
    const std::uint8_t* p = picture.DIBSectionBitsPtr() +
                            (std::size_t(picture.Height() - 1 - rowFromTop) * picture.Width() + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

Pixel imagePixel(const QImage& image, int x, int y) {
    const QRgb c = image.pixel(x, y);
    return {qBlue(c), qGreen(c), qRed(c), qAlpha(c)};
}

// Qt and the platform blend round slightly differently; a step of 1 is the same.
void expectNear(Pixel actual, Pixel expected) {
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(actual[k], expected[k], 1) << "byte " << k;
}

class AlphaPicture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!qGuiApp) {
            static int argc = 1;
            static char name[] = "alpha_picture_test";
            static char* argv[] = {name, nullptr};
            s_app = std::make_unique<QGuiApplication>(argc, argv);
        }
    }
    // Only one application object may exist at a time; other suites make their own.
    static void TearDownTestSuite() { s_app.reset(); }
    static inline std::unique_ptr<QGuiApplication> s_app;
};

TEST_F(AlphaPicture, DrawingContextUsesTopDownCoordinatesOverTheBits) {
    cAlphaDIBSection picture;
    ASSERT_TRUE(picture.Create(4, 3));
    {
        AlphaPictureDC dc(picture);
        ASSERT_TRUE(dc.isActive());
        dc.painter().setCompositionMode(QPainter::CompositionMode_Source);
        dc.painter().fillRect(QRect(0, 0, 4, 1), QColor(10, 20, 30)); // top row
        dc.painter().fillRect(QRect(3, 2, 1, 1), QColor(1, 2, 3));    // bottom right
    }
    // The top row is the last row of the bits.
    EXPECT_EQ(topDown(picture, 0, 0), (Pixel{30, 20, 10, 255}));
    const std::uint8_t* bits = picture.DIBSectionBitsPtr();
    EXPECT_EQ(bits[3 * 4], 3); // bottom row first in memory
    EXPECT_EQ(topDown(picture, 0, 1), (Pixel{0, 0, 0, 0}));

    cAlphaDIBSection empty;
    EXPECT_FALSE(AlphaPictureDC(empty).isActive());
}

TEST_F(AlphaPicture, CreateFromImageCopiesPixelsTheRightWayUp) {
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(QColor(0, 0, 0));
    image.setPixelColor(0, 0, QColor(200, 100, 50)); // top left
    image.setPixelColor(2, 1, QColor(1, 2, 3));      // bottom right
    cAlphaDIBSection picture;
    ASSERT_TRUE(CreateFromHBitmap(picture, image));
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_EQ(picture.Height(), 2);
    EXPECT_EQ(topDown(picture, 0, 0), (Pixel{50, 100, 200, 255}));
    EXPECT_EQ(picture.DIBSectionBitsPtr()[8], 3); // bottom right is in the first row of bits
    EXPECT_EQ(alphaPictureToImage(picture).pixelColor(0, 0), QColor(200, 100, 50));

    ASSERT_TRUE(CreateFromPicture(picture, QPixmap::fromImage(image)));
    EXPECT_EQ(topDown(picture, 2, 1), (Pixel{3, 2, 1, 255}));
    EXPECT_FALSE(CreateFromHBitmap(picture, QImage()));
    EXPECT_TRUE(picture.IsEmpty());
}

TEST_F(AlphaPicture, LoadPictureBltCopiesARectangleToTheTopLeftCorner) {
    QImage source(4, 4, QImage::Format_ARGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) source.setPixel(x, y, qRgba(10 * x, 10 * y, 0, 255));
    cAlphaDIBSection picture;
    ASSERT_TRUE(picture.Create(3, 3));
    LoadPictureBlt(picture, source, 2, 1, -1, -1); // 3 x 3 asked, 2 x 3 inside the source
    EXPECT_EQ(topDown(picture, 0, 0), (Pixel{0, 10, 20, 255}));
    EXPECT_EQ(topDown(picture, 1, 2), (Pixel{0, 30, 30, 255}));
    EXPECT_EQ(topDown(picture, 2, 0), (Pixel{0, 0, 0, 0})); // past the source: untouched

    QImage mask(1, 1, QImage::Format_ARGB32);
    mask.setPixel(0, 0, qRgba(0x0F, 0xF0, 0xFF, 0x0F));
    LoadPictureBlt(picture, mask, 0, 0, 1, 1, RasterOp::SrcAnd);
    EXPECT_EQ(topDown(picture, 0, 0), (Pixel{0, 10 & 0xF0, 20 & 0x0F, 0x0F}));
    LoadPictureBlt(picture, mask, 0, 0, 1, 1, RasterOp::SrcInvert);
    EXPECT_EQ(topDown(picture, 0, 0), (Pixel{0xFF, (10 & 0xF0) ^ 0xF0, (20 & 0x0F) ^ 0x0F, 0}));
}

TEST_F(AlphaPicture, AlphaPaintPictureBlendsPremultipliedSourceOver) {
    cAlphaDIBSection picture;
    ASSERT_TRUE(picture.Create(2, 2));
    std::uint8_t* bits = picture.DIBSectionBitsPtr();
    const std::uint8_t halfRed[4] = {0, 0, 128, 128}; // premultiplied red at half alpha
    const std::uint8_t blue[4] = {255, 0, 0, 255};
    std::memcpy(bits + 8, halfRed, 4); // top left (second row of bits)
    std::memcpy(bits + 12, blue, 4);   // top right
    // The bottom row stays (0, 0, 0, 0): fully transparent, leaves the target alone.

    QImage target(2, 2, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        AlphaPaintPicture(picture, painter, 0, 0);
    }
    // 128 + 255 x (1 - 128 / 255) = 255 red; 255 x 127 / 255 = 127 green and blue.
    expectNear(imagePixel(target, 0, 0), {127, 127, 255, 255});
    expectNear(imagePixel(target, 1, 0), {255, 0, 0, 255});
    expectNear(imagePixel(target, 0, 1), {255, 255, 255, 255});

    // Constant alpha 128 on the opaque blue pixel over black: half blue. Only the
    // top right pixel, drawn into a 1 x 1 place.
    target.fill(Qt::black);
    {
        QPainter painter(&target);
        AlphaPaintPicture(picture, painter, 1, 1, 1, 1, 1, 0, -1, -1, 128);
    }
    expectNear(imagePixel(target, 1, 1), {128, 0, 0, 255});
    expectNear(imagePixel(target, 0, 0), {0, 0, 0, 255});

    // A source rectangle reaching outside the picture makes the blend fail: nothing drawn.
    {
        QPainter painter(&target);
        AlphaPaintPicture(picture, painter, 0, 0, 2, 2, 1, 1, 2, 2, 255);
    }
    expectNear(imagePixel(target, 0, 0), {0, 0, 0, 255});
}

TEST_F(AlphaPicture, SystemColoursFollowTheDesktopPalette) {
    QPalette palette = QGuiApplication::palette();
    const QPalette saved = palette;
    palette.setColor(QPalette::Button, QColor(0x12, 0x34, 0x56));
    QGuiApplication::setPalette(palette);
    useDesktopPaletteForSystemColours();

    EXPECT_EQ(TranslateColour(0x8000000F), 0x00563412u); // button face, 0x00BBGGRR
    EXPECT_EQ(TranslateColour(0x80000019), 0u);          // index 25 has no colour
    cAlphaDIBSection picture;
    ASSERT_TRUE(picture.Create(1, 1));
    picture.SetBackgroundColor(0x8000000F);
    EXPECT_EQ(topDown(picture, 0, 0), (Pixel{0x56, 0x34, 0x12, 0}));

    setSystemColourResolver({});
    QGuiApplication::setPalette(saved);
}

} // namespace
} // namespace tarrowin

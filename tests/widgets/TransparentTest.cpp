#include "TestApp.h"
#include "widgets/OleColor.h"
#include "widgets/Transparent.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace tarrowin;

namespace {

// A w x h picture with magenta corners of `corner` pixels and one nearly-magenta pixel.
QPixmap cutCorners(int w, int h, int corner) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(40, 80, 160));
    for (int y = 0; y < corner; ++y)
        for (int x = 0; x < corner - y; ++x) {
            img.setPixel(x, y, 0xFFFF00FF);
            img.setPixel(w - 1 - x, y, 0xFFFF00FF);
            img.setPixel(x, h - 1 - y, 0xFFFF00FF);
            img.setPixel(w - 1 - x, h - 1 - y, 0xFFFF00FF);
        }
    img.setPixel(w / 2, h / 2, 0xFFFE00FF);
    return QPixmap::fromImage(img);
}

} // namespace

TEST(Transparent, OutlineKeepsExactlyThePixelsNotOfTheMaskColour) {
    test::app();
    const QImage img = cutCorners(40, 30, 5).toImage();
    const QRegion r = Transparent::outlineOf(img, oleColor(kMaskMagenta).rgb());
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ASSERT_EQ(r.contains(QPoint(x, y)), (img.pixel(x, y) & 0xFFFFFF) != 0xFF00FF) << x << "," << y;
    EXPECT_TRUE(r.contains(QPoint(20, 15))) << "an almost-magenta pixel stays in";
}

TEST(Transparent, MaskPictureSizesAndShapesTheContainer) {
    test::app();
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.resize(300, 300);
    Transparent t(&window);
    t.SetMaskColor(oleColor(kMaskMagenta));
    t.SetMaskPicture(cutCorners(120, 80, 10));
    EXPECT_EQ(window.size(), QSize(120, 80));
    EXPECT_EQ(t.geometry(), QRect(0, 0, 120, 80));
    EXPECT_FALSE(window.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(window.mask().contains(QPoint(60, 40)));
    EXPECT_FALSE(t.isVisible());

    // Another picture of another size replaces size and outline.
    t.SetMaskPicture(cutCorners(60, 90, 3));
    EXPECT_EQ(window.size(), QSize(60, 90));
    EXPECT_FALSE(window.mask().contains(QPoint(59, 89)));
    EXPECT_TRUE(window.mask().contains(QPoint(59, 45)));
    const QRegion before = window.mask();

    // An empty picture changes nothing.
    t.SetMaskPicture(QPixmap());
    EXPECT_EQ(window.size(), QSize(60, 90));
    EXPECT_EQ(window.mask(), before);
}

TEST(Transparent, PropertyStoreReshapesOnLoad) {
    test::app();
    PropertyBag bag;
    bag.WriteProperty("maskcolor", kMaskMagenta, kSysButtonFace);
    bag.WriteProperty("maskpicture", cutCorners(50, 50, 8));
    QWidget window(nullptr, Qt::FramelessWindowHint);
    Transparent t(&window);
    t.ReadProperties(bag);
    EXPECT_EQ(window.size(), QSize(50, 50));
    EXPECT_FALSE(window.mask().contains(QPoint(1, 1)));
    PropertyBag out;
    t.WriteProperties(out);
    EXPECT_EQ(out.ReadProperty("MaskColor").toUInt(), kMaskMagenta);
}

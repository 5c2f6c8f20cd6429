#include "TestApp.h"
#include "widgets/ucCustomButton.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>

using namespace tarrowin;

namespace {

QPixmap solid(QColor c, int w = 76, int h = 25) {
    QPixmap p(w, h);
    p.fill(c);
    return p;
}

struct Faces {
    QPixmap up = solid(Qt::white), over = solid(Qt::yellow), down = solid(Qt::blue), dis = solid(Qt::gray);
};

void press(QWidget* w, QEvent::Type type, Qt::MouseButton b) {
    QMouseEvent e(type, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), b,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : b, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

TEST(ucCustomButton, StoredDisabledShowsDisabledFaceGreyCaptionAndNoClick) {
    test::app();
    Faces f;
    PropertyBag bag;
    // The windows store the keys in lower case.
    bag.WriteProperty("enabled", 0, 1);
    bag.WriteProperty("picn", f.up);
    bag.WriteProperty("picdis", f.dis);
    bag.WriteProperty("caption", "&Next >");
    QWidget window;
    ucCustomButton b(&window);
    b.ReadProperties(bag);
    EXPECT_EQ(b.face().cacheKey(), f.dis.cacheKey());
    b.tick();
    EXPECT_EQ(b.ForeColor().rgb(), ucCustomButton::kDisabledCaption);
    EXPECT_EQ(b.Caption(), "&Next >");

    int clicks = 0;
    QObject::connect(&b, &ucCustomButton::Click, [&] { ++clicks; });
    window.show();
    press(&b, QEvent::MouseButtonPress, Qt::LeftButton);
    press(&b, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(clicks, 0);

    b.SetEnabled(true);
    EXPECT_EQ(b.face().cacheKey(), f.up.cacheKey());
    EXPECT_EQ(b.ForeColor(), QColor(0, 0, 0));
    b.SetEnabled(false);
    EXPECT_EQ(b.ForeColor().rgb(), ucCustomButton::kDisabledCaption);
}

TEST(ucCustomButton, EventsInOrderAndClickOnlyForLeftRelease) {
    test::app();
    QWidget window;
    ucCustomButton b(&window);
    window.show();
    QStringList seen;
    QObject::connect(&b, &ucCustomButton::MouseDown, [&](short button, short, float, float) {
        seen << QString("down%1").arg(button);
    });
    QObject::connect(&b, &ucCustomButton::MouseUp, [&](short button, short, float, float) {
        seen << QString("up%1").arg(button);
    });
    QObject::connect(&b, &ucCustomButton::Click, [&] { seen << "click"; });
    press(&b, QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_TRUE(b.pressed());
    press(&b, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_FALSE(b.pressed());
    press(&b, QEvent::MouseButtonPress, Qt::RightButton);
    press(&b, QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_EQ(seen, QStringList({"down1", "up1", "click", "down2", "up2"}));
}

TEST(ucCustomButton, FaceFollowsPolledMouse) {
    test::app();
    Faces f;
    QWidget window;
    window.resize(200, 100);
    ucCustomButton b(&window);
    b.move(10, 10);
    b.SetPictureUp(f.up);
    b.SetPictureOver(f.over);
    b.SetPictureDown(f.down);
    EXPECT_EQ(b.size(), QSize(76, 25)) << "the button takes the up picture's size";
    window.show();

    QCursor::setPos(b.mapToGlobal(QPoint(20, 10)));
    b.tick();
    EXPECT_EQ(b.face().cacheKey(), f.over.cacheKey());
    press(&b, QEvent::MouseButtonPress, Qt::LeftButton);
    b.tick();
    EXPECT_EQ(b.face().cacheKey(), f.down.cacheKey());
    QCursor::setPos(window.mapToGlobal(QPoint(150, 80)));
    b.tick();
    EXPECT_EQ(b.face().cacheKey(), f.up.cacheKey()) << "held but outside shows the up face";
}

TEST(ucCustomButton, CaptionGeometryAndMnemonic) {
    test::app();
    QWidget window;
    ucCustomButton b(&window);
    b.SetBackColor(Qt::white);
    b.SetForeColor(Qt::black);
    b.SetFont("DejaVu Sans", 8.25);
    b.resize(76, 25);
    EXPECT_EQ(b.captionTop(), 5);
    b.resize(76, 24); // 12 - 4.125 - 3 = 4.875
    EXPECT_EQ(b.captionTop(), 5);
    b.resize(76, 25);

    // "&Open..." draws "Open..." with the O underlined: the row under the text
    // holds ink only below the first letter.
    b.SetCaption("&Open...");
    QImage shot = b.grab().toImage();
    b.SetCaption("Open...");
    QImage plain = b.grab().toImage();
    int differing = 0, minX = 1000, maxX = -1;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixel(x, y) != plain.pixel(x, y)) {
                ++differing;
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
    EXPECT_GT(differing, 0);
    EXPECT_LT(maxX - minX, 12) << "only the first letter is underlined";

    b.SetCaption("A && B");
    QImage amp = b.grab().toImage();
    EXPECT_NE(amp, plain);
}

TEST(ucCustomButton, WithoutPicturesShowsBackColourAndCaption) {
    test::app();
    QWidget window;
    ucCustomButton b(&window);
    b.resize(76, 25);
    b.SetBackColor(QColor(0xE0, 0xE0, 0xE0));
    b.SetCaption("");
    const QImage img = b.grab().toImage();
    EXPECT_EQ(QColor(img.pixel(3, 3)), QColor(0xE0, 0xE0, 0xE0));
    EXPECT_EQ(QColor(img.pixel(70, 20)), QColor(0xE0, 0xE0, 0xE0));
}

TEST(ucCustomButton, PropertyStoreRoundTripAndChangeMarks) {
    test::app();
    Faces f;
    QWidget window;
    ucCustomButton a(&window);
    QStringList marked;
    QObject::connect(&a, &ucCustomButton::PropertyChanged, [&](const QString& k) { marked << k; });
    a.SetCaption("&Save as...");
    a.SetPictureUp(f.up);
    a.SetPictureDown(f.down);
    a.SetPictureOver(f.over);
    a.SetPictureDisabled(f.dis);
    a.SetFont("DejaVu Sans", 9.75, true);
    a.SetForeColor(QColor(10, 20, 30));
    EXPECT_EQ(marked, QStringList({"Caption", "PICN", "PICD", "PICO", "PICDIS", "FontSize", "FontItalic",
                                   "FontBold", "Font", "ForeColor"}));

    PropertyBag bag;
    a.WriteProperties(bag);
    EXPECT_TRUE(bag.contains("ENABLED")) << "the flag is always written";
    EXPECT_FALSE(bag.contains("MousePointer")) << "defaults are not written";
    ucCustomButton b(&window);
    b.ReadProperties(bag);
    EXPECT_EQ(b.Caption(), "&Save as...");
    EXPECT_TRUE(b.Enabled());
    EXPECT_EQ(b.face().cacheKey(), f.up.cacheKey());
    EXPECT_EQ(b.PictureOver().cacheKey(), f.over.cacheKey());
    EXPECT_DOUBLE_EQ(b.FontSize(), 9.75);
    EXPECT_TRUE(b.Font().bold());
    EXPECT_EQ(b.ForeColor(), QColor(10, 20, 30));

    PropertyBag empty;
    ucCustomButton c(&window);
    c.ReadProperties(empty);
    EXPECT_EQ(c.Caption(), "Caption");
    EXPECT_TRUE(c.Enabled());
}

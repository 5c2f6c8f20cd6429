// Real X input: shaped windows let clicks through their cut-out pixels, and a
// borderless window follows a left drag of its background.

#include "widgets/OleColor.h"
#include "widgets/SkinnedWindow.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

using namespace tarrowin;

namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "widgets_display_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

bool haveDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") && !QStandardPaths::findExecutable("xdotool").isEmpty() &&
           QGuiApplication::platformName() == "xcb";
}

void xdo(const QStringList& args) {
    QProcess::execute("xdotool", args);
    QTest::qWait(150);
}

class PressRecorder : public QWidget {
public:
    int presses = 0;
protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

// 120 x 120, magenta outside a circle.
QPixmap disc() {
    QImage img(120, 120, QImage::Format_RGB32);
    img.fill(0xFFFF00FF);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x)
            if ((x - 60) * (x - 60) + (y - 60) * (y - 60) < 55 * 55) img.setPixel(x, y, 0xFF3060A0);
    return QPixmap::fromImage(img);
}

} // namespace

TEST(ShapedWindowOnX, ClickOnCutOutPixelReachesTheWindowBehind) {
    app();
    if (!haveDisplay()) GTEST_SKIP() << "needs an X display and xdotool";
    PressRecorder behind;
    behind.setWindowFlags(Qt::FramelessWindowHint);
    behind.setGeometry(200, 200, 300, 300);
    behind.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&behind));

    SkinnedWindow front;
    auto* recorder = new PressRecorder;
    recorder->setParent(&front);
    front.SetPicture(disc());
    recorder->setGeometry(0, 0, 120, 120);
    recorder->setMask(front.mask());
    front.move(250, 250);
    front.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&front));
    QTest::qWait(200);
    ASSERT_EQ(front.size(), QSize(120, 120));

    xdo({"mousemove", "252", "252", "click", "1"}); // a cut-out corner
    EXPECT_EQ(behind.presses, 1);
    EXPECT_EQ(recorder->presses, 0);
    xdo({"mousemove", "310", "310", "click", "1"}); // inside the disc
    EXPECT_EQ(behind.presses, 1);
    EXPECT_EQ(recorder->presses, 1);
}

TEST(ShapedWindowOnX, LeftDragMovesRightDragDoesNot) {
    app();
    if (!haveDisplay()) GTEST_SKIP() << "needs an X display and xdotool";
    SkinnedWindow w;
    w.SetPicture(disc());
    w.move(400, 300);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(200);
    const QPoint start = w.pos();

    xdo({"mousemove", "460", "360", "mousedown", "3"});
    xdo({"mousemove", "520", "400"});
    xdo({"mouseup", "3"});
    EXPECT_EQ(w.pos(), start) << "the right button does not move the window";

    xdo({"mousemove", "460", "360", "mousedown", "1"});
    xdo({"mousemove", "490", "380"});
    xdo({"mousemove", "520", "400"});
    xdo({"mouseup", "1"});
    EXPECT_EQ(w.pos(), start + QPoint(60, 40));
}

// Under a real X server with trayer as the notification area: the menu goes to
// the tray and a click on the icon brings it back; a second tarrowin process
// hands over to the running shell and ends.

#include "../ShellFixture.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

using namespace tarrowin;
using namespace tarrowin::test;

namespace {

bool haveX() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") && QGuiApplication::platformName() == "xcb";
}

void xdo(const QStringList& args) {
    QProcess::execute("xdotool", args);
    QTest::qWait(150);
}

} // namespace

TEST(TrayOnX, MinimiseToTrayAndClickBack) {
    app();
    if (!haveX() || QStandardPaths::findExecutable("trayer").isEmpty() || QStandardPaths::findExecutable("xdotool").isEmpty())
        GTEST_SKIP() << "needs X, trayer and xdotool";
    QProcess trayer;
    trayer.start("trayer", {"--edge", "top", "--align", "left", "--widthtype", "pixel", "--width", "64",
                            "--heighttype", "pixel", "--height", "24", "--SetDockType", "false"});
    ASSERT_TRUE(trayer.waitForStarted());
    for (int i = 0; i < 50 && !QSystemTrayIcon::isSystemTrayAvailable(); ++i) QTest::qWait(100);
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        trayer.kill();
        trayer.waitForFinished();
        GTEST_SKIP() << "trayer did not provide a notification area";
    }

    ShellFixture f(" 0", " 1");
    f.shell->start();
    f.shell->closeSplash();
    FromSkins* m = f.shell->menu();
    ASSERT_TRUE(m->isVisible());
    const QPoint place = m->pos();
    int clicks = 0;
    QObject::connect(m->TrayIcon1(), &TrayIcon::Click, [&] { ++clicks; });

    m->minimise();
    QTest::qWait(800);
    EXPECT_FALSE(m->isVisible());
    EXPECT_TRUE(m->inTray());

    // trayer docks the icon at its left end.
    xdo({"mousemove", "12", "12", "click", "1"});
    for (int i = 0; i < 20 && !m->isVisible(); ++i) QTest::qWait(100);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(m->isVisible());
    EXPECT_FALSE(m->inTray());
    EXPECT_EQ(m->pos(), place);
    trayer.kill();
    trayer.waitForFinished();
}

TEST(SingleInstanceOnX, SecondProgramHandsOverAndEnds) {
    app();
    if (!haveX()) GTEST_SKIP() << "needs X";
    const QString exe = QStringLiteral(TARROWIN_BINARY_DIR "/app/tarrowin");
    if (!QFileInfo::exists(exe)) GTEST_SKIP() << "the program is not built";

    ShellFixture f(" 0", " 0");
    // The real program finds this shell on the channel of this user.
    f.shell.reset();
    ShellOptions options;
    options.fetchInfo = false;
    f.shell = std::make_unique<Shell>(f.state, f.platform, f.tasks, options);
    f.shell->quit = [] {};
    ASSERT_EQ(f.shell->start(), Shell::Start::Running);
    f.shell->closeSplash();
    ASSERT_FALSE(f.shell->menu()->isVisible());

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TARROWIN_PREFIX", f.m_dir.filePath("prefix"));
    second.setProcessEnvironment(env);
    second.start(exe, {});
    ASSERT_TRUE(second.waitForStarted());
    for (int i = 0; i < 100 && second.state() != QProcess::NotRunning; ++i) QTest::qWait(100);
    ASSERT_EQ(second.state(), QProcess::NotRunning) << "the second copy ends";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(f.shell->menu()->isVisible()) << "the running copy shows its menu";
}

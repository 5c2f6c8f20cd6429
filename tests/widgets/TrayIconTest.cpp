#include "TestApp.h"
#include "widgets/TrayIcon.h"

#include <gtest/gtest.h>

using namespace tarrowin;

TEST(TrayIcon, ActivationsBecomeTheThreeEvents) {
    test::app();
    TrayIcon tray;
    QStringList seen;
    QObject::connect(&tray, &TrayIcon::Click, [&] { seen << "Click"; });
    QObject::connect(&tray, &TrayIcon::DblClick, [&] { seen << "DblClick"; });
    QObject::connect(&tray, &TrayIcon::RightClick, [&] { seen << "RightClick"; });
    // A double click arrives as a press and then a double click.
    for (auto r : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Context,
                   QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown})
        tray.activate(r);
    EXPECT_EQ(seen, QStringList({"Click", "DblClick", "RightClick"}));
}

TEST(TrayIcon, TipAddRemove) {
    test::app();
    TrayIcon tray;
    EXPECT_EQ(tray.ScreenTip(), " ");
    tray.Remove(); // nothing shown: no effect
    EXPECT_FALSE(tray.isShown());

    const QString tip63(63, QChar('t'));
    tray.SetScreenTip(tip63 + "XYZ");
    QPixmap px(16, 16);
    px.fill(Qt::red);
    EXPECT_TRUE(tray.Add(QIcon(px)));
    EXPECT_EQ(tray.shownTip(), tip63);
    EXPECT_FALSE(tray.Add(QIcon(px))) << "a second icon is refused";
    tray.Remove();
    EXPECT_FALSE(tray.isShown());
    tray.SetScreenTip("Tarrowin");
    EXPECT_TRUE(tray.Add(QIcon(px)));
    EXPECT_EQ(tray.shownTip(), "Tarrowin");
    tray.Remove();

    PropertyBag bag;
    tray.WriteProperties(bag);
    TrayIcon other;
    other.ReadProperties(bag);
    EXPECT_EQ(other.ScreenTip(), "Tarrowin");
}

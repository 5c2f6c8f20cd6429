#include "ShellFixture.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace tarrowin;
using namespace tarrowin::test;

namespace {
QString rawConfig(const ShellFixture& f) {
    QFile file(f.m_dir.filePath("config.ini"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}
} // namespace

TEST(ShellStart, ReadsSkinSettingsAndLeavesMenuLoadedHidden) {
    ShellFixture f(" 2", " 1");
    ASSERT_EQ(f.shell->start(), Shell::Start::Running);
    EXPECT_EQ(f.state.CurrentSkin, 2);
    EXPECT_EQ(f.state.StartInMenu, 1);
    ASSERT_NE(f.shell->menu(), nullptr);
    EXPECT_FALSE(f.shell->menu()->isVisible());
    EXPECT_EQ(f.shell->menu()->size(), QSize(237, 395));
    EXPECT_EQ(f.tasks.skins, std::vector<int>({2}));
    EXPECT_TRUE(f.shell->welcome()->isVisible());
    EXPECT_EQ(f.shell->welcome()->size(), QSize(500, 450));
    EXPECT_TRUE(f.shell->splash()->isVisible());
    EXPECT_EQ(f.shell->splash()->Loading_cap()->text(), "");
    EXPECT_TRUE(f.shell->splash()->continueButton()->isVisible());
    EXPECT_EQ(f.config("skins"), "2") << "nothing is written on a good start";
}

TEST(ShellStart, FallBackWritesOneForBothKeys) {
    struct Case {
        const char* skins;
        const char* selskins;
        bool dataIco;
        std::int16_t skinAfter, menuAfter;
    };
    const Case cases[] = {
        {nullptr, nullptr, true, 0, 0},  // no config.ini at all
        {" 3", "yes", true, 3, 0},       // selskins is not a number
        {" 7", " 1", true, 7, 1},        // no pictures for skin 7
        {" 1", " 1", false, 1, 1},       // Data.ico missing
        {"70000", " 0", true, 0, 0},     // beyond 16 bits
    };
    for (const Case& c : cases) {
        ShellFixture f(c.skins, c.selskins, c.dataIco);
        ASSERT_EQ(f.shell->start(), Shell::Start::Running);
        SCOPED_TRACE(c.skins ? c.skins : "none");
        EXPECT_EQ(f.config("skins"), "1");
        EXPECT_EQ(f.config("selskins"), "1");
        EXPECT_EQ(f.state.CurrentSkin, c.skinAfter);
        EXPECT_EQ(f.state.StartInMenu, c.menuAfter);
        EXPECT_EQ(f.shell->menu(), nullptr) << "a menu that failed to load is not kept";
        EXPECT_TRUE(f.shell->welcome()->isVisible());
        // The splash can still be closed, and closing it never leaves the screen empty.
        EXPECT_EQ(f.shell->splash()->Loading_cap()->text(), "");
        EXPECT_TRUE(f.shell->splash()->continueButton()->isVisible());
        f.shell->closeSplash();
        EXPECT_TRUE(f.shell->welcome()->isVisible());
    }
}

TEST(ShellStart, ExitAfterFirstStartWritesValuesFromMemory) {
    ShellFixture f; // no config.ini
    f.shell->start();
    ASSERT_EQ(f.config("skins"), "1");
    // The round button's press loads and shows the menu; its release ends the program.
    f.shell->roundPressed(0);
    ASSERT_NE(f.shell->menu(), nullptr);
    EXPECT_TRUE(f.shell->menu()->isVisible());
    EXPECT_FALSE(f.shell->welcome()->isVisible());
    f.shell->roundReleased(0);
    EXPECT_TRUE(f.shell->ended());
    EXPECT_EQ(f.quits, 1);
    EXPECT_EQ(f.tasks.unloads, 1);
    EXPECT_TRUE(rawConfig(f).contains("skins= 0")) << rawConfig(f).toStdString();
    EXPECT_TRUE(rawConfig(f).contains("selskins= 0"));
}

TEST(ShellSplash, ContinueGoesToMenuOrStaysOnWelcome) {
    for (const char* selskins : {" 0", " 1"}) {
        ShellFixture f(" 0", selskins);
        f.shell->start();
        f.shell->closeSplash();
        const bool toMenu = selskins[1] == '1';
        EXPECT_EQ(f.shell->splash(), nullptr);
        EXPECT_EQ(f.shell->menu()->isVisible(), toMenu) << selskins;
        EXPECT_EQ(f.shell->welcome()->isVisible(), !toMenu) << selskins;
    }
}

TEST(ShellSplash, AboutFromTheMenuClosesToAVisibleWindow) {
    ShellFixture f(" 0", " 0");
    f.shell->start();
    f.shell->closeSplash();
    f.shell->roundPressed(2); // to the menu
    f.shell->roundReleased(2);
    EXPECT_EQ(f.state.StartInMenu, 1);
    f.state.StartInMenu = 0;
    f.shell->showAbout();
    EXPECT_EQ(f.shell->splash()->Loading_cap()->text(), "");
    EXPECT_TRUE(f.shell->splash()->continueButton()->isVisible());
    f.shell->closeSplash();
    EXPECT_TRUE(f.shell->welcome()->isVisible() || f.shell->menu()->isVisible());
}

TEST(ShellWelcome, HoverPicturesAndTitleLine) {
    ShellFixture f(" 0", " 0");
    f.shell->start();
    Frm* w = f.shell->welcome();
    EXPECT_EQ(w->Options1(3)->text(), "Welcome to Tarrowin");
    w->taskMove(1);
    EXPECT_FALSE(w->ButtonMove(1)->pixmap().isNull());
    w->taskMove(3);
    EXPECT_TRUE(w->ButtonMove(1)->pixmap().isNull());
    EXPECT_FALSE(w->ButtonMove(3)->pixmap().isNull());
    EXPECT_EQ(w->Options1(3)->text(), "Protect Folder");
    EXPECT_EQ(w->HoverTask(), 3);
    w->roundMove(2);
    EXPECT_EQ(w->Options1(3)->text(), "Protect Folder") << "round buttons leave the title line";
    EXPECT_FALSE(w->RbButton(2)->pixmap().isNull());
    w->backgroundMove();
    EXPECT_TRUE(w->ButtonMove(3)->pixmap().isNull());
    EXPECT_TRUE(w->RbButton(2)->pixmap().isNull());
    EXPECT_EQ(w->Options1(3)->text(), "Welcome to Tarrowin");
    w->taskMove(4);
    EXPECT_EQ(w->Options1(3)->text(), "Extract Icons, Original icons collection.");
    EXPECT_LE(w->Options1(3)->fontMetrics().horizontalAdvance(w->Options1(3)->text()), w->Options1(3)->width())
        << "the longest title fits";
}

TEST(ShellWelcome, TasksAndRoundButtons) {
    ShellFixture f(" 0", " 0");
    f.shell->start();
    for (int i : {0, 1, 2, 4}) emit f.shell->welcome()->taskReleased(i);
    EXPECT_EQ(f.tasks.opened, (std::vector<std::pair<Task, bool>>{
                                  {Task::Desktop, false}, {Task::Folder, false}, {Task::Creator, false}, {Task::Browser, false}}));
    emit f.shell->welcome()->taskReleased(3);
    ASSERT_EQ(f.platform.started.size(), 1u);
    EXPECT_EQ(f.platform.started[0], f.m_dir.path().toStdString() + "\\Lockwarden.exe");
    EXPECT_TRUE(f.platform.messages.empty());
    f.platform.startSucceeds = false;
    emit f.shell->welcome()->taskReleased(3);
    EXPECT_EQ(f.platform.messages.size(), 1u) << "a missing program is told";

    f.shell->roundPressed(1);
    f.shell->roundReleased(1);
    ASSERT_EQ(f.platform.opened.size(), 1u);
    EXPECT_EQ(f.platform.opened[0].rfind("http", 0), 0u);
}

TEST(ShellMenu, RowsHighlightAndRun) {
    ShellFixture f(" 0", " 1");
    f.shell->start();
    FromSkins* m = f.shell->menu();
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(m->MenuButton_cap(i)->text(), FromSkins::kRowCaptions[static_cast<std::size_t>(i)]);
        EXPECT_FALSE(m->MenuButton_pic(i)->pixmap().isNull()) << "row icon " << i;
    }
    m->highlightRow(0);
    m->highlightRow(3);
    int highlighted = 0;
    for (int i = 0; i < 5; ++i) highlighted += m->MenuButton_moveBg(i)->pixmap().isNull() ? 0 : 1;
    EXPECT_EQ(highlighted, 1);
    EXPECT_FALSE(m->MenuButton_moveBg(3)->pixmap().isNull());
    EXPECT_EQ(m->HoverRow(), 3);

    for (int i : {0, 1, 2, 4}) emit m->rowClicked(i);
    EXPECT_EQ(f.tasks.opened, (std::vector<std::pair<Task, bool>>{
                                  {Task::Folder, true}, {Task::Desktop, true}, {Task::Creator, true}, {Task::Browser, true}}));
    emit m->rowClicked(3);
    EXPECT_EQ(f.platform.started.size(), 1u);
}

TEST(ShellMenu, RowIconsComeFromDataIcoInReverseOrder) {
    ShellFixture f(" 0", " 1");
    f.shell->start();
    FromSkins* m = f.shell->menu();
    ASSERT_GE(m->Trb_toolBar()->ItemCount(), 5);
    for (int i = 0; i < 5; ++i) {
        QImage expected(25, 25, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::transparent);
        m->Trb_toolBar()->Ex_toolbar(expected, 5 - i);
        EXPECT_EQ(m->MenuButton_pic(i)->pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied), expected)
            << "row " << i;
    }
}

TEST(ShellSkins, CyclingReachesEveryWindowAndIsSavedOnClose) {
    ShellFixture f(" 2", " 1");
    f.shell->start();
    FromSkins* m = f.shell->menu();
    std::vector<int> seen;
    for (int k = 0; k < 4; ++k) {
        f.shell->nextSkin();
        seen.push_back(f.state.CurrentSkin);
        EXPECT_EQ(m->picture().cacheKey(), skinPicture(SkinWindow::Menu, f.state.CurrentSkin).cacheKey());
        EXPECT_EQ(m->size(), QSize(237, 395));
    }
    EXPECT_EQ(seen, std::vector<int>({3, 0, 1, 2}));
    EXPECT_EQ(f.tasks.skins, std::vector<int>({2, 3, 0, 1, 2}));
    // Nothing is written at the moment of the change; closing writes both.
    EXPECT_EQ(f.config("skins"), "2");
    f.shell->nextSkin();
    emit m->closeClicked();
    EXPECT_EQ(f.config("skins"), "3");
    EXPECT_EQ(f.config("selskins"), "1");
    EXPECT_EQ(f.quits, 1);
}

TEST(ShellSkins, OutOfRangeSkinComesBackIntoRange) {
    ShellFixture f(" 0", " 1");
    f.shell->start();
    f.state.CurrentSkin = -5;
    f.shell->nextSkin();
    EXPECT_EQ(f.state.CurrentSkin, 3);
    f.state.CurrentSkin = 9;
    f.shell->nextSkin();
    EXPECT_EQ(f.state.CurrentSkin, 0);
}

TEST(ShellMenu, ActivationShowsAHiddenMenu) {
    ShellFixture f(" 0", " 0");
    f.shell->start();
    ASSERT_FALSE(f.shell->menu()->isVisible());
    f.shell->activateMenu();
    EXPECT_TRUE(f.shell->menu()->isVisible());
}

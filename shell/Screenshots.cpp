#include "shell/Screenshots.h"

#include "core/HostPath.h"
#include "settings/ConfigFile.h"
#include "settings/ProgramFolder.h"
#include "shell/ProgramFiles.h"
#include "shell/Shell.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>

#include <filesystem>

namespace tarrowin {

namespace {

class QuietPlatformContext : public PlatformContext {
public:
    MessageResult messageBox(QWidget*, const QString&, const QString&, MessageIcon, MessageButtons) override {
        return MessageResult::Ok;
    }
    void openDocument(QWidget*, const std::string&) override {}
    LaunchResult startProgram(const std::string&) override { return {}; }
};

// A window as it shows on the desktop: cut-out pixels transparent.
QImage shot(QWidget* w) {
    if (auto* skinned = qobject_cast<SkinnedWindow*>(w)) return skinned->snapshot();
    return w->grab().toImage();
}

bool savePng(const QImage& image, const QString& dir, const QString& name) {
    return image.save(QDir(dir).filePath(name), "PNG");
}

} // namespace

int takeScreenshots(const QString& dir) {
    QDir().mkpath(dir);
    QTemporaryDir folder;
    if (!folder.isValid()) return 1;
    // A folder of its own, addressed as host paths written with "\".
    const std::string previous = ProgramFolder();
    setHostPathResolver([](std::string_view p) {
        std::string s(p);
        for (char& c : s)
            if (c == '\\') c = '/';
        return std::filesystem::path(s);
    });
    setProgramFolder(folder.path().toStdString());
    ensureProgramFiles(ProgramFolder());
    WriteConfigValue(" 0", "skins");
    WriteConfigValue(" 0", "selskins");

    QuietPlatformContext platform;
    TaskWindows tasks;
    AppState state;
    ShellOptions options;
    options.singleInstance = false;
    options.fetchInfo = false;
    bool ok = true;
    {
        Shell shell(state, platform, tasks, options);
        shell.quit = {};
        shell.start();
        {
            frmSplash loading;
            ok &= savePng(shot(&loading), dir, "splash_loading.png");
        }
        ok &= savePng(shot(shell.splash()), dir, "splash_loaded.png");
        ok &= savePng(shot(shell.welcome()), dir, "welcome.png");
        shell.welcome()->taskMove(2);
        shell.welcome()->roundMove(2);
        ok &= savePng(shot(shell.welcome()), dir, "welcome_hover_create.png");
        shell.welcome()->taskMove(4);
        shell.welcome()->roundMove(0);
        ok &= savePng(shot(shell.welcome()), dir, "welcome_hover_collections.png");
        shell.showAbout();
        ok &= savePng(shot(shell.splash()), dir, "splash_about.png");

        FromSkins* menu = shell.menu();
        if (!menu) return 1;
        menu->OnlineInfo()->setHtml(QStringLiteral(
            "<b>Tarrowin 6.1</b> is the latest version.<br>Three new icon collections are ready to download."));
        const std::pair<SkinWindow, const char*> windows[] = {{SkinWindow::Folder, "folder"},
                                                              {SkinWindow::Desktop, "desktop"},
                                                              {SkinWindow::Browser, "browser"},
                                                              {SkinWindow::Creator, "creator"}};
        for (int n = 0; n < kSkinCount; ++n) {
            shell.applySkinToAll(n);
            menu->highlightRow((n + 1) % 5);
            ok &= savePng(shot(menu), dir, QStringLiteral("menu_skin%1.png").arg(n));
            for (const auto& [which, name] : windows) {
                SkinnedWindow w;
                w.ApplySkin(which, n);
                ok &= savePng(shot(&w), dir, QStringLiteral("%1_skin%2.png").arg(QLatin1String(name)).arg(n));
            }
        }
    }
    setProgramFolder(previous);
    return ok ? 0 : 1;
}

} // namespace tarrowin

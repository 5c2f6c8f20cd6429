#include "core/HostPath.h"
#include "settings/ProgramFolder.h"
#include "shell/DesktopPlatformContext.h"
#include "shell/ProgramFiles.h"
#include "shell/Screenshots.h"
#include "shell/Shell.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstring>
#include <string>

namespace {

// --screenshots DIR renders every window to PNG files instead of starting.
const char* screenshotDir(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--screenshots") == 0) return argv[i + 1];
    return nullptr;
}

// Until the Windows environment in a folder is set up here, program paths are
// host paths written with "\" and the program folder is a folder of the user's.
void useHostProgramFolder() {
    tarrowin::setHostPathResolver([](std::string_view p) {
        std::string s(p);
        for (char& c : s)
            if (c == '\\') c = '/';
        return std::filesystem::path(s);
    });
    QString folder = qEnvironmentVariable("TARROWIN_PROGRAM_FOLDER");
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/tarrowin/program");
    QDir().mkpath(folder);
    tarrowin::setProgramFolder(QDir::cleanPath(folder).toStdString());
}

} // namespace

int main(int argc, char** argv) {
    const char* shots = screenshotDir(argc, argv);
    if (shots && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarrowin"));
    QApplication::setQuitOnLastWindowClosed(false);
    useHostProgramFolder();
    if (shots) return tarrowin::takeScreenshots(QString::fromLocal8Bit(shots));

    tarrowin::ensureProgramFiles(tarrowin::ProgramFolder());
    tarrowin::AppState state;
    tarrowin::DesktopPlatformContext platform;
    tarrowin::TaskWindows tasks;
    tarrowin::Shell shell(state, platform, tasks);
    if (shell.start() == tarrowin::Shell::Start::HandedOver) return 0;
    return app.exec();
}

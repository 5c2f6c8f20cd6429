#include "platform/Environment.h"
#include "platform/QtPlatformContext.h"
#include "settings/ProgramFolder.h"
#include "shell/ProgramFiles.h"
#include "shell/Screenshots.h"
#include "shell/Shell.h"

#include <QApplication>
#include <QMessageBox>

#include <cstring>

namespace {

// --screenshots DIR renders every window to PNG files instead of starting.
const char* screenshotDir(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--screenshots") == 0) return argv[i + 1];
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    const char* shots = screenshotDir(argc, argv);
    if (shots && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarrowin"));
    // The shell's windows come and go (the welcome screen hides when the menu
    // shows); the program ends only through its own end.
    QApplication::setQuitOnLastWindowClosed(false);
    if (shots) return tarrowin::takeScreenshots(QString::fromLocal8Bit(shots));

    // The Windows environment (--prefix DIR, TARROWIN_PREFIX, or the default one)
    // must be in place before anything reads a path, a setting or the registry.
    QString problem;
    const auto environment = tarrowin::startEnvironment(QApplication::arguments(), &problem);
    if (!environment) {
        QMessageBox::critical(nullptr, QStringLiteral("Tarrowin"), problem);
        return 1;
    }

    tarrowin::ensureProgramFiles(tarrowin::ProgramFolder());
    tarrowin::AppState state;
    tarrowin::QtPlatformContext platform(environment->prefix());
    tarrowin::TaskWindows tasks;
    tarrowin::Shell shell(state, platform, tasks);
    if (shell.start() == tarrowin::Shell::Start::HandedOver) return 0;
    return app.exec();
}

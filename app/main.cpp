#include "cli/CommandLine.h"
#include "platform/Environment.h"
#include "platform/PictureReader.h"
#include "platform/QtPlatformContext.h"
#include "settings/ProgramFolder.h"
#include "shell/ProgramFiles.h"
#include "shell/Screenshots.h"
#include "shell/Shell.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

// True when one of the arguments is a picture that is drawn rather than decoded.
bool needsGuiToRead(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        QFile file(QString::fromStdString(arg));
        if (!file.open(QIODevice::ReadOnly)) continue;
        const auto format = tarrowin::sniffPictureFormat(file.read(4096), file.fileName());
        if (format == tarrowin::PictureFormat::Emf || format == tarrowin::PictureFormat::Svg) return true;
    }
    return false;
}

// The command-line verbs run without a window and without the Windows
// environment: their paths are this machine's own.
int runVerbs(int argc, char** argv, const std::vector<std::string>& args) {
    // The verbs speak for themselves on standard error; Qt's own chatter would only
    // confuse scripts that read it.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtFatalMsg) std::cerr << text.toStdString() << '\n';
    });
    if (args[0] == "create" && needsGuiToRead(args)) {
        // Drawing metafiles and SVG (their text) needs a GUI application, never a display.
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        QGuiApplication app(argc, argv);
        return tarrowin::runCommandLine(args, std::cout, std::cerr);
    }
    QCoreApplication app(argc, argv);
    return tarrowin::runCommandLine(args, std::cout, std::cerr);
}

// --screenshots DIR renders every window to PNG files instead of starting.
const char* screenshotDir(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--screenshots") == 0) return argv[i + 1];
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (tarrowin::isCommandLineInvocation(args)) return runVerbs(argc, argv, args);

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

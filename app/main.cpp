#include "cli/CommandLine.h"
#include "platform/Environment.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

// The command-line verbs run without a window and without the Windows
// environment: their paths are this machine's own.
int runVerbs(int argc, char** argv, const std::vector<std::string>& args) {
    if (args[0] == "create") {
        // Reading metafiles and drawing text need a GUI application, never a display.
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        QGuiApplication app(argc, argv);
        return tarrowin::runCommandLine(args, std::cout, std::cerr);
    }
    QCoreApplication app(argc, argv);
    return tarrowin::runCommandLine(args, std::cout, std::cerr);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (tarrowin::isCommandLineInvocation(args)) return runVerbs(argc, argv, args);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarrowin"));

    // The Windows environment (--prefix DIR, TARROWIN_PREFIX, or the default one)
    // must be in place before anything reads a path, a setting or the registry.
    QString problem;
    const auto environment = tarrowin::startEnvironment(QApplication::arguments(), &problem);
    if (!environment) {
        QMessageBox::critical(nullptr, QStringLiteral("Tarrowin"), problem);
        return 1;
    }

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tarrowin"));
    auto* label = new QLabel(QStringLiteral("Tarrowin"), &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(480, 320);
    window.show();
    return app.exec();
}

#include "cli/CommandLine.h"
#include "platform/Environment.h"
#include "platform/PictureReader.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>

#include <cstdlib>
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

#include "platform/Environment.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>

int main(int argc, char** argv) {
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

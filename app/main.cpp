#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarrowin"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tarrowin"));
    auto* label = new QLabel(QStringLiteral("Tarrowin"), &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(480, 320);
    window.show();
    return app.exec();
}

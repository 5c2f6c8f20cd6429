#include "widgets/Art.h"

#include <QFile>

#include <stdexcept>

namespace tarrowin {

QPixmap artPicture(const QString& name) {
    return QPixmap(QStringLiteral(":/art/") + name);
}

QByteArray artFile(const QString& name) {
    QFile f(QStringLiteral(":/art/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

namespace {
const char* skinStem(SkinWindow window) {
    switch (window) {
    case SkinWindow::Menu: return "menu";
    case SkinWindow::Folder: return "folder";
    case SkinWindow::Desktop: return "desktop";
    case SkinWindow::Browser: return "browser";
    case SkinWindow::Creator: return "creator";
    }
    return "menu";
}
} // namespace

QSize skinSize(SkinWindow window) {
    switch (window) {
    case SkinWindow::Menu: return {237, 395};
    case SkinWindow::Folder: return {450, 380};
    case SkinWindow::Desktop: return {529, 505};
    case SkinWindow::Browser: return {600, 516};
    case SkinWindow::Creator: return {508, 464};
    }
    return {};
}

QPixmap skinPicture(SkinWindow window, int n) {
    if (n < 0 || n >= kSkinCount) throw std::out_of_range("no skin picture " + std::to_string(n));
    return artPicture(QStringLiteral("skin_%1_%2.png").arg(QLatin1String(skinStem(window))).arg(n));
}

} // namespace tarrowin

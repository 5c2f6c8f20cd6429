#include "widgets/SkinnedWindow.h"

#include "widgets/Fonts.h"
#include "widgets/OleColor.h"

#include <QPainter>

namespace tarrowin {

SkinnedWindow::SkinnedWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::Tool) {
    setFont(uiFont(8.25));
    m_transparent = new Transparent(this);
    m_transparent->SetMaskColor(oleColor(kMaskMagenta));
    m_mover = new WindowMover(this, this);
}

void SkinnedWindow::SetPicture(const QPixmap& picture) {
    m_picture = picture;
    m_transparent->SetMaskPicture(m_picture);
    update();
}

void SkinnedWindow::ApplySkin(SkinWindow which, int n) {
    SetPicture(skinPicture(which, n));
}

QImage SkinnedWindow::snapshot() {
    QImage shot = grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QRegion shape = mask();
    if (shape.isEmpty()) return shot;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (!shape.contains(QPoint(x, y))) shot.setPixel(x, y, 0);
    return shot;
}

void SkinnedWindow::paintEvent(QPaintEvent*) {
    if (m_picture.isNull()) return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

} // namespace tarrowin

#include "widgets/Transparent.h"

#include "widgets/OleColor.h"
#include "widgets/ucCustomButton.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace tarrowin {

Transparent::Transparent(QWidget* container) : QWidget(container), m_maskColor(oleColor(kSysButtonFace)) {
    resize(25, 17);
    hide();
}

void Transparent::SetMaskColor(const QColor& colour) {
    m_maskColor = colour;
    reshape();
    emit PropertyChanged(QStringLiteral("MaskColor"));
}

void Transparent::SetMaskPicture(const QPixmap& picture) {
    m_maskPicture = picture;
    reshape();
    update();
    emit PropertyChanged(QStringLiteral("MaskPicture"));
}

void Transparent::ReadProperties(const PropertyBag& bag) {
    SetMaskColor(oleColor(bag.ReadProperty(QStringLiteral("MaskColor"), kSysButtonFace).toUInt()));
    SetMaskPicture(bag.ReadProperty(QStringLiteral("MaskPicture")).value<QPixmap>());
}

void Transparent::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty(QStringLiteral("MaskColor"), toOleColor(m_maskColor), kSysButtonFace);
    bag.WriteProperty(QStringLiteral("MaskPicture"), m_maskPicture);
}

QRegion Transparent::outlineOf(const QImage& picture, QRgb mask) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    QImage bits(image.size(), QImage::Format_MonoLSB);
    bits.setColorCount(2);
    bits.setColor(0, qRgb(255, 255, 255));
    bits.setColor(1, qRgb(0, 0, 0));
    bits.fill(0);
    const QRgb key = mask & 0x00FFFFFFu;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* out = bits.scanLine(y);
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] & 0x00FFFFFFu) != key) out[x >> 3] = static_cast<uchar>(out[x >> 3] | (1u << (x & 7)));
    }
    // A bitmap region keeps its set (colour 1) pixels.
    return QRegion(QBitmap::fromImage(bits));
}

void Transparent::reshape() {
    if (m_maskPicture.isNull()) return;
    QWidget* container = parentWidget();
    resize(m_maskPicture.size());
    move(0, 0);
    if (!container) return;
    container->setFixedSize(m_maskPicture.size());
    // Let the resize reach the platform window before the outline is set on it.
    QCoreApplication::processEvents();
    container->setMask(outlineOf(m_maskPicture.toImage(), m_maskColor.rgb()));
    container->update();
}

void Transparent::paintEvent(QPaintEvent*) {
    if (m_maskPicture.isNull()) return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_maskPicture);
}

void Transparent::mousePressEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    emit MouseDown(mouseButtonCode(event->button()), shiftCode(event->modifiers()), float(p.x()), float(p.y()));
}

void Transparent::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    emit MouseMove(mouseButtonCode(event->buttons()), shiftCode(event->modifiers()), float(p.x()), float(p.y()));
}

void Transparent::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    emit MouseUp(mouseButtonCode(event->button()), shiftCode(event->modifiers()), float(p.x()), float(p.y()));
}

} // namespace tarrowin

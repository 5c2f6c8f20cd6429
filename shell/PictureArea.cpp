#include "shell/PictureArea.h"

#include "widgets/ucCustomButton.h"

#include <QMouseEvent>

namespace tarrowin {

PictureArea::PictureArea(QWidget* parent, const QRect& geometry) : QLabel(parent) {
    setGeometry(geometry);
    setMouseTracking(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PictureArea::mouseMoveEvent(QMouseEvent*) {
    emit moved();
}

void PictureArea::mousePressEvent(QMouseEvent* event) {
    emit pressed(mouseButtonCode(event->button()));
}

void PictureArea::mouseReleaseEvent(QMouseEvent* event) {
    emit released(mouseButtonCode(event->button()));
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

} // namespace tarrowin

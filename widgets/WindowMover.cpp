#include "widgets/WindowMover.h"

#include <QMouseEvent>
#include <QWindow>

namespace tarrowin {

WindowMover::WindowMover(QWidget* window, QWidget* handle) : QObject(handle), m_window(window) {
    handle->installEventFilter(this);
}

bool WindowMover::begin(QMouseEvent* event) {
    if (!m_window || event->button() != Qt::LeftButton || event->buttons() != Qt::LeftButton) return false;
    QWindow* native = m_window->windowHandle();
    if (native && native->startSystemMove()) return true;
    m_following = true;
    m_grabOffset = event->globalPosition().toPoint() - m_window->frameGeometry().topLeft();
    return true;
}

bool WindowMover::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        begin(static_cast<QMouseEvent*>(event));
        break;
    case QEvent::MouseMove:
        if (m_following && m_window) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->buttons() & Qt::LeftButton)
                m_window->move(mouse->globalPosition().toPoint() - m_grabOffset);
            else
                m_following = false;
        }
        break;
    case QEvent::MouseButtonRelease:
        m_following = false;
        break;
    default:
        break;
    }
    return false;
}

} // namespace tarrowin

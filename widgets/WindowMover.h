#pragma once

// Moving a borderless window by dragging its picture. A left press on the
// watched widget hands the window to the window manager's own move loop; where
// there is none (a bare X server, some Wayland set-ups) the window follows the
// mouse itself until the button is released. Other buttons do nothing.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

namespace tarrowin {

class WindowMover : public QObject {
    Q_OBJECT
public:
    // Watches `handle` (the window itself or one of its labels) and moves `window`.
    WindowMover(QWidget* window, QWidget* handle);

    // Starts a move for a press already received; false for any button but the left.
    bool begin(QMouseEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
    bool m_following = false;
    QPoint m_grabOffset;
};

} // namespace tarrowin

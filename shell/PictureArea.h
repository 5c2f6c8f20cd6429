#pragma once

// A picture area of the shell's windows: empty at rest, it shows a hover picture
// when told to and reports the mouse moving, pressing and releasing over it.

#include <QLabel>

namespace tarrowin {

class PictureArea : public QLabel {
    Q_OBJECT
public:
    explicit PictureArea(QWidget* parent, const QRect& geometry);

signals:
    void moved();
    void pressed(int button);
    void released(int button);
    void clicked();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace tarrowin

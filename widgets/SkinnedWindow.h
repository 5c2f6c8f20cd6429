#pragma once

// A borderless window that takes its look and its outline from a background
// picture: the picture is painted as the background, and its Transparent1 control
// sizes the window to the picture and cuts away the magenta pixels. A left press
// on the background moves the window. The welcome screen, the main menu and the
// four task windows are all of this kind; the skinnable ones change picture with
// ApplySkin.

#include "widgets/Art.h"
#include "widgets/Transparent.h"
#include "widgets/WindowMover.h"

#include <QWidget>

namespace tarrowin {

class SkinnedWindow : public QWidget {
    Q_OBJECT
public:
    explicit SkinnedWindow(QWidget* parent = nullptr);

    const QPixmap& picture() const { return m_picture; }
    // The background picture; Transparent1 then reshapes the window to it.
    void SetPicture(const QPixmap& picture);
    // Wears skin n; throws std::out_of_range (and changes nothing) for a skin
    // the window has no picture for.
    void ApplySkin(SkinWindow which, int n);

    Transparent* Transparent1() const { return m_transparent; }
    WindowMover* mover() const { return m_mover; }

    // The window as it looks on screen: cut-out pixels transparent.
    QImage snapshot();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
    Transparent* m_transparent;
    WindowMover* m_mover;
};

} // namespace tarrowin

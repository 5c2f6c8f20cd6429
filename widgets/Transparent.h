#pragma once

// Gives the window that holds it (its container) the outline of a picture: the
// container takes the picture's size and keeps exactly the pixels that are not
// of the mask colour. Cut-out pixels are neither drawn nor hit by the mouse, so a
// click there reaches whatever lies behind. The control itself stays hidden.

#include "widgets/PropertyBag.h"

#include <QColor>
#include <QPixmap>
#include <QRegion>
#include <QWidget>

namespace tarrowin {

class Transparent : public QWidget {
    Q_OBJECT
public:
    explicit Transparent(QWidget* container);

    QColor MaskColor() const { return m_maskColor; }
    void SetMaskColor(const QColor& colour);
    const QPixmap& MaskPicture() const { return m_maskPicture; }
    // Reshapes the container; an empty picture leaves its size and outline alone.
    void SetMaskPicture(const QPixmap& picture);

    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // Every pixel of `picture` whose colour (alpha ignored) differs from `mask`.
    static QRegion outlineOf(const QImage& picture, QRgb mask);

signals:
    void MouseDown(short button, short shift, float x, float y);
    void MouseMove(short button, short shift, float x, float y);
    void MouseUp(short button, short shift, float x, float y);
    void PropertyChanged(const QString& key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void reshape();

    QColor m_maskColor;
    QPixmap m_maskPicture;
};

} // namespace tarrowin

#pragma once

// Drawing the images of a cFileIcon with Qt: the platform icon, the picture, and
// drawing onto a device context with the classic raster operations.

#include "icon/cFileIcon.h"

#include <QImage>
#include <QPixmap>

#include <cstdint>
#include <optional>

class QPainter;
class QPaintDevice;

namespace tarrowin {

// The raster operations of the platform's block transfers, with their codes.
enum class RasterOp : std::uint32_t {
    SrcCopy = 0x00CC0020,
    SrcPaint = 0x00EE0086,
    SrcAnd = 0x008800C6,
    SrcInvert = 0x00660046,
    SrcErase = 0x00440328,
    NotSrcCopy = 0x00330008,
    NotSrcErase = 0x001100A6,
    MergePaint = 0x00BB0226,
    Blackness = 0x00000042,
    Whiteness = 0x00FF0062,
};

enum class IconImageType { Colour = 0, Mask = 1 };

// A device context: a surface plus the painter that draws on it. Raster
// operations other than a plain copy need a QImage surface (RGB32 or
// ARGB32_Premultiplied); on other devices they fall back to drawing over.
class DeviceContext {
public:
    explicit DeviceContext(QImage& surface) : m_image(&surface), m_device(&surface) {}
    explicit DeviceContext(QPaintDevice& device) : m_device(&device) {}
    QPaintDevice* device() const { return m_device; }
    QImage* image() const { return m_image; }

private:
    QImage* m_image = nullptr;
    QPaintDevice* m_device = nullptr;
};

// The colour bitmap of image nIndex as its record holds it (RGB32 below 32 bits,
// ARGB32 for 32 bits), or its mask as a 1-bit image (black opaque, white
// transparent). PNG records decode to ARGB32 and get a mask from their alpha.
// Null when the record cannot be decoded.
QImage iconColourImage(const cFileIcon& icon, int nIndex);
QImage iconMaskImage(const cFileIcon& icon, int nIndex);

// Image nIndex composed with its mask, ARGB32 premultiplied: the platform icon.
// The caller owns it; a null image stands for the handle 0 (no such image, or a
// record that cannot be decoded).
QImage IconHandle(const cFileIcon& icon, int nIndex);

// The same as a picture object; none when IconHandle fails. Needs a GUI application.
std::optional<QPixmap> IconPicture(const cFileIcon& icon, int nIndex);

// Draws the colour image or the mask of image nIndex at (x, y) with a raster
// operation; a non-zero lWidth or lHeight stretches it (0 in one of them keeps the
// image's own size in that direction). A record that cannot be decoded draws nothing.
void DrawIconImage(const cFileIcon& icon, DeviceContext& hdc, int nIndex, IconImageType eType, int x, int y,
                   int lWidth, int lHeight, RasterOp eRasterOp);

// Draws image nIndex with its transparency into `target`, scaled smoothly when
// the sizes differ: how lists, grids and menus show an icon.
void drawIcon(QPainter& painter, const cFileIcon& icon, int nIndex, const QRect& target);

// The image of `icon` that best fits a square of `size` pixels: the exact size
// with the deepest colour, else the smallest larger one, else the largest.
int bestImageFor(const cFileIcon& icon, int size);

} // namespace tarrowin

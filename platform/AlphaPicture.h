#pragma once

// The device-context side of cAlphaDIBSection, over QImage and QPainter. The pixel
// work lives in imaging/; this adapter lets Qt draw into a picture, copies Qt images
// into one, and paints one onto any QPainter with the platform's alpha blend.
//
// Coordinates here are those of a drawing surface: (0, 0) is the top left pixel, y
// grows downwards. The picture keeps its rows bottom-up, so its top row is the last
// row of its bits; the functions below do the flip.

#include "imaging/cAlphaDIBSection.h"

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <optional>

class QPixmap;

namespace tarrowin {

// Raster operations of a block copy, applied to all four bytes of each pixel.
enum class RasterOp : std::uint32_t {
    SrcCopy = 0x00CC0020,
    SrcPaint = 0x00EE0086, // or
    SrcAnd = 0x008800C6,
    SrcInvert = 0x00660046, // exclusive or
};

// A QImage over the picture's own bits (no copy), colours taken as premultiplied by
// alpha. It shows the picture upside down; valid while the picture is not recreated.
QImage alphaPictureBits(cAlphaDIBSection& picture);

// The picture as a top-down image (a copy), colours taken as premultiplied.
QImage alphaPictureToImage(const cAlphaDIBSection& picture);

// The picture's drawing context (its hdc): a painter over the picture's bits in
// top-down coordinates. Whatever Qt draws lands in the bits directly.
class AlphaPictureDC {
public:
    explicit AlphaPictureDC(cAlphaDIBSection& picture);
    AlphaPictureDC(const AlphaPictureDC&) = delete;
    AlphaPictureDC& operator=(const AlphaPictureDC&) = delete;

    // False for an empty picture, which cannot be drawn into.
    bool isActive() const { return m_painter.isActive(); }
    QPainter& painter() { return m_painter; }

private:
    QImage m_bits;
    QPainter m_painter;
};

// Makes `picture` the size of the image and copies the image in. False (and an empty
// picture) when the image is null or the picture cannot be made. The copied pixels
// keep the image's alpha, unpremultiplied: opaque images give alpha 255 (callers
// that need other alpha set it afterwards, as the icon creator does with SetAlpha).
bool CreateFromHBitmap(cAlphaDIBSection& picture, const QImage& hBmp);
bool CreateFromPicture(cAlphaDIBSection& picture, const QPixmap& picThis);

// Copies lSrcWidth x lSrcHeight pixels from (lSrcLeft, lSrcTop) of `source` to the top
// left corner of `picture`; a negative width or height stands for the picture's
// own. Only the part that lies inside both is copied; the rest stays as it was.
void LoadPictureBlt(cAlphaDIBSection& picture, const QImage& source, int lSrcLeft, int lSrcTop,
                    int lSrcWidth = -1, int lSrcHeight = -1, RasterOp eRop = RasterOp::SrcCopy);

// Alpha-blends part of `picture` onto `dest` as the platform's blend does: source
// over, each pixel's colours taken as already multiplied by its alpha, and the whole
// scaled by lConstantAlpha (0 to 255). A negative destination width or height stands
// for the picture's own, a negative source width or height for the destination's.
// A source rectangle that does not lie inside the picture, or an empty one, draws
// nothing (the platform call fails, and the failure is not reported).
void AlphaPaintPicture(const cAlphaDIBSection& picture, QPainter& dest, int lDestLeft,
                       int lDestTop, int lDestWidth = -1, int lDestHeight = -1,
                       int lSrcLeft = 0, int lSrcTop = 0, int lSrcWidth = -1,
                       int lSrcHeight = -1, int lConstantAlpha = 255);

// The desktop palette's colour for system colour `index` (0x00BBGGRR), read from the
// application's palette; nothing for an index without a colour.
std::optional<std::uint32_t> desktopSystemColour(int index);

// Makes system-colour references (0x800000nn) in the pixel operations translate to
// the desktop palette's colours. Called once the application object exists.
void useDesktopPaletteForSystemColours();

} // namespace tarrowin

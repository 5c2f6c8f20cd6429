#include "platform/AlphaPicture.h"

#include "imaging/SystemColour.h"

#include <QGuiApplication>
#include <QPalette>
#include <QPixmap>

#include <algorithm>
#include <cstring>

namespace tarrowin {

namespace {

// Qt's premultiplied 32-bit format keeps each pixel as 0xAARRGGBB in a native
// 32-bit word: blue, green, red, alpha in memory on a little-endian machine, the
// picture's own byte order.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "pixel byte order assumes little-endian");
constexpr QImage::Format kPictureFormat = QImage::Format_ARGB32_Premultiplied;

std::uint8_t* rowFromTop(cAlphaDIBSection& picture, int row) {
    return picture.DIBSectionBitsPtr() +
           std::size_t(picture.Height() - 1 - row) * std::size_t(picture.BytesPerScanLine());
}

std::uint8_t applyRop(RasterOp op, std::uint8_t dst, std::uint8_t src) {
    switch (op) {
    case RasterOp::SrcPaint: return static_cast<std::uint8_t>(dst | src);
    case RasterOp::SrcAnd: return static_cast<std::uint8_t>(dst & src);
    case RasterOp::SrcInvert: return static_cast<std::uint8_t>(dst ^ src);
    case RasterOp::SrcCopy: break;
    }
    return src;
}

} // namespace

QImage alphaPictureBits(cAlphaDIBSection& picture) {
    if (picture.IsEmpty()) return {};
    return QImage(picture.DIBSectionBitsPtr(), picture.Width(), picture.Height(),
                  picture.BytesPerScanLine(), kPictureFormat);
}

QImage alphaPictureToImage(const cAlphaDIBSection& picture) {
    if (picture.IsEmpty()) return {};
    const QImage bits(picture.DIBSectionBitsPtr(), picture.Width(), picture.Height(),
                      picture.BytesPerScanLine(), kPictureFormat);
    return bits.mirrored(false, true);
}

AlphaPictureDC::AlphaPictureDC(cAlphaDIBSection& picture) : m_bits(alphaPictureBits(picture)) {
    if (m_bits.isNull()) return;
    m_painter.begin(&m_bits);
    // Top-down drawing coordinates onto bottom-up rows.
    m_painter.translate(0, picture.Height());
    m_painter.scale(1, -1);
}

bool CreateFromHBitmap(cAlphaDIBSection& picture, const QImage& hBmp) {
    if (hBmp.isNull() || !picture.Create(hBmp.width(), hBmp.height())) {
        picture.ClearUp();
        return false;
    }
    LoadPictureBlt(picture, hBmp, 0, 0, hBmp.width(), hBmp.height(), RasterOp::SrcCopy);
    return true;
}

bool CreateFromPicture(cAlphaDIBSection& picture, const QPixmap& picThis) {
    return CreateFromHBitmap(picture, picThis.toImage());
}

void LoadPictureBlt(cAlphaDIBSection& picture, const QImage& source, int lSrcLeft, int lSrcTop,
                    int lSrcWidth, int lSrcHeight, RasterOp eRop) {
    if (picture.IsEmpty() || source.isNull()) return;
    const int width = lSrcWidth < 0 ? picture.Width() : lSrcWidth;
    const int height = lSrcHeight < 0 ? picture.Height() : lSrcHeight;
    // The part of the requested rectangle that lies inside the source and, placed at
    // the picture's top left corner, inside the picture.
    const QRect wanted = QRect(lSrcLeft, lSrcTop, std::min(width, picture.Width()),
                               std::min(height, picture.Height()));
    const QRect inside = wanted & source.rect();
    if (inside.isEmpty()) return;
    const QImage pixels = source.copy(inside).convertToFormat(QImage::Format_ARGB32);
    const int dx = inside.left() - lSrcLeft, dy = inside.top() - lSrcTop;
    for (int row = 0; row < pixels.height(); ++row) {
        const uchar* from = pixels.constScanLine(row);
        std::uint8_t* to = rowFromTop(picture, dy + row) + std::size_t(dx) * 4;
        const std::size_t bytes = std::size_t(pixels.width()) * 4;
        if (eRop == RasterOp::SrcCopy) {
            std::memcpy(to, from, bytes);
        } else {
            for (std::size_t i = 0; i < bytes; ++i) to[i] = applyRop(eRop, to[i], from[i]);
        }
    }
}

void AlphaPaintPicture(const cAlphaDIBSection& picture, QPainter& dest, int lDestLeft,
                       int lDestTop, int lDestWidth, int lDestHeight, int lSrcLeft, int lSrcTop,
                       int lSrcWidth, int lSrcHeight, int lConstantAlpha) {
    if (picture.IsEmpty() || !dest.isActive()) return;
    const int destWidth = lDestWidth < 0 ? picture.Width() : lDestWidth;
    const int destHeight = lDestHeight < 0 ? picture.Height() : lDestHeight;
    const int srcWidth = lSrcWidth < 0 ? destWidth : lSrcWidth;
    const int srcHeight = lSrcHeight < 0 ? destHeight : lSrcHeight;
    const QRect source(lSrcLeft, lSrcTop, srcWidth, srcHeight);
    if (destWidth <= 0 || destHeight <= 0 || source.isEmpty() ||
        !QRect(0, 0, picture.Width(), picture.Height()).contains(source))
        return;

    const QImage bits(picture.DIBSectionBitsPtr(), picture.Width(), picture.Height(),
                      picture.BytesPerScanLine(), kPictureFormat);
    dest.save();
    dest.setCompositionMode(QPainter::CompositionMode_SourceOver);
    dest.setOpacity(std::clamp(lConstantAlpha, 0, 255) / 255.0);
    // The bits are bottom-up: take the source rows from the bottom and draw them
    // flipped, so that no copy of the picture is made.
    dest.translate(lDestLeft, lDestTop + destHeight);
    dest.scale(1, -1);
    const QRect flipped(lSrcLeft, picture.Height() - lSrcTop - srcHeight, srcWidth, srcHeight);
    dest.drawImage(QRect(0, 0, destWidth, destHeight), bits, flipped);
    dest.restore();
}

std::optional<std::uint32_t> desktopSystemColour(int index) {
    if (!qGuiApp) return classicSystemColour(index);
    const QPalette palette = QGuiApplication::palette();
    auto colour = [&](QPalette::ColorGroup group, QPalette::ColorRole role) {
        const QColor c = palette.color(group, role);
        return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
               (static_cast<std::uint32_t>(c.blue()) << 16);
    };
    constexpr auto active = QPalette::Active, inactive = QPalette::Inactive,
                   disabled = QPalette::Disabled;
    switch (index) {
    case 0: return colour(active, QPalette::Button);           // scroll bar
    case 1: return colour(active, QPalette::Dark);             // desktop
    case 2: return colour(active, QPalette::Highlight);        // active caption
    case 3: return colour(inactive, QPalette::Mid);            // inactive caption
    case 4: return colour(active, QPalette::Window);           // menu
    case 5: return colour(active, QPalette::Base);             // window
    case 6: return colour(active, QPalette::Shadow);           // window frame
    case 7: return colour(active, QPalette::WindowText);       // menu text
    case 8: return colour(active, QPalette::Text);             // window text
    case 9: return colour(active, QPalette::HighlightedText);  // caption text
    case 10: return colour(active, QPalette::Window);          // active border
    case 11: return colour(inactive, QPalette::Window);        // inactive border
    case 12: return colour(active, QPalette::Mid);             // application workspace
    case 13: return colour(active, QPalette::Highlight);       // highlight
    case 14: return colour(active, QPalette::HighlightedText); // highlighted text
    case 15: return colour(active, QPalette::Button);          // button face
    case 16: return colour(active, QPalette::Dark);            // button shadow
    case 17: return colour(disabled, QPalette::Text);          // grey text
    case 18: return colour(active, QPalette::ButtonText);      // button text
    case 19: return colour(inactive, QPalette::HighlightedText); // inactive caption text
    case 20: return colour(active, QPalette::Light);           // button highlight
    case 21: return colour(active, QPalette::Shadow);          // 3D dark shadow
    case 22: return colour(active, QPalette::Midlight);        // 3D light
    case 23: return colour(active, QPalette::ToolTipText);     // tooltip text
    case 24: return colour(active, QPalette::ToolTipBase);     // tooltip background
    case 26: return colour(active, QPalette::Link);            // hot-tracked item
    case 27: return colour(active, QPalette::Highlight);       // active caption gradient
    case 28: return colour(inactive, QPalette::Highlight);     // inactive caption gradient
    case 29: return colour(active, QPalette::Highlight);       // menu highlight
    case 30: return colour(active, QPalette::Window);          // menu bar
    default: return std::nullopt;
    }
}

void useDesktopPaletteForSystemColours() { setSystemColourResolver(desktopSystemColour); }

} // namespace tarrowin

#include "platform/IconPainter.h"

#include "icon/IconImage.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <cstring>

namespace tarrowin {

namespace {

// PNG images inside icons are decoded by Qt; the reader's allocation limit (in MB)
// keeps a lying header from asking for gigabytes.
constexpr int kPngAllocationLimitMb = 256;

QImage decodePng(Bytes record) {
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(record.data()),
                                               static_cast<qsizetype>(record.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAllocationLimit(kPngAllocationLimitMb);
    QImage image = reader.read();
    if (image.isNull()) return {};
    return image.convertToFormat(QImage::Format_ARGB32);
}

std::optional<Bytes> recordOf(const cFileIcon& icon, int nIndex) {
    if (!icon.hasImage(nIndex)) return std::nullopt;
    return icon.imageRecord(nIndex);
}

QImage fromPixels(const std::vector<std::uint32_t>& pixels, int width, int height, QImage::Format format) {
    QImage image(width, height, format);
    if (image.isNull()) return {};
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                    static_cast<std::size_t>(width) * 4);
    return image;
}

QPainter::CompositionMode compositionFor(RasterOp op) {
    switch (op) {
    case RasterOp::SrcCopy: return QPainter::CompositionMode_Source;
    case RasterOp::SrcPaint: return QPainter::RasterOp_SourceOrDestination;
    case RasterOp::SrcAnd: return QPainter::RasterOp_SourceAndDestination;
    case RasterOp::SrcInvert: return QPainter::RasterOp_SourceXorDestination;
    case RasterOp::SrcErase: return QPainter::RasterOp_SourceAndNotDestination;
    case RasterOp::NotSrcCopy: return QPainter::RasterOp_NotSource;
    case RasterOp::NotSrcErase: return QPainter::RasterOp_NotSourceAndNotDestination;
    case RasterOp::MergePaint: return QPainter::RasterOp_NotSourceOrDestination;
    case RasterOp::Blackness: return QPainter::RasterOp_ClearDestination;
    case RasterOp::Whiteness: return QPainter::RasterOp_SetDestination;
    }
    return QPainter::CompositionMode_SourceOver;
}

bool isRasterOp(QPainter::CompositionMode mode) {
    return mode >= QPainter::RasterOp_SourceOrDestination;
}

} // namespace

QImage iconColourImage(const cFileIcon& icon, int nIndex) {
    const auto record = recordOf(icon, nIndex);
    if (!record) return {};
    if (iconRecordKind(*record) == IconRecordKind::Png) return decodePng(*record);
    const auto px = decodeIconBitmap(*record);
    if (!px) return {};
    return fromPixels(px->colour, px->width, px->height,
                      px->bitCount == 32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

QImage iconMaskImage(const cFileIcon& icon, int nIndex) {
    const auto record = recordOf(icon, nIndex);
    if (!record) return {};
    QImage mask;
    if (iconRecordKind(*record) == IconRecordKind::Png) {
        const QImage png = decodePng(*record);
        if (png.isNull()) return {};
        mask = QImage(png.size(), QImage::Format_Mono);
        mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        for (int y = 0; y < png.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(png.constScanLine(y));
            for (int x = 0; x < png.width(); ++x) mask.setPixel(x, y, qAlpha(line[x]) == 0 ? 1 : 0);
        }
        return mask;
    }
    const auto px = decodeIconBitmap(*record);
    if (!px) return {};
    mask = QImage(px->width, px->height, QImage::Format_Mono);
    if (mask.isNull()) return {};
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < px->height; ++y)
        for (int x = 0; x < px->width; ++x)
            mask.setPixel(x, y, px->mask[static_cast<std::size_t>(y * px->width + x)]);
    return mask;
}

QImage IconHandle(const cFileIcon& icon, int nIndex) {
    const auto record = recordOf(icon, nIndex);
    if (!record) return {};
    if (iconRecordKind(*record) == IconRecordKind::Png) {
        const QImage png = decodePng(*record);
        return png.isNull() ? QImage() : png.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    const auto px = decodeIconBitmap(*record);
    if (!px) return {};
    return fromPixels(composeIcon(*px), px->width, px->height, QImage::Format_ARGB32_Premultiplied);
}

std::optional<QPixmap> IconPicture(const cFileIcon& icon, int nIndex) {
    const QImage image = IconHandle(icon, nIndex);
    if (image.isNull()) return std::nullopt;
    return QPixmap::fromImage(image);
}

void DrawIconImage(const cFileIcon& icon, DeviceContext& hdc, int nIndex, IconImageType eType, int x, int y,
                   int lWidth, int lHeight, RasterOp eRasterOp) {
    QImage source = eType == IconImageType::Mask ? iconMaskImage(icon, nIndex) : iconColourImage(icon, nIndex);
    if (source.isNull() || !hdc.device()) return;
    // Raster operations work on the bits as they are, alpha included: the colour
    // bits are taken unchanged (not premultiplied, which would blacken a 32-bit
    // image whose alpha bytes are all 0), the 1-bit mask is widened.
    if (source.format() == QImage::Format_ARGB32 || source.format() == QImage::Format_RGB32)
        source.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    else
        source = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = lWidth != 0 ? lWidth : source.width();
    const int h = lHeight != 0 ? lHeight : source.height();
    QPainter painter(hdc.device());
    QPainter::CompositionMode mode = compositionFor(eRasterOp);
    if (isRasterOp(mode) && !hdc.image()) mode = QPainter::CompositionMode_SourceOver;
    painter.setCompositionMode(mode);
    const QRect target(x, y, w, h);
    if (target.size() == source.size()) {
        painter.drawImage(QPoint(x, y), source);
    } else {
        // Stretching copies pixels, as the platform's stretch does by default.
        painter.drawImage(target, source.scaled(QSize(std::abs(w), std::abs(h)), Qt::IgnoreAspectRatio,
                                                Qt::FastTransformation)
                                      .mirrored(w < 0, h < 0));
    }
}

void drawIcon(QPainter& painter, const cFileIcon& icon, int nIndex, const QRect& target) {
    const QImage image = IconHandle(icon, nIndex);
    if (image.isNull()) return;
    if (image.size() == target.size()) {
        painter.drawImage(target.topLeft(), image);
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, image);
    painter.restore();
}

int bestImageFor(const cFileIcon& icon, int size) {
    int best = 0;
    int bestWidth = 0, bestBits = 0;
    auto better = [size](int w, int bits, int bw, int bb) {
        // Exact size first, then the smallest larger, then the largest smaller; depth breaks ties.
        auto rank = [size](int v) { return v == size ? 0 : v > size ? 1 : 2; };
        if (rank(w) != rank(bw)) return rank(w) < rank(bw);
        if (w != bw) return rank(w) == 1 ? w < bw : w > bw;
        return bits > bb;
    };
    for (int i = 1; i <= icon.ImageCount(); ++i) {
        const auto info = iconImageInfo(icon.imageRecord(i));
        if (!info) continue;
        if (best == 0 || better(info->width, info->bitCount, bestWidth, bestBits)) {
            best = i;
            bestWidth = info->width;
            bestBits = info->bitCount;
        }
    }
    return best;
}

} // namespace tarrowin

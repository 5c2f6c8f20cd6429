#pragma once

// Reads pictures of every format the icon maker offers. The format is decided by
// the file's content (a BMP named .dib loads), the name only where a format has
// no signature (Targa and its .vda/.vst variants, WBMP). Qt reads what it can;
// ImageMagick reads Photo CD, PCX, Photoshop, SGI, Windows metafiles and the
// Targa variants Qt refuses; enhanced metafiles are converted to SVG by a separate
// process and drawn by Qt's SVG renderer.

#include <QImage>
#include <QString>

namespace tarrowin {

enum class PictureFormat {
    Unknown, Bmp, Png, Gif, Jpeg, Tiff, Pnm, Psd, Pcx, Sgi, Pcd, Tga, Wbmp, Wmf, Emf, Psp, Svg,
};

struct PictureReadResult {
    QImage image;  // ARGB32 (or RGB32 when the picture has no alpha); null on failure
    bool hasAlpha = false;
    PictureFormat format = PictureFormat::Unknown;
    QString error; // a sentence naming the file and the reason; empty on success
    bool ok() const { return !image.isNull(); }
};

// Pictures larger than this many pixels are refused before they are decoded.
inline constexpr qint64 kMaxPicturePixels = 16384LL * 16384LL;

PictureFormat sniffPictureFormat(const QByteArray& head, const QString& fileName);
QString pictureFormatName(PictureFormat format);

// hostPath: a path on this machine.
PictureReadResult readPicture(const QString& hostPath);

} // namespace tarrowin

#include "platform/PictureReader.h"

#include <Magick++.h>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <mutex>

namespace tarrowin {

namespace {

constexpr qint64 kMaxPictureFileBytes = 512LL * 1024 * 1024;
constexpr int kEmfConversionTimeoutMs = 30000;

bool startsWith(const QByteArray& head, const char* magic, int offset = 0) {
    return head.mid(offset, static_cast<qsizetype>(qstrlen(magic))) == QByteArray(magic);
}

quint32 le32At(const QByteArray& b, int o) {
    if (b.size() < o + 4) return 0;
    const auto* p = reinterpret_cast<const uchar*>(b.constData() + o);
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

PictureReadResult failure(const QString& path, PictureFormat format, const QString& reason) {
    PictureReadResult r;
    r.format = format;
    r.error = QStringLiteral("Cannot read the picture \"%1\": %2").arg(QFileInfo(path).fileName(), reason);
    return r;
}

PictureReadResult success(QImage image, PictureFormat format) {
    PictureReadResult r;
    r.format = format;
    r.hasAlpha = image.hasAlphaChannel();
    // A picture whose alpha channel is fully opaque is treated as one without.
    if (r.hasAlpha) {
        image = image.convertToFormat(QImage::Format_ARGB32);
        bool anyTransparent = false;
        for (int y = 0; y < image.height() && !anyTransparent; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(line[x]) != 255) {
                    anyTransparent = true;
                    break;
                }
        }
        r.hasAlpha = anyTransparent;
    }
    r.image = r.hasAlpha ? image.convertToFormat(QImage::Format_ARGB32) : image.convertToFormat(QImage::Format_RGB32);
    return r;
}

QByteArray qtFormatOf(PictureFormat f) {
    switch (f) {
    case PictureFormat::Bmp: return "bmp";
    case PictureFormat::Png: return "png";
    case PictureFormat::Gif: return "gif";
    case PictureFormat::Jpeg: return "jpeg";
    case PictureFormat::Tiff: return "tiff";
    case PictureFormat::Pnm: return "ppm"; // Qt's PNM reader takes P1 to P6 under any of its names
    case PictureFormat::Tga: return "tga";
    case PictureFormat::Wbmp: return "wbmp";
    case PictureFormat::Svg: return "svg";
    default: return {};
    }
}

QImage readWithQt(const QByteArray& data, const QByteArray& format) {
    QByteArray copy = data;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAllocationLimit(static_cast<int>(kMaxPicturePixels * 4 / (1024 * 1024)));
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels) return {};
    return reader.read();
}

const char* magickFormatOf(PictureFormat f, const QString& suffix) {
    switch (f) {
    case PictureFormat::Psd: return "PSD";
    case PictureFormat::Pcx: return "PCX";
    case PictureFormat::Sgi: return "SGI";
    case PictureFormat::Pcd: return "PCD";
    case PictureFormat::Wmf: return "WMF";
    case PictureFormat::Tga: return suffix == QLatin1String("vda") ? "VDA" : suffix == QLatin1String("vst") ? "VST" : "TGA";
    default: return nullptr;
    }
}

void initMagick() {
    static std::once_flag once;
    std::call_once(once, [] {
        Magick::InitializeMagick(nullptr);
        // Bound what a hostile header can ask of ImageMagick.
        Magick::ResourceLimits::memory(1ull << 30);
        Magick::ResourceLimits::map(1ull << 30);
        Magick::ResourceLimits::disk(0);
        Magick::ResourceLimits::width(65536);
        Magick::ResourceLimits::height(65536);
    });
}

QImage readWithMagick(const QByteArray& data, const char* format, QString* why) {
    initMagick();
    try {
        Magick::Blob blob(data.constData(), static_cast<size_t>(data.size()));
        Magick::Image image;
        // Warnings (an unknown tag, a private chunk) must not reject a readable picture.
        image.quiet(true);
        image.magick(format);
        image.read(blob);
        // Photoshop files carry a flattened composite first; layered reads give
        // the first frame, which is that composite.
        if (qint64(image.columns()) * qint64(image.rows()) > kMaxPicturePixels) {
            *why = QStringLiteral("the picture is too large.");
            return {};
        }
        // The readers already deliver rows top first whatever origin the file
        // stores (a Targa's bottom-left origin is reported as its orientation, but
        // the pixels are turned already); turning them again would flip the picture.
        // Photo CD pictures arrive in its YCC colour space.
        if (image.colorSpace() == Magick::YCCColorspace || image.colorSpace() == Magick::CMYKColorspace)
            image.colorSpace(Magick::sRGBColorspace);
        const auto w = static_cast<int>(image.columns()), h = static_cast<int>(image.rows());
        QImage out(w, h, QImage::Format_ARGB32);
        if (out.isNull()) {
            *why = QStringLiteral("the picture is too large.");
            return {};
        }
        // BGRA bytes are ARGB32 on a little-endian machine.
        image.write(0, 0, static_cast<size_t>(w), static_cast<size_t>(h), "BGRA", Magick::CharPixel, out.bits());
        if (!image.matte()) out = out.convertToFormat(QImage::Format_RGB32);
        return out;
    } catch (const Magick::Exception& e) {
        *why = QString::fromLocal8Bit(e.what()).section(QLatin1Char('@'), 0, 0).trimmed();
        if (why->isEmpty()) *why = QStringLiteral("the file is damaged or not a picture of this kind.");
        return {};
    }
}

QImage readEmf(const QString& path, QString* why) {
    const QString converter = QStandardPaths::findExecutable(QStringLiteral("emf2svg-conv"));
    if (converter.isEmpty()) {
        *why = QStringLiteral("reading enhanced metafiles needs the program emf2svg-conv, which is not installed.");
        return {};
    }
    QTemporaryDir dir;
    if (!dir.isValid()) {
        *why = QStringLiteral("no temporary folder could be made.");
        return {};
    }
    const QString svg = dir.filePath(QStringLiteral("picture.svg"));
    QProcess process;
    process.start(converter, {QStringLiteral("-i"), path, QStringLiteral("-o"), svg});
    if (!process.waitForFinished(kEmfConversionTimeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0 || !QFileInfo::exists(svg)) {
        process.kill();
        *why = QStringLiteral("the file is damaged or not an enhanced metafile.");
        return {};
    }
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        *why = QStringLiteral("the file is damaged or not an enhanced metafile.");
        return {};
    }
    QSize size = renderer.defaultSize();
    if (size.isEmpty()) size = QSize(256, 256);
    // Metafiles come in device units that can be huge; keep the longer side sensible.
    constexpr int kMaxSide = 2048;
    if (size.width() > kMaxSide || size.height() > kMaxSide) size.scale(kMaxSide, kMaxSide, Qt::KeepAspectRatio);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

PictureFormat sniffPictureFormat(const QByteArray& head, const QString& fileName) {
    if (startsWith(head, "BM")) return PictureFormat::Bmp;
    if (startsWith(head, "\x89PNG\r\n\x1a\n")) return PictureFormat::Png;
    if (startsWith(head, "GIF87a") || startsWith(head, "GIF89a")) return PictureFormat::Gif;
    if (startsWith(head, "\xff\xd8\xff")) return PictureFormat::Jpeg;
    if (startsWith(head, "II*") || startsWith(head, "MM")) {
        if (head.size() > 3 && (head[2] == '*' || head[3] == '*')) return PictureFormat::Tiff;
    }
    if (startsWith(head, "8BPS")) return PictureFormat::Psd;
    if (startsWith(head, "Paint Shop Pro Image File")) return PictureFormat::Psp;
    if (head.size() >= 2 && head[0] == 'P' && head[1] >= '1' && head[1] <= '6') return PictureFormat::Pnm;
    if (head.size() >= 2 && uchar(head[0]) == 0x01 && uchar(head[1]) == 0xDA) return PictureFormat::Sgi;
    if (head.size() >= 4 && uchar(head[0]) == 0x0A && uchar(head[1]) <= 5 && uchar(head[2]) <= 1) return PictureFormat::Pcx;
    if (startsWith(head, "PCD_IPI", 0x800) || startsWith(head, "PCD_OPA")) return PictureFormat::Pcd;
    if (le32At(head, 0) == 0x9AC6CDD7u) return PictureFormat::Wmf; // placeable metafile
    if (le32At(head, 0) == 1 && startsWith(head, " EMF", 40)) return PictureFormat::Emf;
    if (head.size() >= 6 && (head[0] == 1 || head[0] == 2) && head[1] == 0 && head[2] == 9 && head[3] == 0)
        return PictureFormat::Wmf; // metafile without the placeable header
    if (startsWith(head, "<?xml") || startsWith(head, "<svg")) return PictureFormat::Svg;

    // Formats without a signature are known by name.
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("tga") || suffix == QLatin1String("vda") || suffix == QLatin1String("vst"))
        return PictureFormat::Tga;
    if (suffix == QLatin1String("wbmp")) return PictureFormat::Wbmp;
    if (suffix == QLatin1String("psp")) return PictureFormat::Psp;
    return PictureFormat::Unknown;
}

QString pictureFormatName(PictureFormat format) {
    switch (format) {
    case PictureFormat::Bmp: return QStringLiteral("Windows bitmap");
    case PictureFormat::Png: return QStringLiteral("PNG");
    case PictureFormat::Gif: return QStringLiteral("GIF");
    case PictureFormat::Jpeg: return QStringLiteral("JPEG");
    case PictureFormat::Tiff: return QStringLiteral("TIFF");
    case PictureFormat::Pnm: return QStringLiteral("portable bitmap");
    case PictureFormat::Psd: return QStringLiteral("Photoshop");
    case PictureFormat::Pcx: return QStringLiteral("PCX");
    case PictureFormat::Sgi: return QStringLiteral("SGI");
    case PictureFormat::Pcd: return QStringLiteral("Photo CD");
    case PictureFormat::Tga: return QStringLiteral("Targa");
    case PictureFormat::Wbmp: return QStringLiteral("WBMP");
    case PictureFormat::Wmf: return QStringLiteral("Windows metafile");
    case PictureFormat::Emf: return QStringLiteral("enhanced metafile");
    case PictureFormat::Psp: return QStringLiteral("PaintShop Pro");
    case PictureFormat::Svg: return QStringLiteral("SVG");
    case PictureFormat::Unknown: break;
    }
    return QStringLiteral("unknown");
}

PictureReadResult readPicture(const QString& hostPath) {
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly))
        return failure(hostPath, PictureFormat::Unknown, file.errorString() + QLatin1Char('.'));
    if (file.size() > kMaxPictureFileBytes)
        return failure(hostPath, PictureFormat::Unknown, QStringLiteral("the file is too large."));
    const QByteArray data = file.readAll();
    file.close();
    if (data.isEmpty()) return failure(hostPath, PictureFormat::Unknown, QStringLiteral("the file is empty."));

    const PictureFormat format = sniffPictureFormat(data.left(4096), hostPath);
    const QString suffix = QFileInfo(hostPath).suffix().toLower();
    switch (format) {
    case PictureFormat::Unknown:
        return failure(hostPath, format, QStringLiteral("it is not a picture in a format this program reads."));
    case PictureFormat::Psp:
        return failure(hostPath, format,
                       QStringLiteral("PaintShop Pro pictures cannot be read here; save it as PNG or TIFF in "
                                      "PaintShop Pro and open that instead."));
    case PictureFormat::Emf: {
        QString why;
        QImage image = readEmf(hostPath, &why);
        if (image.isNull()) return failure(hostPath, format, why);
        return success(std::move(image), format);
    }
    default: break;
    }

    const QByteArray qtFormat = qtFormatOf(format);
    if (!qtFormat.isEmpty()) {
        QImage image = readWithQt(data, qtFormat);
        if (!image.isNull()) return success(std::move(image), format);
    }
    if (const char* magick = magickFormatOf(format, suffix)) {
        QString why;
        QImage image = readWithMagick(data, magick, &why);
        if (!image.isNull()) return success(std::move(image), format);
        return failure(hostPath, format, QStringLiteral("the %1 file is damaged or of a kind not supported (%2)")
                                             .arg(pictureFormatName(format), why));
    }
    return failure(hostPath, format,
                   QStringLiteral("the %1 file is damaged or incomplete.").arg(pictureFormatName(format)));
}

} // namespace tarrowin

#include "platform/PictureReader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

using namespace tarrowin;

namespace {

// Top half red, bottom half blue: shows both the colours and the row order.
QImage reference(bool withAlpha = false) {
    QImage image(8, 6, QImage::Format_ARGB32);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            image.setPixel(x, y, y < 3 ? qRgba(255, 0, 0, withAlpha && x == 0 ? 0 : 255) : qRgb(0, 0, 255));
    return image;
}

bool near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

bool convert(const QStringList& args) {
    return QProcess::execute(QStringLiteral("convert"), args) == 0;
}

QByteArray le16(int v) {
    QByteArray b(2, 0);
    qToLittleEndian<quint16>(static_cast<quint16>(v), b.data());
    return b;
}
QByteArray le32(qint64 v) {
    QByteArray b(4, 0);
    qToLittleEndian<quint32>(static_cast<quint32>(v), b.data());
    return b;
}

// A placeable Windows metafile: a red filled square of 100 × 100 units.
QByteArray redSquareWmf() {
    QByteArray placeable = le32(0x9AC6CDD7) + le16(0) + le16(0) + le16(0) + le16(100) + le16(100) + le16(96) + le32(0);
    quint16 checksum = 0;
    for (int i = 0; i < 20; i += 2) checksum ^= qFromLittleEndian<quint16>(placeable.constData() + i);
    placeable += le16(checksum);
    QByteArray records;
    records += le32(5) + le16(0x020B) + le16(0) + le16(0);                 // window origin
    records += le32(5) + le16(0x020C) + le16(100) + le16(100);             // window extent
    records += le32(7) + le16(0x02FC) + le16(0) + le32(0x000000FF) + le16(0); // solid red brush
    records += le32(4) + le16(0x012D) + le16(0);                           // select it
    records += le32(7) + le16(0x041B) + le16(100) + le16(100) + le16(0) + le16(0); // rectangle
    records += le32(3) + le16(0);                                          // end
    const int words = 9 + records.size() / 2;
    QByteArray header = le16(1) + le16(9) + le16(0x0300) + le32(words) + le16(1) + le32(7) + le16(0);
    return placeable + header + records;
}

// An enhanced metafile: a red filled rectangle of 100 × 100 device units.
QByteArray redSquareEmf() {
    QByteArray body;
    body += le32(39) + le32(24) + le32(1) + le32(0) + le32(0x000000FF) + le32(0); // brush 1, solid red
    body += le32(37) + le32(12) + le32(1);                                      // select it
    body += le32(43) + le32(24) + le32(0) + le32(0) + le32(99) + le32(99);      // rectangle
    body += le32(14) + le32(20) + le32(0) + le32(16) + le32(20);                // end
    const int total = 88 + body.size();
    QByteArray header = le32(1) + le32(88) + le32(0) + le32(0) + le32(99) + le32(99) + le32(0) + le32(0) +
                        le32(2646) + le32(2646) + le32(0x464D4520) + le32(0x10000) + le32(total) + le32(5) +
                        le16(2) + le16(0) + le32(0) + le32(0) + le32(0) + le32(1024) + le32(768) + le32(320) +
                        le32(240);
    return header + body;
}

class PictureReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(reference().save(path("ref.png")));
        ASSERT_TRUE(reference(true).save(path("alpha.png")));
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(PictureReaderTest, EveryOfferedFormatReadsRightSideUp) {
    struct Case {
        const char* file;
        QStringList convertTo; // arguments before the output path
        const char* outputPrefix;
        int tolerance;
        bool grey;
    };
    const Case cases[] = {
        {"a.bmp", {}, "BMP3:", 0, false},
        {"bmp-named.dib", {}, "BMP3:", 0, false},
        {"a.rle", {"-type", "Palette", "-compress", "RLE"}, "BMP3:", 0, false},
        {"a.gif", {}, "", 0, false},
        {"a.jpg", {"-quality", "95"}, "", 40, false},
        {"a.jpeg", {"-quality", "95"}, "", 40, false},
        {"a.ppm", {}, "", 0, false},
        {"a.pgm", {}, "", 0, true},
        {"a.pcx", {}, "", 0, false},
        {"a.psd", {}, "", 0, false},
        {"a.sgi", {}, "", 0, false},
        {"a.tga", {}, "", 0, false},
        {"top-left.tga", {"-orient", "TopLeft"}, "", 0, false},
        {"true-colour.tga", {"-type", "TrueColor"}, "", 0, false},
        {"a.vda", {}, "TGA:", 0, false},
        {"a.vst", {}, "TGA:", 0, false},
        {"a.tif", {}, "", 0, false},
        {"a.tiff", {"-compress", "LZW"}, "", 0, false},
        // Photo CD holds 768 × 512 base images; smaller pictures do not survive its writer.
        {"a.pcd", {"-resize", "768x512!"}, "", 70, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        QStringList args = {path("ref.png")};
        args += c.convertTo;
        args += QString::fromLatin1(c.outputPrefix) + path(QString::fromLatin1(c.file));
        ASSERT_TRUE(convert(args));
        const PictureReadResult r = readPicture(path(QString::fromLatin1(c.file)));
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
        EXPECT_TRUE(r.error.isEmpty());
        EXPECT_FALSE(r.hasAlpha);
        const QImage& im = r.image;
        if (QString::fromLatin1(c.file).endsWith(QLatin1String(".pcd")))
            EXPECT_GT(im.width(), im.height()); // Photo CD stores its own fixed sizes
        else
            EXPECT_EQ(im.size(), QSize(8, 6));
        const QRgb top = im.pixel(im.width() / 2, im.height() / 6);
        const QRgb bottom = im.pixel(im.width() / 2, im.height() * 5 / 6);
        if (c.grey) {
            EXPECT_GT(qGray(top), qGray(bottom));
        } else {
            EXPECT_TRUE(near(top, qRgb(255, 0, 0), c.tolerance)) << std::hex << top;
            EXPECT_TRUE(near(bottom, qRgb(0, 0, 255), c.tolerance)) << std::hex << bottom;
        }
    }
}

TEST_F(PictureReaderTest, OneBitFormatsRead) {
    for (const char* file : {"a.pbm", "a.wbmp"}) {
        SCOPED_TRACE(file);
        ASSERT_TRUE(convert({path("ref.png"), "-threshold", "50%", path(QString::fromLatin1(file))}));
        const PictureReadResult r = readPicture(path(QString::fromLatin1(file)));
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
        EXPECT_EQ(r.image.size(), QSize(8, 6));
    }
}

TEST_F(PictureReaderTest, AlphaIsKeptWhereThePictureHasIt) {
    ASSERT_TRUE(convert({path("alpha.png"), path("alpha.tga")}));
    for (const char* file : {"alpha.png", "alpha.tga"}) {
        SCOPED_TRACE(file);
        const PictureReadResult r = readPicture(path(QString::fromLatin1(file)));
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
        EXPECT_TRUE(r.hasAlpha);
        EXPECT_EQ(qAlpha(r.image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(r.image.pixel(1, 0)), 255);
        EXPECT_EQ(r.image.pixel(1, 0), qRgb(255, 0, 0));
    }
}

TEST_F(PictureReaderTest, MetafilesAreDrawn) {
    write("square.wmf", redSquareWmf());
    write("square.emf", redSquareEmf());
    for (const char* file : {"square.wmf", "square.emf"}) {
        SCOPED_TRACE(file);
        const PictureReadResult r = readPicture(path(QString::fromLatin1(file)));
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
        EXPECT_GT(r.image.width(), 10);
        const QRgb centre = r.image.pixel(r.image.width() / 2, r.image.height() / 2);
        EXPECT_TRUE(near(centre, qRgb(255, 0, 0), 2)) << std::hex << centre;
    }
}

TEST_F(PictureReaderTest, BadInputGetsAClearMessage) {
    QFile png(path("ref.png"));
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    write("cut.png", png.read(40));
    write("drawing.psp", QByteArray("Paint Shop Pro Image File\n\x1a") + QByteArray(64, '\0'));
    write("broken.psd", QByteArray("8BPS") + QByteArray(20, '\xff'));
    write("notes.txt", QByteArray("hello"));
    write("broken.emf", redSquareEmf().left(60));
    write("empty.gif", QByteArray());
    const struct {
        const char* file;
        const char* mentions;
    } cases[] = {
        {"cut.png", "PNG"},
        {"drawing.psp", "PaintShop Pro"},
        {"broken.psd", "Photoshop"},
        {"notes.txt", "not a picture"},
        {"broken.emf", "damaged"},
        {"empty.gif", "empty"},
        {"missing.png", "missing.png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const PictureReadResult r = readPicture(path(QString::fromLatin1(c.file)));
        EXPECT_FALSE(r.ok());
        EXPECT_TRUE(r.error.contains(QString::fromLatin1(c.file))) << r.error.toStdString();
        EXPECT_TRUE(r.error.contains(QString::fromLatin1(c.mentions))) << r.error.toStdString();
    }
}

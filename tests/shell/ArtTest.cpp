#include "ShellFixture.h"

#include "icon/cFileIcon.h"
#include "widgets/Art.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace tarrowin;
using namespace tarrowin::test;

namespace {
// Pixels close to the key but not exactly it stay inside the window as a pink fringe.
int pinkFringe(const QImage& image) {
    int count = 0;
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y) & 0xFFFFFF;
            if (p == 0xFF00FF) continue;
            if (qRed(p) > 180 && qBlue(p) > 180 && qGreen(p) < 100) ++count;
        }
    return count;
}
} // namespace

TEST(Art, SkinPicturesHaveTheirSizesKeyedCornersAndNoFringe) {
    app();
    for (SkinWindow w : {SkinWindow::Menu, SkinWindow::Folder, SkinWindow::Desktop, SkinWindow::Browser, SkinWindow::Creator}) {
        std::vector<qint64> keys;
        for (int n = 0; n < kSkinCount; ++n) {
            const QImage img = skinPicture(w, n).toImage();
            SCOPED_TRACE(n);
            ASSERT_EQ(img.size(), skinSize(w));
            EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0xFF00FFu) << "the corner lies outside the outline";
            EXPECT_EQ(img.pixel(img.width() - 1, img.height() - 1) & 0xFFFFFF, 0xFF00FFu);
            EXPECT_NE(img.pixel(img.width() / 2, img.height() / 2) & 0xFFFFFF, 0xFF00FFu);
            EXPECT_EQ(pinkFringe(img), 0);
        }
        EXPECT_THROW(skinPicture(w, 4), std::out_of_range);
        EXPECT_THROW(skinPicture(w, -1), std::out_of_range);
    }
    const QImage welcome = artPicture("welcome.png").toImage();
    EXPECT_EQ(welcome.size(), QSize(500, 450));
    EXPECT_EQ(pinkFringe(welcome), 0);
    EXPECT_EQ(artPicture("splash.png").size(), QSize(450, 300));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(artPicture(QString("welcome_task_%1.png").arg(i)).size(), QSize(58, 62));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(artPicture(QString("welcome_round_%1.png").arg(i)).size(), QSize(39, 39));
    for (const char* face : {"up", "over", "down", "disabled"})
        EXPECT_EQ(artPicture(QString("face_%1.png").arg(face)).size(), QSize(76, 24));
}

TEST(Art, IconFilesLoadAsIcons) {
    app();
    QTemporaryDir dir;
    for (const char* name : {"Data.ico", "windows.ico", "user.ico", "tarrowin.ico"}) {
        const QByteArray bytes = artFile(name);
        ASSERT_FALSE(bytes.isEmpty()) << name;
        cFileIcon icon;
        ASSERT_TRUE(icon.LoadIconFromBytes(Bytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                                 static_cast<std::size_t>(bytes.size())),
                                           name))
            << name;
        EXPECT_GE(icon.ImageCount(), 3);
        if (std::string(name) == "Data.ico") {
            EXPECT_GE(icon.ImageCount(), 5);
            for (int size : {16, 24, 32}) EXPECT_NE(icon.IconIndex(size, size, 32), 0) << size;
            for (int k = 1; k <= 5; ++k) EXPECT_LE(icon.ImageWidth(k), 25) << "fits the row's icon box";
        }
    }
}

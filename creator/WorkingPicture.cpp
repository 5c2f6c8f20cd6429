#include "creator/WorkingPicture.h"

#include <cstring>

namespace tarrowin {

cAlphaDIBSection workingPictureFrom(const QImage& picture, bool keepAlpha) {
    cAlphaDIBSection working;
    if (picture.isNull() || !working.Create(picture.width(), picture.height())) return working;
    // RGB32 and ARGB32 rows are already blue, green, red, alpha in memory: no
    // converted copy of a large picture is needed for them.
    const bool direct = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32;
    const QImage argb = direct ? picture : picture.convertToFormat(QImage::Format_ARGB32);
    const auto rowBytes = static_cast<std::size_t>(working.BytesPerScanLine());
    std::uint8_t* bits = working.DIBSectionBitsPtr();
    const int h = argb.height();
    for (int y = 0; y < h; ++y) {
        // ARGB32 is blue, green, red, alpha in memory on this little-endian machine;
        // the working picture's rows run bottom-up.
        std::uint8_t* dst = bits + static_cast<std::size_t>(h - 1 - y) * rowBytes;
        std::memcpy(dst, argb.constScanLine(y), rowBytes);
        if (!keepAlpha)
            for (std::size_t x = 3; x < rowBytes; x += 4) dst[x] = 255;
    }
    return working;
}

} // namespace tarrowin

// Loading and drawing an icon of many images: every depth at the usual sizes,
// plus a 256-pixel PNG image, as a modern application icon holds them.

#include "icon/IconImage.h"
#include "icon/cFileIcon.h"
#include "platform/IconPainter.h"
#include "support/IconBuilder.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QImage>

using namespace tarrowin;
using namespace tarrowin::testing;

namespace {

std::vector<std::uint8_t> manyImageIcon() {
    cFileIcon icon;
    for (int bits : {4, 8, 32})
        for (int size : {16, 24, 32, 48, 64, 96, 128}) {
            const int n = icon.AddImages(size, size, bits);
            std::vector<std::uint8_t> colour(static_cast<std::size_t>(size * dibStride(size * bits)));
            for (std::size_t i = 0; i < colour.size(); ++i) colour[i] = static_cast<std::uint8_t>(i * 7);
            icon.SetImageBits(n, colour.data(), colour.size());
        }
    auto file = icon.FileBytes();
    // Append a 256 × 256 PNG image.
    QImage png(256, 256, QImage::Format_ARGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) png.setPixel(x, y, qRgba(x, y, 128, (x + y) / 2));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    png.save(&buffer, "PNG");
    cFileIcon loaded;
    loaded.LoadIconFromBytes(file);
    std::vector<IconDirEntry> dir = loaded.directory();
    std::vector<std::vector<std::uint8_t>> images;
    for (int i = 1; i <= loaded.ImageCount(); ++i) {
        const Bytes r = loaded.imageRecord(i);
        images.emplace_back(r.begin(), r.end());
    }
    IconDirEntry e{};
    e.wPlanes = 1;
    e.wBitCount = 32;
    e.dwBytesInRes = static_cast<std::int32_t>(bytes.size());
    dir.push_back(e);
    images.emplace_back(bytes.begin(), bytes.end());
    IconHeader h = loaded.header();
    h.idCount = static_cast<std::int16_t>(dir.size());
    loaded.assign(h, dir, images);
    return loaded.FileBytes();
}

const std::vector<std::uint8_t>& fixture() {
    static const auto bytes = manyImageIcon();
    return bytes;
}

void BM_LoadIcon(benchmark::State& state) {
    const auto& bytes = fixture();
    for (auto _ : state) {
        cFileIcon icon;
        icon.LoadIconFromBytes(bytes);
        benchmark::DoNotOptimize(icon.ImageCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadIcon);

void BM_RenderEveryImage(benchmark::State& state) {
    cFileIcon icon;
    icon.LoadIconFromBytes(fixture());
    for (auto _ : state)
        for (int i = 1; i <= icon.ImageCount(); ++i) benchmark::DoNotOptimize(IconHandle(icon, i));
    state.counters["images"] = icon.ImageCount();
}
BENCHMARK(BM_RenderEveryImage)->Unit(benchmark::kMicrosecond);

void BM_RenderBitmapImagesOnly(benchmark::State& state) {
    cFileIcon icon;
    icon.LoadIconFromBytes(fixture());
    for (auto _ : state)
        for (int i = 1; i < icon.ImageCount(); ++i)
            benchmark::DoNotOptimize(composeIcon(*decodeIconBitmap(icon.imageRecord(i))));
}
BENCHMARK(BM_RenderBitmapImagesOnly)->Unit(benchmark::kMicrosecond);

} // namespace

// Listing and loading every icon group of a large icon library: 500 groups of 10
// images each, 256-pixel PNG images included, as system libraries have them.

#include "core/FileIO.h"
#include "icon/PeFile.h"
#include "icon/PeResourceWriter.h"
#include "icon/cFileIcon.h"
#include "icon/cResources.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

using namespace tarrowin;

namespace {

std::vector<std::uint8_t> record(int w, int bits, int seed) {
    const auto stride = [](int b) { return ((b + 31) / 32) * 4; };
    const int colours = bits <= 8 ? (1 << bits) : 0;
    std::vector<std::uint8_t> r(static_cast<std::size_t>(40 + 4 * colours + w * stride(w * bits) + w * stride(w)));
    putLe32(r.data(), 40);
    putLe32(r.data() + 4, static_cast<std::uint32_t>(w));
    putLe32(r.data() + 8, static_cast<std::uint32_t>(2 * w));
    putLe16(r.data() + 12, 1);
    putLe16(r.data() + 14, static_cast<std::uint16_t>(bits));
    for (std::size_t i = 40; i < r.size(); ++i) r[i] = static_cast<std::uint8_t>(i * 31 + static_cast<std::size_t>(seed));
    return r;
}

PeIconImage image(int w, int bits, int seed) {
    PeIconImage im;
    im.entry.bWidth = static_cast<std::uint8_t>(w);
    im.entry.bHeight = static_cast<std::uint8_t>(w);
    im.entry.bColorCount = static_cast<std::uint8_t>(bits == 4 ? 16 : 0);
    im.entry.wPlanes = 1;
    im.entry.wBitCount = static_cast<std::uint16_t>(bits);
    im.record = record(w, bits, seed);
    return im;
}

const std::string& library() {
    static const std::string path = [] {
        PeResourceWriter w;
        for (int g = 0; g < 500; ++g) {
            std::vector<PeIconImage> images;
            for (int size : {16, 24, 32, 48}) images.push_back(image(size, 32, g));
            for (int size : {16, 32, 48}) images.push_back(image(size, 8, g));
            for (int size : {16, 32}) images.push_back(image(size, 4, g));
            PeIconImage png; // a 256-pixel PNG image: width and height 0
            png.entry.wPlanes = 1;
            png.entry.wBitCount = 32;
            png.record.assign(12000, static_cast<std::uint8_t>(g));
            images.push_back(png);
            // A few named groups, as libraries mix both.
            const PeName id = g % 50 == 0 ? PeName{"ICON_" + std::to_string(g)}
                                          : PeName{static_cast<std::uint16_t>(100 + g)};
            w.addIconGroup(id, 1033, images);
        }
        const std::string file = (std::filesystem::temp_directory_path() /
                                  ("tarrowin-bench-" + std::to_string(::getpid()) + ".dll")).string();
        writeFileAtomic(file, w.build());
        return file;
    }();
    return path;
}

// What the browser does with a file: list the icon groups, then load each one.
void listAndLoad(benchmark::State& state, bool fresh) {
    const std::string& file = library();
    std::int64_t images = 0;
    for (auto _ : state) {
        if (fresh) forgetPeFiles();
        cResources res;
        res.setFile(file);
        res.GetResourceTypes();
        const std::int32_t groups = res.IndexOfResourceType(14);
        res.GetResourceNames(groups);
        res.UnloadModule();
        for (std::int32_t i = 1; i <= res.ResourceNameCount(groups); ++i) {
            const ResourceId id = res.ResourceName(groups, i);
            const auto* n = std::get_if<std::int32_t>(&id);
            cFileIcon icon;
            if (!icon.LoadIconFromEXE(file, n ? *n : 0, n ? std::string() : std::get<std::string>(id)))
                state.SkipWithError("a group did not load");
            images += icon.ImageCount();
        }
    }
    state.counters["images"] = benchmark::Counter(static_cast<double>(images) / static_cast<double>(state.iterations()));
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
}

// The file read and parsed in every iteration, as when the browser opens it.
void BM_ListAndLoad500Groups(benchmark::State& state) { listAndLoad(state, true); }
// The same file again, while it is kept parsed.
void BM_ListAndLoad500GroupsKept(benchmark::State& state) { listAndLoad(state, false); }

BENCHMARK(BM_ListAndLoad500Groups)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListAndLoad500GroupsKept)->Unit(benchmark::kMillisecond);

} // namespace

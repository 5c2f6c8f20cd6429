// Speed of AlphaResample, the hot loop of making icons: a large and a small picture
// reduced to the icon widths. The per-pixel figure is "px_time" (seconds per source
// pixel, printed with an SI prefix: 1.5n is 1.5 ns). SampleSetChecksum resamples the
// fixed sample set of the tests and shows the digest of all output bytes as its
// label, so a run before and after a change to the resampler shows that no byte moved.

#include "imaging/cAlphaDIBSection.h"
#include "tests/imaging/ResampleSamples.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace tarrowin {
namespace {

// What the icon creator resamples: an opaque picture (alpha set to 255) with smooth
// colour and a background colour made transparent around a disc in the middle.
const cAlphaDIBSection& iconSource(int size) {
    static std::map<int, cAlphaDIBSection> cache;
    auto it = cache.find(size);
    if (it != cache.end()) return it->second;
    cAlphaDIBSection picture;
    picture.Create(size, size);
    std::uint8_t* p = picture.DIBSectionBitsPtr();
    const double centre = size / 2.0, radius = size * 0.45;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x, p += 4) {
            const double dx = x - centre, dy = y - centre;
            if (dx * dx + dy * dy > radius * radius) continue; // transparent, all 0
            p[0] = static_cast<std::uint8_t>(x * 255 / size);
            p[1] = static_cast<std::uint8_t>(y * 255 / size);
            p[2] = static_cast<std::uint8_t>((x ^ y) & 0xFF);
            p[3] = 255;
        }
    }
    return cache.emplace(size, std::move(picture)).first->second;
}

void BM_AlphaResample(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    const int newWidth = static_cast<int>(state.range(1));
    const cAlphaDIBSection& source = iconSource(size);
    for (auto _ : state) {
        cAlphaDIBSection out = source.AlphaResample(newWidth);
        benchmark::DoNotOptimize(out.DIBSectionBitsPtr());
    }
    state.counters["px_time"] = benchmark::Counter(
        double(size) * size,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AlphaResample)
    ->ArgNames({"size", "width"})
    ->ArgsProduct({{4096, 512}, {16, 32, 48, 128, 255}})
    ->Unit(benchmark::kMillisecond);

void BM_SampleSetChecksum(benchmark::State& state) {
    std::uint64_t digest = 0;
    for (auto _ : state) digest = test::resampleChecksum();
    char label[32];
    std::snprintf(label, sizeof label, "digest %016llx", static_cast<unsigned long long>(digest));
    state.SetLabel(label);
}
BENCHMARK(BM_SampleSetChecksum)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace tarrowin

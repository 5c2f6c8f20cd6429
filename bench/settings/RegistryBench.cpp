// A machine hive the size of a Wine prefix's system.reg (about 20000 keys, a few
// megabytes): parsing it, looking a value up, and changing one value and writing
// the hive text back, which every registry write of the program does.

#include "settings/RegistryHive.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

using namespace tarrowin;

namespace {

std::string bigHive() {
    std::string text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n";
    char buf[256];
    for (int i = 0; i < 20000; ++i) {
        std::snprintf(buf, sizeof buf,
                      "\n[Software\\\\Classes\\\\CLSID\\\\{%08X-3AEA-1069-A2D8-08002B30309D}] 1700000000\n"
                      "#time=1da1b2c3d4e5f60\n@=\"Class number %d\"\n\"InfoTip\"=\"%%SystemRoot%%\\\\x.dll,-%d\"\n",
                      i * 7919, i, i);
        text += buf;
    }
    return text;
}

const std::string& hiveText() {
    static const std::string text = bigHive();
    return text;
}

void BM_ParseHive(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(RegistryHive::parse(hiveText()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * hiveText().size()));
}
BENCHMARK(BM_ParseHive)->Unit(benchmark::kMillisecond);

void BM_ReadValue(benchmark::State& state) {
    const RegistryHive hive = RegistryHive::parse(hiveText());
    const KeyPath path = splitKeyPath("Software\\Classes\\CLSID\\{0001E59D-3AEA-1069-A2D8-08002B30309D}");
    for (auto _ : state) benchmark::DoNotOptimize(hive.value(path, u"InfoTip"));
}
BENCHMARK(BM_ReadValue)->Unit(benchmark::kMicrosecond);

void BM_WriteValueAndSerialize(benchmark::State& state) {
    const KeyPath path = splitKeyPath("Software\\Classes\\CLSID\\{0001E59D-3AEA-1069-A2D8-08002B30309D}");
    int n = 0;
    for (auto _ : state) {
        RegistryHive hive = RegistryHive::parse(hiveText());
        hive.setValue(path, u"", makeStringValue("C:\\icons\\" + std::to_string(++n) + ".ico,0"), 1700000000);
        benchmark::DoNotOptimize(hive.serialize());
    }
}
BENCHMARK(BM_WriteValueAndSerialize)->Unit(benchmark::kMillisecond);

} // namespace

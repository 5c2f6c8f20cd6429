#pragma once

// A fixed set of pictures and new widths that covers both resampling paths,
// reduction and enlargement, fully and partly transparent pixels, and ratios whose
// weights are short binary fractions (where halves, and so the rounding of ties,
// occur). resampleChecksum() digests every output byte, so that a change to the
// resampler that moves one byte anywhere in the set changes the digest. The test
// pins the digest; the benchmark prints it, to show that speed work changed nothing.

#include "imaging/cAlphaDIBSection.h"

#include <cstdint>
#include <vector>

namespace tarrowin::test {

struct ResampleSample {
    int width;
    int height;
    std::vector<int> newWidths;
};

inline const std::vector<ResampleSample>& resampleSamples() {
    static const std::vector<ResampleSample> samples = {
        {37, 23, {1, 5, 16, 36, 37, 48, 60, 111}},
        {64, 64, {16, 32, 48, 100, 128}},
        {64, 63, {16, 32}},
        {100, 50, {32}},
        {100, 51, {32}},
        {96, 40, {64}},
        {40, 30, {100}},
        {17, 5, {64}},
        {5, 17, {3}},
        {300, 200, {16, 48, 255}},
        {255, 255, {128, 254}},
        {512, 384, {16, 48, 128, 255}},
        {1000, 7, {16, 33}},
    };
    return samples;
}

// Deterministic content: noise in every byte, a quarter of the pixels fully
// transparent and a quarter fully opaque, and every eleventh column transparent, so
// that colour and alpha go apart.
inline cAlphaDIBSection samplePicture(int width, int height, std::uint32_t seed) {
    cAlphaDIBSection picture;
    picture.Create(width, height);
    std::uint32_t state = seed * 2654435761u + 1u;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    std::uint8_t* p = picture.DIBSectionBitsPtr();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, p += 4) {
            const std::uint32_t r = next();
            p[0] = static_cast<std::uint8_t>(r);
            p[1] = static_cast<std::uint8_t>(r >> 8);
            p[2] = static_cast<std::uint8_t>(r >> 16);
            switch ((r >> 24) % 4) {
            case 0: p[3] = 0; break;
            case 1: p[3] = 255; break;
            default: p[3] = static_cast<std::uint8_t>(r >> 24); break;
            }
            if (x % 11 == 3) p[3] = 0;
        }
    }
    return picture;
}

// FNV-1a over the size and bytes of every output of the set.
inline std::uint64_t resampleChecksum() {
    std::uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](std::uint8_t byte) {
        hash ^= byte;
        hash *= 1099511628211ull;
    };
    std::uint32_t seed = 1;
    for (const ResampleSample& sample : resampleSamples()) {
        const cAlphaDIBSection source = samplePicture(sample.width, sample.height, seed++);
        for (int newWidth : sample.newWidths) {
            const cAlphaDIBSection out = source.AlphaResample(newWidth);
            for (int shift = 0; shift < 32; shift += 8) {
                mix(static_cast<std::uint8_t>(out.Width() >> shift));
                mix(static_cast<std::uint8_t>(out.Height() >> shift));
            }
            for (std::uint8_t byte : out.Bits()) mix(byte);
        }
    }
    return hash;
}

} // namespace tarrowin::test

#pragma once

// Making a multi-size 32-bit icon from a working picture: each size is resampled
// by area, centred vertically in transparent padding, given a mask built from its
// alpha, and added to (or replaces the same size in) the icon.

#include "icon/cFileIcon.h"
#include "imaging/cAlphaDIBSection.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarrowin {

struct IconSize {
    int width = 0;
    int height = 0;
    bool operator==(const IconSize&) const = default;
};

// The fixed sizes in the order the images are made; a custom size comes after them.
inline constexpr int kStandardIconSizes[] = {16, 24, 32, 48, 64, 72, 96, 128};
inline constexpr int kMinCustomSize = 1;
inline constexpr int kMaxCustomSize = 255;

// Puts sizes into making order: the standard ones in their order, then the others
// as given. Repeats are dropped.
std::vector<IconSize> inMakingOrder(const std::vector<IconSize>& sizes);

// Parses "16,32,48,20x30" (a single number is a square). Returns nullopt and a
// message naming the bad entry for anything outside 1 to 255 or not a number.
std::optional<std::vector<IconSize>> parseIconSizes(const std::string& text, std::string* error);

// The colour of the picture's top-left pixel as 0xBBGGRR, the default colour made
// transparent. The bits are bottom-up, so that pixel lies in the last row.
std::uint32_t topLeftColour(const cAlphaDIBSection& picture);

// Fills image (w, h, 32 bits) of `icon` from `working`, adding it when the icon has
// none of that size. transparentColour (0xBBGGRR) is the colour of the padding.
// Returns the image number.
int fillIconImage(cFileIcon& icon, const cAlphaDIBSection& working, IconSize size,
                  std::uint32_t transparentColour);

// Makes every size into `icon` in making order.
void makeIconImages(cFileIcon& icon, const cAlphaDIBSection& working, const std::vector<IconSize>& sizes,
                    std::uint32_t transparentColour);

struct IconFileResult {
    bool ok = false;
    std::string message; // the result line a window shows, or why it failed
};

// The whole step: loads the output file when it exists (its other images are
// kept), makes the sizes and saves it.
IconFileResult createIconFile(const std::string& outputPath, const cAlphaDIBSection& working,
                              const std::vector<IconSize>& sizes, std::uint32_t transparentColour);

inline constexpr const char* kIconWrittenPrefix = "Your icon has been written out to ";
inline constexpr const char* kIconWriteFailed = "Failed to write the icon to disk.";

} // namespace tarrowin

#include "creator/IconMaker.h"

#include "core/HostPath.h"
#include "core/ObjectError.h"
#include "icon/IconFormat.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace tarrowin {

namespace {

// True when a record is laid out as AddImages lays out a 32-bit image of w × h:
// only then do its colour bits and mask lie where they are written. An existing
// image of that size stored otherwise (PNG, another header) is replaced whole.
bool isPlainImage(Bytes record, int w, int h) {
    const ByteReader in(record);
    const auto expected = static_cast<std::size_t>(kBitmapInfoHeaderBytes + h * dibStride(std::int64_t{w} * 32) +
                                                   h * dibStride(w));
    return record.size() == expected && in.u32(0) == 40u && in.u32(4) == static_cast<std::uint32_t>(w) &&
           in.u32(8) == static_cast<std::uint32_t>(2 * h) && in.u16(12) == 1 && in.u16(14) == 32 &&
           in.u32(16) == 0u && in.u32(32) == 0u;
}

} // namespace

std::vector<IconSize> inMakingOrder(const std::vector<IconSize>& sizes) {
    std::vector<IconSize> ordered;
    auto add = [&](IconSize s) {
        if (std::find(ordered.begin(), ordered.end(), s) == ordered.end()) ordered.push_back(s);
    };
    for (int standard : kStandardIconSizes)
        for (const IconSize& s : sizes)
            if (s.width == standard && s.height == standard) add(s);
    for (const IconSize& s : sizes) add(s);
    return ordered;
}

std::optional<std::vector<IconSize>> parseIconSizes(const std::string& text, std::string* error) {
    std::vector<IconSize> sizes;
    auto number = [](std::string_view t) -> std::optional<int> {
        int v = 0;
        const auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
        if (ec != std::errc() || p != t.data() + t.size()) return std::nullopt;
        return v;
    };
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const auto x = item.find_first_of("xX");
        const auto w = number(std::string_view(item).substr(0, x));
        const auto h = x == std::string::npos ? w : number(std::string_view(item).substr(x + 1));
        if (!w || !h || *w < kMinCustomSize || *w > kMaxCustomSize || *h < kMinCustomSize || *h > kMaxCustomSize) {
            if (error)
                *error = "\"" + item + "\" is not a valid size: width and height must be whole numbers from " +
                         std::to_string(kMinCustomSize) + " to " + std::to_string(kMaxCustomSize) + ".";
            return std::nullopt;
        }
        sizes.push_back({*w, *h});
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return sizes;
}

std::uint32_t topLeftColour(const cAlphaDIBSection& picture) {
    if (picture.IsEmpty()) return 0;
    const std::uint8_t* p = picture.DIBSectionBitsPtr() +
                            static_cast<std::size_t>(picture.Height() - 1) * static_cast<std::size_t>(picture.BytesPerScanLine());
    return std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
}

int fillIconImage(cFileIcon& icon, const cAlphaDIBSection& working, IconSize size, std::uint32_t transparentColour) {
    const int w = size.width, h = size.height;
    int index = icon.IconIndex(w, h, 32);
    if (index == 0) index = icon.AddImages(w, h, 32);
    else if (!isPlainImage(icon.imageRecord(index), w, h)) icon.resetImage(index);

    cAlphaDIBSection resampled = working.AlphaResample(w);
    if (resampled.Height() < h) {
        // Centre it vertically in a fully transparent picture of the icon's size.
        cAlphaDIBSection padded;
        padded.Create(w, h);
        padded.SetBackgroundColor(transparentColour);
        padded.SetColourTransparent(transparentColour);
        resampled.CopyTo(padded, (w - resampled.Width()) / 2, (h - resampled.Height()) / 2, -1, -1);
        resampled = std::move(padded);
    }
    // The image takes the first h rows; rows run bottom-up, so a picture taller
    // than the icon loses its top part.
    const std::size_t colourBytes = static_cast<std::size_t>(h) * static_cast<std::size_t>(w) * 4;
    icon.SetImageBits(index, resampled.DIBSectionBitsPtr(), std::min(colourBytes, resampled.byteCount()));

    const std::size_t maskStride = static_cast<std::size_t>(dibStride(w));
    std::vector<std::uint8_t> mask(maskStride * static_cast<std::size_t>(h), 0);
    const std::uint8_t* bits = resampled.DIBSectionBitsPtr();
    const auto rowBytes = static_cast<std::size_t>(resampled.BytesPerScanLine());
    for (int y = 0; y < h && y < resampled.Height(); ++y)
        for (int x = 0; x < w; ++x)
            if (bits[static_cast<std::size_t>(y) * rowBytes + static_cast<std::size_t>(x) * 4 + 3] == 0)
                mask[static_cast<std::size_t>(y) * maskStride + static_cast<std::size_t>(x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
    icon.SetMaskBits(index, mask.data(), mask.size());
    return index;
}

void makeIconImages(cFileIcon& icon, const cAlphaDIBSection& working, const std::vector<IconSize>& sizes,
                    std::uint32_t transparentColour) {
    for (const IconSize& s : inMakingOrder(sizes)) fillIconImage(icon, working, s, transparentColour);
}

IconFileResult createIconFile(const std::string& outputPath, const cAlphaDIBSection& working,
                              const std::vector<IconSize>& sizes, std::uint32_t transparentColour) {
    IconFileResult result;
    cFileIcon icon;
    std::error_code ec;
    if (std::filesystem::exists(hostPath(outputPath), ec)) {
        // Keep the images the file has; new sizes join them, equal ones are replaced.
        try {
            if (!icon.LoadIcon(outputPath)) {
                result.message = outputPath + " exists but cannot be read.";
                return result;
            }
        } catch (const ObjectError& e) {
            result.message = outputPath + " exists and is not an icon file that can be added to (" +
                             e.description() + ")";
            return result;
        } catch (const std::exception& e) {
            result.message = outputPath + " exists but cannot be read (" + e.what() + ")";
            return result;
        }
    }
    try {
        makeIconImages(icon, working, sizes, transparentColour);
        icon.SaveIcon(outputPath);
    } catch (const ObjectError& e) {
        result.message = std::string(kIconWriteFailed) + " (" + e.description() + ")";
        return result;
    } catch (const std::exception& e) {
        // A full icon (32,767 images) or no memory: the file stays as it was.
        result.message = std::string(kIconWriteFailed) + " (" + e.what() + ")";
        return result;
    }
    result.ok = true;
    result.message = std::string(kIconWrittenPrefix) + "\r\n" + outputPath;
    return result;
}

} // namespace tarrowin

#pragma once

// Loads bytes as an icon and puts every image through what the browser and the
// grid do with it. Shared by the fuzz target and the regression test of its finds;
// returns false when an invariant broke.

#include "core/ObjectError.h"
#include "icon/IconImage.h"
#include "icon/cFileIcon.h"

namespace tarrowin::fuzzing {

inline bool exerciseIco(Bytes data) {
    cFileIcon icon;
    try {
        if (!icon.LoadIconFromBytes(data, "fuzz.ico")) return true;
    } catch (const ObjectError&) {
        return icon.ImageCount() == 0;
    }
    for (int i = 1; i <= icon.ImageCount(); ++i) {
        const Bytes record = icon.imageRecord(i);
        (void)iconImageInfo(record);
        if (const auto px = decodeIconBitmap(record)) {
            if (composeIcon(*px).size() != px->colour.size()) return false;
        }
        (void)icon.ImageColourCount(i);
        (void)icon.IconIndex(icon.ImageWidth(i), icon.ImageHeight(i), 32);
    }
    // What SaveIcon writes must always load again, with the same images.
    const auto bytes = icon.FileBytes();
    cFileIcon again;
    try {
        if (!again.LoadIconFromBytes(bytes)) return false;
    } catch (const ObjectError&) {
        return false;
    }
    if (again.ImageCount() != icon.ImageCount()) return false;
    const std::uint8_t junk[64] = {};
    icon.SetImageBits(1, junk, sizeof junk);
    icon.SetMaskBits(1, junk, sizeof junk);
    cFileIcon copy;
    icon.CloneTo(copy);
    if (icon.ImageCount() > 1) icon.RemoveImage(icon.ImageCount());
    return true;
}

} // namespace tarrowin::fuzzing

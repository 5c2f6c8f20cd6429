#pragma once

// Loads every icon of a file as the browser lists them: an .ico file is one icon;
// any other file is searched for icon groups, each loaded in resource order.

#include "icon/cFileIcon.h"

#include <functional>
#include <string>
#include <vector>

namespace tarrowin {

struct IconFileLoad {
    enum class Outcome {
        Loaded,
        NoIconGroups, // the file has resources but no icon groups: kNoIconsFound, exclamation icon
        NoIconNames,  // the icon group type holds no names: kNoIconResources, information icon
        Failed,       // the file could not be read; `reason` says why (no message box)
    };
    Outcome outcome = Outcome::Failed;
    std::vector<cFileIcon> icons;
    std::string reason;

    bool ok() const { return outcome == Outcome::Loaded; }
};

inline constexpr const char* kNoIconsFound = "No icons found in file.";
inline constexpr const char* kNoIconResources = "No icon resources were found.";

// The characters after the last "." of the file name, upper-cased; "ICO" when
// the name has no ".".
std::string iconFileExtension(const std::string& path);

// progress(i, count) runs before icon i of count is loaded, so that a window can
// show its status and let pending events run.
IconFileLoad loadIconFile(const std::string& path,
                          const std::function<void(int, int)>& progress = {});

// The name "Save All" gives an icon's file: its resource number or name and
// ".ico". An icon of an .ico file has no resource identifier; it takes the base
// name of its file instead of making a hidden ".ico". Characters that cannot be
// part of a file name become "_".
std::string iconExportFileName(const cFileIcon& icon);

// A copy of `icon` keeping only the images numbered in `chosen` (1-based), in
// the icon's own order; every image when `chosen` is empty.
cFileIcon iconWithImages(const cFileIcon& icon, const std::vector<int>& chosen);

} // namespace tarrowin

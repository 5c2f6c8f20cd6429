#pragma once

// Reads one icon group of an executable (type 14) and the icon images (type 3) it
// lists into ICO layout: header, directory with file offsets, one record per image.

#include "icon/IconFormat.h"
#include "icon/PeResourceReader.h"

#include <cstdint>
#include <vector>

namespace tarrowin {

struct PeIconGroup {
    enum class Status {
        Ok,
        NotFound,    // no group of that identifier or name
        NotLoadable, // the group's data entry cannot be read
        NotLockable, // the group's bytes do not lie in the file
        Truncated,   // the group is shorter than its own entry count says
        NoImages,    // the group lists no images (count 0 or negative)
        BadImage,    // an image is missing, unreadable or not of its entry's size
    };

    Status status = Status::NotFound;
    IconHeader header;
    std::vector<IconDirEntry> directory;
    std::vector<std::vector<std::uint8_t>> images;
};

// Group identifiers are found as the Windows lookup finds them ("#101" is the
// number 101, names compare without regard to case). On any status but Ok the
// header, directory and images are empty.
PeIconGroup readIconGroup(const PeResourceReader& reader, const PeName& group);

} // namespace tarrowin

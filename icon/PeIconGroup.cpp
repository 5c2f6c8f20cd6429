#include "icon/PeIconGroup.h"

#include <string>

namespace tarrowin {

PeIconGroup readIconGroup(const PeResourceReader& reader, const PeName& group) {
    PeIconGroup out;
    Bytes bytes;
    switch (reader.find(PeName{kResourceTypeGroupIcon}, group, &bytes)) {
    case PeResourceReader::Lookup::Found: break;
    case PeResourceReader::Lookup::NotFound: out.status = PeIconGroup::Status::NotFound; return out;
    case PeResourceReader::Lookup::NotLoadable: out.status = PeIconGroup::Status::NotLoadable; return out;
    case PeResourceReader::Lookup::NotLockable: out.status = PeIconGroup::Status::NotLockable; return out;
    }
    const ByteReader in(bytes);
    if (!in.has(0, kIconHeaderBytes)) {
        out.status = PeIconGroup::Status::Truncated;
        return out;
    }
    IconHeader header;
    header.idReserved = *in.u16(0);
    header.idType = *in.u16(2);
    header.idCount = static_cast<std::int16_t>(*in.u16(4));
    if (header.idCount <= 0) {
        out.status = PeIconGroup::Status::NoImages;
        return out;
    }
    const auto count = static_cast<std::size_t>(header.idCount);
    // Entries past the end of the group would be read from whatever follows it.
    if (!in.has(kIconHeaderBytes, std::uint64_t{count} * kGroupEntryBytes)) {
        out.status = PeIconGroup::Status::Truncated;
        return out;
    }

    std::vector<IconDirEntry> directory(count);
    std::vector<std::int16_t> iconIds(count);
    // Offsets as an .ico file of the same images has them, so the icon saves as one.
    std::uint64_t offset = kIconHeaderBytes + std::uint64_t{count} * kIconDirEntryBytes;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t at = kIconHeaderBytes + i * kGroupEntryBytes;
        IconDirEntry& e = directory[i];
        e = readIconEntryFields(in.data().data() + at);
        e.dwImageOffset = static_cast<std::uint32_t>(offset);
        // Identifiers are signed 16-bit: 32768 and above read negative, and the
        // lookup of a negative "#" number finds nothing.
        iconIds[i] = static_cast<std::int16_t>(*in.u16(at + 12));
        offset += static_cast<std::uint32_t>(e.dwBytesInRes);
    }

    std::vector<std::vector<std::uint8_t>> images(count);
    bool failed = false;
    // The images of a group are distinct resources of the file, so together they
    // are never larger than it. A group whose entries all name one big icon
    // would otherwise make a small file ask for gigabytes.
    const std::uint64_t budget = reader.data().size();
    std::uint64_t taken = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const auto name = parseResourceName(std::to_string(iconIds[i]).insert(0, 1, '#'));
        Bytes image;
        if (!name || reader.find(PeName{kResourceTypeIcon}, *name, &image) !=
                         PeResourceReader::Lookup::Found) {
            failed = true;
            break;
        }
        // The record is taken exactly as stored; a size that disagrees with the
        // group entry would leave the directory describing bytes that are not there.
        if (image.empty() || image.size() != static_cast<std::uint32_t>(directory[i].dwBytesInRes) ||
            directory[i].dwBytesInRes <= 0) {
            failed = true;
            continue;
        }
        taken += image.size();
        if (taken > budget) {
            failed = true;
            break;
        }
        images[i].assign(image.begin(), image.end());
    }
    if (failed) {
        out.status = PeIconGroup::Status::BadImage;
        return out;
    }
    out.status = PeIconGroup::Status::Ok;
    out.header = header;
    out.directory = std::move(directory);
    out.images = std::move(images);
    return out;
}

} // namespace tarrowin

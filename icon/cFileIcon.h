#pragma once

// One icon held byte for byte in ICO layout: the header, one directory entry per
// image and one image record per entry. Images are numbered from 1 in directory
// order. Loads .ico files and icon groups of executables, saves .ico files, adds,
// fills and removes images. Drawing lives in the platform layer (IconPainter),
// which works from the records held here.

#include "core/ByteReader.h"
#include "icon/IconFormat.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tarrowin {

// Empty, a numeric group identifier, or a group name.
using ResourceId = std::variant<std::monostate, std::int32_t, std::string>;

// Text of a ResourceId as lists show it: "" , "101" or the name.
std::string resourceIdText(const ResourceId& id);

class cFileIcon {
public:
    static constexpr const char* kClassName = "cFileIcon";

    // File operations. Paths are the program's own (Windows paths under the
    // environment, or host paths); they reach the disk through hostPath().
    // LoadIcon: false when the file cannot be opened; ObjectError 1050 when it is
    // not a valid icon. True when every image was read.
    bool LoadIcon(const std::string& sFile);
    // The same from bytes already in memory (the name goes to Filename).
    bool LoadIconFromBytes(Bytes data, const std::string& sFile = {});
    // Raises 1051, 1052 or 1053; true when the whole file was written.
    bool SaveIcon(const std::string& sFileName = {});
    // The ICO file SaveIcon writes, as bytes.
    std::vector<std::uint8_t> FileBytes() const;
    // Loads icon group lpID (or, when lpID is 0, the group named lpName) of an
    // executable. Never raises: failures are recorded as the last error.
    bool LoadIconFromEXE(const std::string& sFile, std::int32_t lpID, const std::string& lpName);

    const std::string& Filename() const noexcept { return m_filename; }
    const ResourceId& ResourceID() const noexcept { return m_resourceId; }

    // Image properties; nIndex runs from 1 to ImageCount.
    std::int16_t ImageCount() const noexcept { return m_header.idCount; }
    int ImageWidth(int nIndex) const;
    int ImageHeight(int nIndex) const;
    double ImageColourCount(int nIndex) const;
    bool ImageHasAlphaChannel(int nIndex) const;
    std::int32_t ImageSize(int nIndex) const;
    int IconIndex(int nWidth, int nHeight, int nBitCount) const;

    // Image editing.
    int AddImages(int nWidth, int nHeight, int nBitCount); // raises 1049
    void RemoveImage(int nIndex);
    // Gives image nIndex a blank record of its entry's width, height and depth, in
    // the layout AddImages makes; the later records' offsets are laid out afresh on
    // saving.
    void resetImage(int nIndex);
    // Copy colour bits (or mask bits) in the record's own layout; a bad image
    // number copies nothing. `size` bounds the bytes that may be read from lPtr.
    void SetImageBits(int lIndex, const std::uint8_t* lPtr, std::size_t size);
    void SetMaskBits(int lIndex, const std::uint8_t* lPtr, std::size_t size);
    void CloneTo(cFileIcon& cThis) const;

    // What is held, for readers, renderers and writers.
    const IconHeader& header() const noexcept { return m_header; }
    const std::vector<IconDirEntry>& directory() const noexcept { return m_directory; }
    const IconDirEntry& entry(int nIndex) const; // throws std::out_of_range
    // Image nIndex's record: exactly dwBytesInRes bytes (or fewer, if the held
    // array is shorter).
    Bytes imageRecord(int nIndex) const;
    bool hasImage(int nIndex) const noexcept { return nIndex >= 1 && nIndex <= static_cast<int>(m_directory.size()); }

    // Filling from other sources (icon groups of executables).
    void clear(const std::string& filename); // Filename set, ResourceID empty, no images
    void setResourceID(ResourceId id) { m_resourceId = std::move(id); }
    void assign(IconHeader header, std::vector<IconDirEntry> directory,
                std::vector<std::vector<std::uint8_t>> images);

    // True when the records lie back to back in directory order right behind the
    // directory, which is what SaveIcon writes.
    bool recordsAreContiguous() const;

private:
    void emptyImages();

    std::string m_filename;
    ResourceId m_resourceId;
    IconHeader m_header;
    std::vector<IconDirEntry> m_directory;
    std::vector<std::vector<std::uint8_t>> m_images;
};

} // namespace tarrowin

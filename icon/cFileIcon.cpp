#include "icon/cFileIcon.h"

#include "core/FileIO.h"
#include "core/HostPath.h"
#include "core/ObjectError.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace tarrowin {

namespace {

constexpr int kErrIconExists = 1049;
constexpr int kErrLoad = 1050;
constexpr int kErrNoFilename = 1051;
constexpr int kErrCannotWrite = 1052;
constexpr int kErrWriteFailure = 1053;

[[noreturn]] void raise(int code, std::string description) {
    throw ObjectError::fromCode(code, cFileIcon::kClassName, std::move(description));
}

// The 16-colour table of new 4 and 8-bit images, as (red, green, blue).
constexpr std::uint8_t kVgaColours[16][3] = {
    {0, 0, 0},       {0, 128, 0},   {0, 128, 128}, {128, 0, 0},   {128, 0, 128}, {128, 128, 0},
    {0, 0, 128},     {192, 192, 192}, {128, 128, 128}, {0, 0, 255}, {0, 255, 0}, {0, 255, 255},
    {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};

void putColour(std::uint8_t* p, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    p[0] = b;
    p[1] = g;
    p[2] = r;
    p[3] = 0;
}

void writeDefaultColourTable(std::uint8_t* table, int bitCount) {
    if (bitCount == 1) {
        putColour(table + 4, 255, 255, 255); // entry 0 stays black
        return;
    }
    if (bitCount != 4 && bitCount != 8) return;
    for (int i = 0; i < 16; ++i)
        putColour(table + 4 * i, kVgaColours[i][0], kVgaColours[i][1], kVgaColours[i][2]);
    if (bitCount == 8) {
        // A colour cube of five levels per channel; the remaining entries stay 0.
        constexpr std::uint8_t kLevels[5] = {0, 51, 102, 153, 204};
        int i = 16;
        for (auto r : kLevels)
            for (auto g : kLevels)
                for (auto b : kLevels) putColour(table + 4 * i++, r, g, b);
    }
}

// Bytes of a record that the held array really has, never more than the entry claims.
std::size_t recordLength(const IconDirEntry& e, const std::vector<std::uint8_t>& data) {
    const auto claimed = static_cast<std::size_t>(std::max<std::int32_t>(e.dwBytesInRes, 0));
    return std::min(claimed, data.size());
}

// A new image of that size and depth: its entry (offset 0) and a record whose
// colour bits and mask are all 0, with the default colour table.
std::pair<IconDirEntry, std::vector<std::uint8_t>> blankImage(int nWidth, int nHeight, int nBitCount) {
    const int tableEntries = nBitCount > 8 ? 0 : (1 << nBitCount);
    const std::int64_t headerSize = kBitmapInfoHeaderBytes + 4 * tableEntries;
    const std::int64_t size = headerSize + nHeight * dibStride(std::int64_t{nWidth} * nBitCount) +
                              nHeight * dibStride(nWidth);
    IconDirEntry e;
    e.bWidth = static_cast<std::uint8_t>(nWidth);
    e.bHeight = static_cast<std::uint8_t>(nHeight);
    e.bColorCount = static_cast<std::uint8_t>(nBitCount == 1 ? 2 : nBitCount == 4 ? 16 : 0);
    e.wPlanes = 1;
    e.wBitCount = static_cast<std::uint16_t>(nBitCount);
    e.dwBytesInRes = static_cast<std::int32_t>(size);

    std::vector<std::uint8_t> record(static_cast<std::size_t>(size), 0);
    putLe32(record.data(), kBitmapInfoHeaderBytes);
    putLe32(record.data() + 4, static_cast<std::uint32_t>(nWidth));
    putLe32(record.data() + 8, static_cast<std::uint32_t>(2 * nHeight));
    putLe16(record.data() + 12, 1);
    putLe16(record.data() + 14, static_cast<std::uint16_t>(nBitCount));
    writeDefaultColourTable(record.data() + kBitmapInfoHeaderBytes, nBitCount);
    return {e, std::move(record)};
}

} // namespace

std::string resourceIdText(const ResourceId& id) {
    if (const auto* n = std::get_if<std::int32_t>(&id)) return std::to_string(*n);
    if (const auto* s = std::get_if<std::string>(&id)) return *s;
    return {};
}

void cFileIcon::emptyImages() {
    m_header = IconHeader{};
    m_directory.clear();
    m_images.clear();
}

void cFileIcon::clear(const std::string& filename) {
    m_filename = filename;
    m_resourceId = std::monostate{};
    emptyImages();
}

void cFileIcon::assign(IconHeader header, std::vector<IconDirEntry> directory,
                       std::vector<std::vector<std::uint8_t>> images) {
    if (directory.size() != images.size() || directory.size() > 0x7fff ||
        static_cast<std::size_t>(std::max<int>(header.idCount, 0)) != directory.size())
        throw std::invalid_argument("cFileIcon::assign: directory and images disagree");
    m_header = header;
    m_directory = std::move(directory);
    m_images = std::move(images);
}

bool cFileIcon::LoadIcon(const std::string& sFile) {
    clear(sFile);
    auto data = readWholeFile(hostPath(sFile));
    if (!data) return false;
    return LoadIconFromBytes(*data, sFile);
}

bool cFileIcon::LoadIconFromBytes(Bytes data, const std::string& sFile) {
    clear(sFile);
    const ByteReader in(data);
    auto fail = [&](const char* reason) -> bool {
        emptyImages();
        raise(kErrLoad, std::string("Failed to load icon: ") + reason);
    };
    if (!in.has(0, kIconHeaderBytes)) return fail("Icon Directory Array is Corrupt.");
    IconHeader h{*in.u16(0), *in.u16(2), static_cast<std::int16_t>(*in.u16(4))};
    if (h.idReserved != 0) return fail("File is not icon type (reserved member is 0)");
    if (h.idType != kImageIcon) return fail("File is not icon type (idType <> IMAGE_ICON)");
    if (h.idCount <= 0) return fail("Icon contains no images.");

    const auto count = static_cast<std::size_t>(h.idCount);
    if (!in.has(kIconHeaderBytes, count * kIconDirEntryBytes)) return fail("Icon Directory Array is Corrupt.");
    std::vector<IconDirEntry> directory(count);
    for (std::size_t i = 0; i < count; ++i)
        directory[i] = readIconDirEntry(data.data() + kIconHeaderBytes + i * kIconDirEntryBytes);

    std::vector<std::vector<std::uint8_t>> images(count);
    // Each record is a part of the file of its own, so together they are never
    // larger than it: entries that all name one large range would otherwise make
    // a small file ask for gigabytes.
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const IconDirEntry& e = directory[i];
        total += static_cast<std::uint64_t>(std::max<std::int32_t>(e.dwBytesInRes, 0));
        if (total > data.size()) return fail("Icon Images Array is Corrupt.");
        // A negative size is as corrupt as one that runs past the end of the file.
        if (e.dwBytesInRes < 0) return fail("Icon Images Array is Corrupt.");
        const auto record = in.slice(e.dwImageOffset, static_cast<std::uint64_t>(e.dwBytesInRes));
        if (!record) return fail("Icon Images Array is Corrupt.");
        images[i].assign(record->begin(), record->end());
    }
    m_header = h;
    m_directory = std::move(directory);
    m_images = std::move(images);
    return true;
}

bool cFileIcon::recordsAreContiguous() const {
    std::uint64_t expected = kIconHeaderBytes + m_directory.size() * kIconDirEntryBytes;
    for (const auto& e : m_directory) {
        if (e.dwImageOffset != expected || e.dwBytesInRes < 0) return false;
        expected += static_cast<std::uint64_t>(e.dwBytesInRes);
    }
    return true;
}

std::vector<std::uint8_t> cFileIcon::FileBytes() const {
    // Records go back to back behind the directory. When the held offsets already
    // say so they are written as held; otherwise (an icon read from a file with gaps
    // or another order) they are laid out afresh, so the file written is always valid.
    const bool keepOffsets = recordsAreContiguous();
    std::size_t total = kIconHeaderBytes + m_directory.size() * kIconDirEntryBytes;
    for (std::size_t i = 0; i < m_directory.size(); ++i) total += recordLength(m_directory[i], m_images[i]);
    std::vector<std::uint8_t> out(total, 0);
    putLe16(out.data(), m_header.idReserved);
    putLe16(out.data() + 2, m_header.idType);
    putLe16(out.data() + 4, static_cast<std::uint16_t>(m_header.idCount));
    std::size_t offset = kIconHeaderBytes + m_directory.size() * kIconDirEntryBytes;
    for (std::size_t i = 0; i < m_directory.size(); ++i) {
        IconDirEntry e = m_directory[i];
        const std::size_t length = recordLength(e, m_images[i]);
        if (!keepOffsets) {
            e.dwImageOffset = static_cast<std::uint32_t>(offset);
            e.dwBytesInRes = static_cast<std::int32_t>(length);
        }
        writeIconDirEntry(out.data() + kIconHeaderBytes + i * kIconDirEntryBytes, e);
        if (length != 0) std::memcpy(out.data() + offset, m_images[i].data(), length);
        offset += length;
    }
    return out;
}

bool cFileIcon::SaveIcon(const std::string& sFileName) {
    if (m_filename.empty() && sFileName.empty()) raise(kErrNoFilename, "No filename specified.");
    if (m_header.idCount <= 0 || m_directory.empty()) raise(kErrCannotWrite, "Icon contains no images.");
    if (!sFileName.empty()) m_filename = sFileName;
    // Written beside the target and renamed over it only when complete, so a
    // failed save never destroys the icon that was there.
    switch (writeFileAtomic(hostPath(m_filename), FileBytes())) {
    case WriteResult::Ok: return true;
    case WriteResult::CannotCreate: raise(kErrCannotWrite, "Couldn't open file for writing.");
    case WriteResult::ShortWrite: raise(kErrWriteFailure, "General failure writing icon.");
    }
    return false;
}

const IconDirEntry& cFileIcon::entry(int nIndex) const {
    if (!hasImage(nIndex)) throw std::out_of_range("cFileIcon: image number out of range");
    return m_directory[static_cast<std::size_t>(nIndex - 1)];
}

Bytes cFileIcon::imageRecord(int nIndex) const {
    const IconDirEntry& e = entry(nIndex);
    const auto& data = m_images[static_cast<std::size_t>(nIndex - 1)];
    return Bytes(data.data(), recordLength(e, data));
}

int cFileIcon::ImageWidth(int nIndex) const { return entry(nIndex).bWidth; }
int cFileIcon::ImageHeight(int nIndex) const { return entry(nIndex).bHeight; }
std::int32_t cFileIcon::ImageSize(int nIndex) const { return entry(nIndex).dwBytesInRes; }
bool cFileIcon::ImageHasAlphaChannel(int nIndex) const { return entry(nIndex).wBitCount > 24; }

double cFileIcon::ImageColourCount(int nIndex) const {
    const IconDirEntry& e = entry(nIndex);
    if (e.bColorCount != 0) return e.bColorCount;
    return std::ldexp(1.0, e.wBitCount);
}

int cFileIcon::IconIndex(int nWidth, int nHeight, int nBitCount) const {
    for (std::size_t i = 0; i < m_directory.size(); ++i) {
        const IconDirEntry& e = m_directory[i];
        if (e.bWidth == nWidth && e.bHeight == nHeight && e.wBitCount == nBitCount)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

int cFileIcon::AddImages(int nWidth, int nHeight, int nBitCount) {
    m_header.idType = kImageIcon;
    for (const auto& e : m_directory)
        if (e.bWidth == nWidth && e.bHeight == nHeight && e.wBitCount == nBitCount)
            raise(kErrIconExists, "Icon already exists.");
    if (nWidth < 0 || nWidth > 255 || nHeight < 0 || nHeight > 255)
        throw std::overflow_error("cFileIcon::AddImages: width and height must be 0 to 255");
    if (nBitCount != 1 && nBitCount != 4 && nBitCount != 8 && nBitCount != 16 && nBitCount != 24 &&
        nBitCount != 32)
        throw std::invalid_argument("cFileIcon::AddImages: unsupported bit count");
    if (m_directory.size() >= 0x7fff) throw std::overflow_error("cFileIcon::AddImages: too many images");

    auto [e, record] = blankImage(nWidth, nHeight, nBitCount);

    // The directory grows by one entry, so every record moves 16 bytes on.
    for (auto& d : m_directory) d.dwImageOffset += kIconDirEntryBytes;
    e.dwImageOffset = kIconHeaderBytes + kIconDirEntryBytes;
    if (!m_directory.empty())
        e.dwImageOffset = m_directory.back().dwImageOffset + static_cast<std::uint32_t>(m_directory.back().dwBytesInRes);

    m_directory.push_back(e);
    m_images.push_back(std::move(record));
    m_header.idCount = static_cast<std::int16_t>(m_directory.size());
    return m_header.idCount;
}

void cFileIcon::resetImage(int nIndex) {
    if (!hasImage(nIndex)) throw std::out_of_range("cFileIcon::resetImage: image number out of range");
    const auto i = static_cast<std::size_t>(nIndex - 1);
    const IconDirEntry old = m_directory[i];
    auto [e, record] = blankImage(old.bWidth, old.bHeight, old.wBitCount);
    e.dwImageOffset = old.dwImageOffset;
    m_directory[i] = e;
    m_images[i] = std::move(record);
}

void cFileIcon::RemoveImage(int nIndex) {
    if (m_directory.size() < 2) {
        emptyImages();
        m_header.idCount = 0;
        return;
    }
    if (!hasImage(nIndex)) throw std::out_of_range("cFileIcon::RemoveImage: image number out of range");
    const auto removed = static_cast<std::size_t>(nIndex - 1);
    const auto r = static_cast<std::uint32_t>(m_directory[removed].dwBytesInRes);
    for (std::size_t i = removed + 1; i < m_directory.size(); ++i) m_directory[i].dwImageOffset -= r;
    m_directory.erase(m_directory.begin() + static_cast<std::ptrdiff_t>(removed));
    m_images.erase(m_images.begin() + static_cast<std::ptrdiff_t>(removed));
    for (auto& e : m_directory) e.dwImageOffset -= kIconDirEntryBytes;
    m_header.idCount = static_cast<std::int16_t>(m_directory.size());
}

namespace {

struct RecordGeometry {
    std::size_t colourOffset = 0; // first byte of the colour bitmap
    std::size_t colourBytes = 0;
    std::size_t maskOffset = 0;
    std::size_t maskBytes = 0;
};

// Where the colour bits and the mask of a record lie, from its own header. The
// mask offset uses the directory's height, as the record was laid out by it.
std::optional<RecordGeometry> geometry(const IconDirEntry& e, Bytes record) {
    const ByteReader in(record);
    const auto biSize = in.u32(0);
    const auto biWidth = in.u32(4), biHeight = in.u32(8);
    const auto planes = in.u16(12), bits = in.u16(14);
    const auto clrUsed = in.u32(32);
    if (!biSize || !biWidth || !biHeight || !planes || !bits || !clrUsed) return std::nullopt;
    const auto width = static_cast<std::int32_t>(*biWidth);
    const auto height = static_cast<std::int32_t>(*biHeight) / 2;
    if (width <= 0 || height <= 0 || width > 0x10000 || height > 0x10000) return std::nullopt;
    const std::int64_t entries = *clrUsed != 0 ? std::int64_t{*clrUsed} : defaultColourTableEntries(*bits);
    if (entries > 0x10000) return std::nullopt;
    const std::int64_t header = kBitmapInfoHeaderBytes + 4 * entries;
    const std::int64_t colourStride = dibStride(std::int64_t{width} * *planes * *bits);
    RecordGeometry g;
    g.colourOffset = static_cast<std::size_t>(header);
    g.colourBytes = static_cast<std::size_t>(height * colourStride);
    g.maskOffset = static_cast<std::size_t>(header + std::int64_t{e.bHeight} * colourStride);
    g.maskBytes = static_cast<std::size_t>(height * dibStride(width));
    return g;
}

void copyInto(std::vector<std::uint8_t>& record, std::size_t limit, std::size_t offset, std::size_t count,
              const std::uint8_t* src, std::size_t srcSize) {
    if (!src) return;
    count = std::min(count, srcSize);
    if (!fitsIn(std::min(limit, record.size()), offset, count)) return;
    std::memcpy(record.data() + offset, src, count);
}

} // namespace

void cFileIcon::SetImageBits(int lIndex, const std::uint8_t* lPtr, std::size_t size) {
    if (!hasImage(lIndex)) return;
    auto& record = m_images[static_cast<std::size_t>(lIndex - 1)];
    const IconDirEntry& e = m_directory[static_cast<std::size_t>(lIndex - 1)];
    if (const auto g = geometry(e, record))
        copyInto(record, recordLength(e, record), g->colourOffset, g->colourBytes, lPtr, size);
}

void cFileIcon::SetMaskBits(int lIndex, const std::uint8_t* lPtr, std::size_t size) {
    if (!hasImage(lIndex)) return;
    auto& record = m_images[static_cast<std::size_t>(lIndex - 1)];
    const IconDirEntry& e = m_directory[static_cast<std::size_t>(lIndex - 1)];
    if (const auto g = geometry(e, record))
        copyInto(record, recordLength(e, record), g->maskOffset, g->maskBytes, lPtr, size);
}

void cFileIcon::CloneTo(cFileIcon& cThis) const {
    if (&cThis == this) return;
    cThis.m_filename = m_filename;
    cThis.m_resourceId = m_resourceId;
    cThis.m_header = m_header;
    cThis.m_directory = m_directory;
    cThis.m_images.clear();
    cThis.m_images.reserve(m_images.size());
    for (std::size_t i = 0; i < m_images.size(); ++i) {
        const auto length = recordLength(m_directory[i], m_images[i]);
        cThis.m_images.emplace_back(m_images[i].begin(), m_images[i].begin() + static_cast<std::ptrdiff_t>(length));
    }
}

} // namespace tarrowin

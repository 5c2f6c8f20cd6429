#include "icon/PeResourceWriter.h"

#include <cstring>
#include <stdexcept>

namespace tarrowin {

namespace {

constexpr std::uint32_t kSectionAlignment = 0x1000;
constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kResourceRva = kSectionAlignment;
constexpr std::uint32_t kPeOffset = 0x80;
constexpr std::uint32_t kHighBit = 0x80000000u;
// Fixed so that the same resources always give the same bytes.
constexpr std::uint32_t kTimeDateStamp = 0;

// The usual DOS stub: prints a line and exits when the DLL is started under DOS.
constexpr std::uint8_t kDosStub[] = {
    0x0E, 0x1F, 0xBA, 0x0E, 0x00, 0xB4, 0x09, 0xCD, 0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21,
    'T', 'h', 'i', 's', ' ', 'p', 'r', 'o', 'g', 'r', 'a', 'm', ' ', 'c', 'a', 'n', 'n', 'o', 't',
    ' ', 'b', 'e', ' ', 'r', 'u', 'n', ' ', 'i', 'n', ' ', 'D', 'O', 'S', ' ', 'm', 'o', 'd', 'e',
    '.', '\r', '\r', '\n', '$'};

std::uint64_t alignUp(std::uint64_t value, std::uint64_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

void putLe64(std::uint8_t* p, std::uint64_t v) {
    putLe32(p, static_cast<std::uint32_t>(v));
    putLe32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

// The image checksum Windows verifies for drivers and system DLLs: a 16-bit
// one's-complement style sum of the file with the checksum field taken as 0, plus
// the file's length.
std::uint32_t peChecksum(const std::vector<std::uint8_t>& file, std::size_t checksumAt) {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < file.size(); i += 2) {
        if (i == checksumAt || i == checksumAt + 2) continue;
        std::uint32_t word = file[i];
        if (i + 1 < file.size()) word |= static_cast<std::uint32_t>(file[i + 1]) << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + file.size());
}

} // namespace

PeResourceWriter::Key PeResourceWriter::keyOf(const PeName& name) {
    Key key;
    if (const auto* id = std::get_if<std::uint16_t>(&name)) {
        key.numbered = true;
        key.id = *id;
    } else {
        key.text = foldResourceName(utf8ToUtf16(std::get<std::string>(name)));
        if (key.text.size() > 0xFFFF) throw std::length_error("resource name too long");
    }
    return key;
}

void PeResourceWriter::addResource(const PeName& type, const PeName& name, std::uint16_t language,
                                   std::vector<std::uint8_t> bytes) {
    m_tree[keyOf(type)][keyOf(name)][language] = std::move(bytes);
}

std::uint16_t PeResourceWriter::addIconGroup(const PeName& group, std::uint16_t language,
                                             const std::vector<PeIconImage>& images) {
    if (images.size() > 0x7FFF) throw std::length_error("an icon group holds at most 32767 images");
    const Names& icons = m_tree[keyOf(PeName{kResourceTypeIcon})];
    auto used = [&](std::uint16_t id) { return icons.count(Key{true, id, {}}) != 0; };
    // Icon identifiers stay below 32768: the group entry's identifier is read
    // signed, so higher ones could not be found again.
    auto take = [&]() {
        while (m_nextIconId < 0x8000 && used(m_nextIconId)) ++m_nextIconId;
        if (m_nextIconId >= 0x8000) throw std::length_error("no free icon identifier left");
        return m_nextIconId++;
    };

    std::vector<std::uint8_t> dir(kIconHeaderBytes + images.size() * kGroupEntryBytes);
    putLe16(dir.data(), 0);
    putLe16(dir.data() + 2, kImageIcon);
    putLe16(dir.data() + 4, static_cast<std::uint16_t>(images.size()));
    std::uint16_t first = 0;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const PeIconImage& image = images[i];
        const std::uint16_t id = take();
        if (i == 0) first = id;
        std::uint8_t* e = dir.data() + kIconHeaderBytes + i * kGroupEntryBytes;
        e[0] = image.entry.bWidth;
        e[1] = image.entry.bHeight;
        e[2] = image.entry.bColorCount;
        e[3] = image.entry.bReserved;
        putLe16(e + 4, image.entry.wPlanes);
        putLe16(e + 6, image.entry.wBitCount);
        putLe32(e + 8, static_cast<std::uint32_t>(image.record.size()));
        putLe16(e + 12, id);
        addResource(PeName{kResourceTypeIcon}, PeName{id}, language, image.record);
    }
    addResource(PeName{kResourceTypeGroupIcon}, group, language, std::move(dir));
    return first;
}

bool PeResourceWriter::addIconGroupFromIco(const PeName& group, std::uint16_t language, Bytes ico) {
    const ByteReader in(ico);
    const auto reserved = in.u16(0), type = in.u16(2), count = in.u16(4);
    if (!reserved || *reserved != 0 || type != kImageIcon || !count || *count == 0 || *count > 0x7FFF)
        return false;
    std::vector<PeIconImage> images(*count);
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::uint64_t at = kIconHeaderBytes + i * kIconDirEntryBytes;
        if (!in.has(at, kIconDirEntryBytes)) return false;
        IconDirEntry& e = images[i].entry;
        e = readIconDirEntry(in.data().data() + at);
        const auto record = in.slice(e.dwImageOffset, static_cast<std::uint32_t>(e.dwBytesInRes));
        if (!record || record->empty()) return false;
        images[i].record.assign(record->begin(), record->end());
    }
    addIconGroup(group, language, images);
    return true;
}

std::vector<std::uint8_t> PeResourceWriter::build(Format format) const {
    // The .rsrc section: every directory table (root, types, names), then the data
    // entries, then the name strings, then the resource bytes, each 8-aligned.
    struct Leaf {
        const std::vector<std::uint8_t>* bytes;
        std::uint64_t dataEntry = 0;
        std::uint64_t dataOffset = 0;
    };
    std::uint64_t directoriesSize = 16 + 8 * m_tree.size();
    std::size_t leafCount = 0;
    for (const auto& [type, names] : m_tree) {
        directoriesSize += 16 + 8 * names.size();
        for (const auto& [name, languages] : names) {
            directoriesSize += 16 + 8 * languages.size();
            leafCount += languages.size();
        }
    }
    const std::uint64_t dataEntriesAt = directoriesSize;
    std::uint64_t stringsAt = dataEntriesAt + 16 * leafCount;
    std::uint64_t cursor = stringsAt;
    // Each distinct name is written once; types and names share the table.
    std::map<std::u16string, std::uint64_t> strings;
    auto placeString = [&](const Key& k) {
        if (k.numbered || strings.count(k.text)) return;
        strings[k.text] = cursor;
        cursor += 2 + 2 * k.text.size();
    };
    for (const auto& [type, names] : m_tree) {
        placeString(type);
        for (const auto& [name, languages] : names) placeString(name);
    }
    cursor = alignUp(cursor, 8);
    std::vector<Leaf> leaves;
    leaves.reserve(leafCount);
    for (const auto& [type, names] : m_tree) {
        for (const auto& [name, languages] : names) {
            for (const auto& [language, bytes] : languages) {
                Leaf leaf{&bytes};
                leaf.dataEntry = dataEntriesAt + 16 * leaves.size();
                leaf.dataOffset = cursor;
                cursor = alignUp(cursor + bytes.size(), 8);
                leaves.push_back(leaf);
            }
        }
    }
    const std::uint64_t sectionSize = cursor;
    const std::uint64_t rawSize = alignUp(sectionSize, kFileAlignment);
    if (sectionSize > 0x7FFF0000u) throw std::length_error("resources too large for a PE section");

    const bool plus = format == Format::Pe32Plus;
    const std::uint32_t optionalSize = plus ? 240 : 224;
    const std::uint32_t sectionTable = kPeOffset + 4 + 20 + optionalSize;
    const std::uint32_t headersSize = static_cast<std::uint32_t>(alignUp(sectionTable + 40, kFileAlignment));
    std::vector<std::uint8_t> file(headersSize + rawSize, 0);
    std::uint8_t* p = file.data();

    // DOS header and stub.
    putLe16(p, 0x5A4D);
    putLe16(p + 2, 0x90);
    putLe16(p + 4, 3);
    putLe16(p + 8, 4);
    putLe16(p + 0x0C, 0xFFFF);
    putLe16(p + 0x10, 0xB8);
    putLe16(p + 0x18, 0x40);
    putLe32(p + 0x3C, kPeOffset);
    std::memcpy(p + 0x40, kDosStub, sizeof kDosStub);

    // File header.
    std::uint8_t* h = p + kPeOffset;
    putLe32(h, 0x4550);
    putLe16(h + 4, plus ? 0x8664 : 0x014C);
    putLe16(h + 6, 1);
    putLe32(h + 8, kTimeDateStamp);
    putLe16(h + 20, static_cast<std::uint16_t>(optionalSize));
    // Executable image and DLL; large-address-aware for PE32+, 32-bit machine for
    // PE32; no relocations, line numbers, symbols or debug data.
    putLe16(h + 22, plus ? 0x2022 : 0x230E);

    // Optional header.
    const std::uint32_t imageSize = static_cast<std::uint32_t>(kResourceRva + alignUp(sectionSize, kSectionAlignment));
    std::uint8_t* o = h + 24;
    putLe16(o, plus ? 0x20B : 0x10B);
    o[2] = 2;  // linker version 2.x
    putLe32(o + 8, static_cast<std::uint32_t>(rawSize)); // initialised data
    putLe32(o + 20, kResourceRva);                         // base of code: no code
    if (plus) {
        putLe64(o + 24, 0x180000000ull);
    } else {
        putLe32(o + 24, kResourceRva); // base of data
        putLe32(o + 28, 0x10000000u);
    }
    putLe32(o + 32, kSectionAlignment);
    putLe32(o + 36, kFileAlignment);
    // Windows XP / Server 2003 x64 and later.
    putLe16(o + 40, 5);
    putLe16(o + 42, plus ? 2 : 1);
    putLe16(o + 48, 5);
    putLe16(o + 50, plus ? 2 : 1);
    putLe32(o + 56, imageSize);
    putLe32(o + 60, headersSize);
    const std::size_t checksumAt = kPeOffset + 24 + 64;
    putLe16(o + 68, 2);      // Windows GUI subsystem
    putLe16(o + 70, 0x0100); // NX compatible
    std::uint32_t directories = 0;
    if (plus) {
        putLe64(o + 72, 0x100000);
        putLe64(o + 80, 0x1000);
        putLe64(o + 88, 0x100000);
        putLe64(o + 96, 0x1000);
        putLe32(o + 108, 16);
        directories = 112;
    } else {
        putLe32(o + 72, 0x100000);
        putLe32(o + 76, 0x1000);
        putLe32(o + 80, 0x100000);
        putLe32(o + 84, 0x1000);
        putLe32(o + 92, 16);
        directories = 96;
    }
    putLe32(o + directories + 16, kResourceRva);
    putLe32(o + directories + 20, static_cast<std::uint32_t>(sectionSize));

    // Section table.
    std::uint8_t* s = p + sectionTable;
    std::memcpy(s, ".rsrc", 5);
    putLe32(s + 8, static_cast<std::uint32_t>(sectionSize));
    putLe32(s + 12, kResourceRva);
    putLe32(s + 16, static_cast<std::uint32_t>(rawSize));
    putLe32(s + 20, headersSize);
    putLe32(s + 36, 0x40000040u); // initialised data, readable

    // The resource tree.
    std::uint8_t* r = p + headersSize;
    auto nameField = [&](const Key& k) -> std::uint32_t {
        return k.numbered ? k.id : static_cast<std::uint32_t>(kHighBit | strings.at(k.text));
    };
    auto writeDirectory = [&](std::uint64_t offset, const auto& children) {
        std::uint16_t named = 0, numbered = 0;
        for (const auto& child : children) {
            if constexpr (std::is_same_v<std::decay_t<decltype(child.first)>, Key>) {
                if (child.first.numbered) ++numbered;
                else ++named;
            } else {
                ++numbered;
            }
        }
        putLe32(r + offset + 4, kTimeDateStamp);
        putLe16(r + offset + 12, named);
        putLe16(r + offset + 14, numbered);
    };
    std::uint64_t next = 16 + 8 * m_tree.size(); // where the next directory goes
    std::size_t leafIndex = 0;
    writeDirectory(0, m_tree);
    std::size_t typeIndex = 0;
    for (const auto& [type, names] : m_tree) {
        const std::uint64_t typeDir = next;
        next += 16 + 8 * names.size();
        putLe32(r + 16 + 8 * typeIndex, nameField(type));
        putLe32(r + 16 + 8 * typeIndex + 4, static_cast<std::uint32_t>(kHighBit | typeDir));
        ++typeIndex;
        writeDirectory(typeDir, names);
        std::size_t nameIndex = 0;
        for (const auto& [name, languages] : names) {
            const std::uint64_t nameDir = next;
            next += 16 + 8 * languages.size();
            putLe32(r + typeDir + 16 + 8 * nameIndex, nameField(name));
            putLe32(r + typeDir + 16 + 8 * nameIndex + 4, static_cast<std::uint32_t>(kHighBit | nameDir));
            ++nameIndex;
            writeDirectory(nameDir, languages);
            std::size_t languageIndex = 0;
            for (const auto& entry : languages) {
                const Leaf& leaf = leaves[leafIndex++];
                putLe32(r + nameDir + 16 + 8 * languageIndex, entry.first);
                putLe32(r + nameDir + 16 + 8 * languageIndex + 4, static_cast<std::uint32_t>(leaf.dataEntry));
                ++languageIndex;
                putLe32(r + leaf.dataEntry, static_cast<std::uint32_t>(kResourceRva + leaf.dataOffset));
                putLe32(r + leaf.dataEntry + 4, static_cast<std::uint32_t>(leaf.bytes->size()));
                if (!leaf.bytes->empty())
                    std::memcpy(r + leaf.dataOffset, leaf.bytes->data(), leaf.bytes->size());
            }
        }
    }
    for (const auto& [text, offset] : strings) {
        putLe16(r + offset, static_cast<std::uint16_t>(text.size()));
        for (std::size_t i = 0; i < text.size(); ++i) putLe16(r + offset + 2 + 2 * i, text[i]);
    }

    putLe32(p + checksumAt, peChecksum(file, checksumAt));
    return file;
}

} // namespace tarrowin

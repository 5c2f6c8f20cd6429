#include "icon/PeResourceReader.h"

#include <algorithm>
#include <unordered_set>

namespace tarrowin {

namespace {

constexpr std::uint16_t kDosMagic = 0x5A4D;      // "MZ"
constexpr std::uint32_t kPeSignature = 0x4550;   // "PE\0\0"
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::uint64_t kDosLfanewOffset = 0x3C;
constexpr std::uint64_t kFileHeaderBytes = 20;
constexpr std::uint64_t kSectionHeaderBytes = 40;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint64_t kDirectoryBytes = 16;
constexpr std::uint64_t kEntryBytes = 8;
constexpr std::uint64_t kDataEntryBytes = 16;
constexpr std::uint32_t kHighBit = 0x80000000u;

struct RawEntry {
    std::uint32_t name = 0;
    std::uint32_t target = 0;
};

// Named entries first (in the order stored), then numbered ones ascending: the
// order Windows reports, whatever order a damaged or odd file stores them in.
template <typename T, typename Key>
void sortAsWindowsReports(std::vector<T>& entries, Key key) {
    std::stable_sort(entries.begin(), entries.end(), [&](const T& a, const T& b) {
        const PeName& x = key(a);
        const PeName& y = key(b);
        const bool xn = std::holds_alternative<std::uint16_t>(x);
        const bool yn = std::holds_alternative<std::uint16_t>(y);
        if (xn != yn) return !xn;
        if (!xn) return false;
        return std::get<std::uint16_t>(x) < std::get<std::uint16_t>(y);
    });
}

// Shared by types and names: entries are sorted as above, so numbers are found by
// binary search after the named block and names by their folded key.
template <typename T, typename Key>
const T* lookup(const std::vector<T>& entries, const PeName& wanted, Key key) {
    if (const auto* id = std::get_if<std::uint16_t>(&wanted)) {
        auto first = std::find_if(entries.begin(), entries.end(), [&](const T& e) {
            return std::holds_alternative<std::uint16_t>(key(e));
        });
        auto it = std::lower_bound(first, entries.end(), *id, [&](const T& e, std::uint16_t v) {
            return std::get<std::uint16_t>(key(e)) < v;
        });
        if (it != entries.end() && std::get<std::uint16_t>(key(*it)) == *id) return &*it;
        return nullptr;
    }
    const std::u16string folded = foldResourceName(utf8ToUtf16(std::get<std::string>(wanted)));
    for (const T& e : entries) {
        if (!std::holds_alternative<std::uint16_t>(key(e)) && e.folded == folded) return &e;
    }
    return nullptr;
}

} // namespace

PeResourceReader::PeResourceReader(std::vector<std::uint8_t> data) : m_owned(std::move(data)) {
    m_data = Bytes(m_owned.data(), m_owned.size());
    parse();
}

PeResourceReader PeResourceReader::view(Bytes data) {
    PeResourceReader reader;
    reader.m_data = data;
    reader.parse();
    return reader;
}

void PeResourceReader::parse() {
    const ByteReader in(m_data);
    m_status = Status::NotExecutable;
    if (in.u16(0) != kDosMagic) return;
    const auto lfanew = in.u32(kDosLfanewOffset);
    if (!lfanew || in.u32(*lfanew) != kPeSignature) return;
    const std::uint64_t fileHeader = std::uint64_t{*lfanew} + 4;
    const auto sectionCount = in.u16(fileHeader + 2);
    const auto optionalSize = in.u16(fileHeader + 16);
    const std::uint64_t optional = fileHeader + kFileHeaderBytes;
    const auto magic = in.u16(optional);
    if (!sectionCount || !optionalSize || !magic) return;
    std::uint64_t countField = 0;
    std::uint64_t directories = 0;
    if (*magic == kMagicPe32) {
        countField = optional + 92;
        directories = optional + 96;
    } else if (*magic == kMagicPe32Plus) {
        m_pe32Plus = true;
        countField = optional + 108;
        directories = optional + 112;
    } else {
        return;
    }
    m_status = Status::NoResources;
    m_sizeOfHeaders = in.u32(optional + 60).value_or(0);

    // Sections: as many as the file holds whole.
    const std::uint64_t table = optional + *optionalSize;
    for (std::uint64_t i = 0; i < *sectionCount; ++i) {
        const std::uint64_t at = table + i * kSectionHeaderBytes;
        if (!in.has(at, kSectionHeaderBytes)) break;
        Section s;
        s.virtualSize = *in.u32(at + 8);
        s.virtualAddress = *in.u32(at + 12);
        s.rawSize = *in.u32(at + 16);
        s.rawOffset = *in.u32(at + 20);
        m_sections.push_back(s);
    }

    std::stable_sort(m_sections.begin(), m_sections.end(),
                     [](const Section& a, const Section& b) { return a.virtualAddress < b.virtualAddress; });

    // The resource data directory must be among those the header declares and
    // inside the optional header it belongs to.
    const auto count = in.u32(countField);
    const std::uint64_t entry = directories + kResourceDirectoryIndex * 8;
    if (!count || *count <= kResourceDirectoryIndex || entry + 8 > optional + *optionalSize)
        return;
    const auto rootRva = in.u32(entry);
    if (!rootRva || *rootRva == 0) return;
    parseTree(*rootRva);
}

std::optional<Bytes> PeResourceReader::rvaSpan(std::uint64_t rva, std::uint64_t size) const {
    const ByteReader in(m_data);
    auto inSection = [&](const Section& s) -> std::optional<Bytes> {
        if (rva < s.virtualAddress) return std::nullopt;
        const std::uint64_t offset = rva - s.virtualAddress;
        // Only what the file backs: bytes past the raw data exist in memory as zeros
        // but a lookup that needs them is treated as unreadable.
        if (!fitsIn(s.rawSize, offset, size)) return std::nullopt;
        return in.slice(std::uint64_t{s.rawOffset} + offset, size);
    };
    // The section with the highest address at or below `rva`: where sections
    // overlap, the later one is what the loader leaves in memory.
    auto it = std::upper_bound(m_sections.begin(), m_sections.end(), rva,
                               [](std::uint64_t v, const Section& s) { return v < s.virtualAddress; });
    if (it != m_sections.begin()) {
        if (auto hit = inSection(*std::prev(it))) return hit;
    }
    // The headers are mapped at RVA 0 as they lie in the file.
    if (fitsIn(m_sizeOfHeaders, rva, size)) return in.slice(rva, size);
    return std::nullopt;
}

void PeResourceReader::parseTree(std::uint32_t rootRva) {
    // Every directory and every entry slot is read at most once. A well-formed
    // tree never shares them; refusing a second visit stops loops and keeps the
    // work linear in the size of the file however the offsets overlap.
    std::unordered_set<std::uint32_t> seenDirectories;
    std::unordered_set<std::uint32_t> seenEntries;

    auto readDirectory = [&](std::uint32_t offset, bool& complete) {
        std::vector<RawEntry> entries;
        if (!seenDirectories.insert(offset).second) {
            complete = false;
            return entries;
        }
        const auto head = rvaSpan(std::uint64_t{rootRva} + offset, kDirectoryBytes);
        if (!head) {
            complete = false;
            return entries;
        }
        const std::uint32_t total =
            std::uint32_t{le16(head->data() + 12)} + std::uint32_t{le16(head->data() + 14)};
        for (std::uint32_t i = 0; i < total; ++i) {
            const std::uint64_t at = std::uint64_t{offset} + kDirectoryBytes + i * kEntryBytes;
            const auto slot = rvaSpan(std::uint64_t{rootRva} + at, kEntryBytes);
            if (!slot || at > 0xFFFFFFFFu || !seenEntries.insert(static_cast<std::uint32_t>(at)).second) {
                complete = false;
                break;
            }
            entries.push_back({le32(slot->data()), le32(slot->data() + 4)});
        }
        return entries;
    };

    // A name field: a number in the low 16 bits, or (high bit set) the offset of a
    // counted UTF-16 string.
    auto readName = [&](std::uint32_t field, std::u16string* folded) -> std::optional<PeName> {
        if (!(field & kHighBit)) return PeName{static_cast<std::uint16_t>(field & 0xFFFF)};
        const std::uint64_t at = std::uint64_t{rootRva} + (field & ~kHighBit);
        const auto length = rvaSpan(at, 2);
        if (!length) return std::nullopt;
        const std::uint16_t units = le16(length->data());
        const auto text = rvaSpan(at + 2, std::uint64_t{units} * 2);
        if (!text) return std::nullopt;
        std::u16string wide(units, u'\0');
        for (std::size_t i = 0; i < units; ++i) wide[i] = static_cast<char16_t>(le16(text->data() + 2 * i));
        if (folded) *folded = foldResourceName(wide);
        return PeName{utf16ToUtf8(wide)};
    };

    bool rootComplete = true;
    if (!rvaSpan(rootRva, kDirectoryBytes)) return; // no readable resource directory
    const auto roots = readDirectory(0, rootComplete);
    m_status = Status::Ok;

    for (const RawEntry& t : roots) {
        PeTypeEntry type;
        auto typeName = readName(t.name, &type.folded);
        if (!typeName || !(t.target & kHighBit)) {
            rootComplete = false;
            continue;
        }
        type.type = std::move(*typeName);
        for (const RawEntry& n : readDirectory(t.target & ~kHighBit, type.complete)) {
            PeNameEntry name;
            auto nameName = readName(n.name, &name.folded);
            if (!nameName || !(n.target & kHighBit)) {
                type.complete = false;
                continue;
            }
            name.name = std::move(*nameName);
            for (const RawEntry& l : readDirectory(n.target & ~kHighBit, name.complete)) {
                // The third level holds data entries under numeric languages; anything
                // deeper or named is not a resource Windows would find.
                if ((l.name & kHighBit) || (l.target & kHighBit)) {
                    name.complete = false;
                    continue;
                }
                PeLanguageEntry language;
                language.language = static_cast<std::uint16_t>(l.name & 0xFFFF);
                if (const auto d = rvaSpan(std::uint64_t{rootRva} + l.target, kDataEntryBytes)) {
                    language.data = PeResourceData{le32(d->data()), le32(d->data() + 4), le32(d->data() + 8)};
                } else {
                    name.complete = false;
                }
                name.languages.push_back(language);
            }
            std::stable_sort(name.languages.begin(), name.languages.end(),
                             [](const PeLanguageEntry& a, const PeLanguageEntry& b) {
                                 return a.language < b.language;
                             });
            if (!name.complete) type.complete = false;
            type.names.push_back(std::move(name));
        }
        sortAsWindowsReports(type.names, [](const PeNameEntry& e) -> const PeName& { return e.name; });
        m_types.push_back(std::move(type));
    }
    sortAsWindowsReports(m_types, [](const PeTypeEntry& e) -> const PeName& { return e.type; });
    m_complete = rootComplete;
}

const PeTypeEntry* PeResourceReader::findType(const PeName& type) const {
    return lookup(m_types, type, [](const PeTypeEntry& e) -> const PeName& { return e.type; });
}

const PeNameEntry* PeResourceReader::findName(const PeTypeEntry& type, const PeName& name) {
    return lookup(type.names, name, [](const PeNameEntry& e) -> const PeName& { return e.name; });
}

const PeLanguageEntry* PeResourceReader::chooseLanguage(const PeNameEntry& entry) {
    // Neutral first, then US English, then whatever is listed first: a file with
    // one language always yields it, and one with several gives the same choice
    // on every machine instead of following the user's locale.
    for (std::uint16_t wanted : {kLanguageNeutral, kLanguageEnglishUS}) {
        for (const auto& l : entry.languages) {
            if (l.language == wanted) return &l;
        }
    }
    return entry.languages.empty() ? nullptr : &entry.languages.front();
}

std::optional<Bytes> PeResourceReader::resourceBytes(const PeResourceData& data) const {
    return rvaSpan(data.rva, data.size);
}

PeResourceReader::Lookup PeResourceReader::find(const PeName& type, const PeName& name,
                                                Bytes* bytes) const {
    const PeTypeEntry* t = findType(type);
    if (!t) return Lookup::NotFound;
    const PeNameEntry* n = findName(*t, name);
    if (!n) return Lookup::NotFound;
    const PeLanguageEntry* l = chooseLanguage(*n);
    if (!l) return Lookup::NotFound;
    if (!l->data) return Lookup::NotLoadable;
    const auto found = resourceBytes(*l->data);
    if (!found) return Lookup::NotLockable;
    if (bytes) *bytes = *found;
    return Lookup::Found;
}

} // namespace tarrowin

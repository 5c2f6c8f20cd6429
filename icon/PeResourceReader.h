#pragma once

// Reads the resource directory of a Portable Executable (PE32 and PE32+) as data:
// nothing of the file is ever run. The tree type -> name -> language is read once,
// bounded at every step; a damaged part of it is left out (and its parent marked
// incomplete) while everything that can be read stays available.

#include "core/ByteReader.h"
#include "icon/PeResourceName.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarrowin {

// Where a resource's bytes lie, as its data entry gives it.
struct PeResourceData {
    std::uint32_t rva = 0;
    std::uint32_t size = 0;
    std::uint32_t codePage = 0;
};

struct PeLanguageEntry {
    std::uint16_t language = 0;
    // Empty when the data entry itself could not be read.
    std::optional<PeResourceData> data;
};

struct PeNameEntry {
    PeName name;
    std::u16string folded; // a named entry's name, case-folded, for lookups
    std::vector<PeLanguageEntry> languages;
    bool complete = true;
};

struct PeTypeEntry {
    PeName type;
    std::u16string folded;
    std::vector<PeNameEntry> names;
    bool complete = true;
};

class PeResourceReader {
public:
    enum class Status {
        Ok,
        NotExecutable, // no DOS header, no PE signature, or an unknown optional header
        NoResources,   // a valid executable without a readable resource directory
    };

    // Outcomes of a lookup, in the steps of the Windows calls: find the type and
    // name, load (the data entry of the chosen language), lock (its bytes).
    enum class Lookup { Found, NotFound, NotLoadable, NotLockable };

    // Parses a file held in memory. The reader keeps `data` and hands out views of it.
    explicit PeResourceReader(std::vector<std::uint8_t> data);
    // Parses bytes the caller keeps alive for the reader's whole life.
    static PeResourceReader view(Bytes data);

    PeResourceReader(PeResourceReader&&) noexcept = default;
    PeResourceReader& operator=(PeResourceReader&&) noexcept = default;
    PeResourceReader(const PeResourceReader&) = delete;
    PeResourceReader& operator=(const PeResourceReader&) = delete;

    Status status() const noexcept { return m_status; }
    // The whole file as read.
    Bytes data() const noexcept { return m_data; }
    bool isPe32Plus() const noexcept { return m_pe32Plus; }
    // False when some part of the root directory could not be read.
    bool complete() const noexcept { return m_complete; }

    // Types as Windows reports them: named entries first, then numbered ones in
    // ascending order; names and languages inside a type likewise.
    const std::vector<PeTypeEntry>& types() const noexcept { return m_types; }

    const PeTypeEntry* findType(const PeName& type) const;
    static const PeNameEntry* findName(const PeTypeEntry& type, const PeName& name);
    // The language a lookup takes when a resource exists in several.
    static const PeLanguageEntry* chooseLanguage(const PeNameEntry& entry);

    // The resource's bytes inside the file, or nullopt when they do not lie wholly
    // in the raw data of one section.
    std::optional<Bytes> resourceBytes(const PeResourceData& data) const;

    // Finds and loads a resource as the Windows lookup does: type and name must
    // exist, the chosen language's data entry must be readable and its bytes must
    // lie in the file.
    Lookup find(const PeName& type, const PeName& name, Bytes* bytes) const;

    // Maps [rva, rva + size) to the file; nullopt when that range is not backed by
    // file data.
    std::optional<Bytes> rvaSpan(std::uint64_t rva, std::uint64_t size) const;

private:
    struct Section {
        std::uint32_t virtualAddress = 0;
        std::uint32_t virtualSize = 0;
        std::uint32_t rawSize = 0;
        std::uint32_t rawOffset = 0;
    };

    PeResourceReader() = default;
    void parse();
    void parseTree(std::uint32_t rootRva);

    std::vector<std::uint8_t> m_owned;
    Bytes m_data;
    Status m_status = Status::NotExecutable;
    bool m_pe32Plus = false;
    bool m_complete = true;
    std::uint32_t m_sizeOfHeaders = 0;
    std::vector<Section> m_sections; // sorted by virtual address
    std::vector<PeTypeEntry> m_types;
};

} // namespace tarrowin

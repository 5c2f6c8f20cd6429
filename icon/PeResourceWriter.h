#pragma once

// Builds resource-only DLLs: a PE file (PE32+ by default, PE32 on request) with one
// .rsrc section and no code. Used for the icon libraries the program ships and for
// test fixtures; the files load with the Windows resource calls and read back with
// any PE resource tool.

#include "core/ByteReader.h"
#include "icon/IconFormat.h"
#include "icon/PeResourceName.h"

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

namespace tarrowin {

// One image of an icon group: its ICO directory entry (offset unused) and its record.
struct PeIconImage {
    IconDirEntry entry;
    std::vector<std::uint8_t> record;
};

class PeResourceWriter {
public:
    enum class Format { Pe32Plus, Pe32 };

    // Adds (or replaces) one resource. Names are stored upper-cased, as resource
    // compilers store them and as the Windows lookup, which upper-cases the name it
    // is asked for, needs them.
    void addResource(const PeName& type, const PeName& name, std::uint16_t language,
                     std::vector<std::uint8_t> bytes);

    // Adds an icon group and one icon resource per image, numbered from the next
    // identifier no icon resource uses yet. The group entries carry each image's
    // directory fields with the size of its record. Returns the first icon identifier.
    std::uint16_t addIconGroup(const PeName& group, std::uint16_t language,
                               const std::vector<PeIconImage>& images);
    // The same from the bytes of an .ico file; false (nothing added) when they are
    // not a well-formed icon file.
    bool addIconGroupFromIco(const PeName& group, std::uint16_t language, Bytes ico);

    // The DLL. Throws std::length_error when the resources do not fit a PE section.
    std::vector<std::uint8_t> build(Format format = Format::Pe32Plus) const;

private:
    // Ordered as the resource directory must be: named entries first (by their
    // upper-cased UTF-16 text), then numbered ones ascending.
    struct Key {
        bool numbered = false;
        std::uint16_t id = 0;
        std::u16string text;
        bool operator<(const Key& o) const {
            return std::tie(numbered, id, text) < std::tie(o.numbered, o.id, o.text);
        }
    };
    static Key keyOf(const PeName& name);

    using Languages = std::map<std::uint16_t, std::vector<std::uint8_t>>;
    using Names = std::map<Key, Languages>;
    std::map<Key, Names> m_tree;
    std::uint16_t m_nextIconId = 1;
};

} // namespace tarrowin

#pragma once

// One hive file of a Wine prefix (system.reg, user.reg, userdef.reg) in Wine's text
// format, "WINE REGISTRY Version 2". The file is held line by line: reading parses
// keys and values the way Wine's server loads them, and a change rewrites only the
// lines of the value (or adds the lines of a new key or value where Wine would put
// them), so comments, options, timestamps, unknown lines and the order of keys
// survive byte for byte.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarrowin {

// Value types as the registry numbers them.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegLink = 6;
inline constexpr std::uint32_t kRegMultiSz = 7;

// A value as the registry keeps it: strings are UTF-16LE with their terminator.
struct RegValue {
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;
    bool operator==(const RegValue&) const = default;
};

// A REG_SZ value holding `text` (UTF-8) and its terminator.
RegValue makeStringValue(std::string_view text, std::uint32_t type = kRegSz);

// A key below the hive's root, one name per level; empty = the root itself.
using KeyPath = std::vector<std::u16string>;

// Splits "Software\Classes\CLSID" (UTF-8) at backslashes; empty names are skipped.
KeyPath splitKeyPath(std::string_view subKey);

// The escaped text Wine writes for a name or string ("\\", "\"", "\x263a", "\0"...);
// `escape` holds the two delimiters that get a backslash too.
std::string escapeRegistryText(std::u16string_view text, std::string_view escape);

class RegistryHive {
public:
    // Never fails: lines that Wine would not understand are kept and skipped.
    static RegistryHive parse(std::string_view text);
    // An empty hive as Wine writes one: header, ";; All keys relative to" line with
    // `relativeTo` (for example "\\Machine", escaped as in the file) and, when
    // `arch` is given, "#arch=" + arch.
    static RegistryHive create(std::string_view relativeTo, std::string_view arch);

    // True when the first line is Wine's header; Wine ignores any other file.
    bool recognised() const { return m_recognised; }
    std::string serialize() const;

    // The path after ";; All keys relative to ", as written (escaped).
    std::string relativeTo() const;

    // A key exists when a block names it or any key below it (Wine does not write
    // keys that hold nothing but subkeys).
    bool keyExists(const KeyPath& path) const;
    // The value as Wine would load it (the last line for it wins); nullopt when
    // the key or the value is missing or its line is malformed.
    std::optional<RegValue> value(const KeyPath& path, std::u16string_view name) const;

    // Adds a block for the key unless it exists. Returns true when lines changed.
    bool createKey(const KeyPath& path, std::int64_t unixTime);
    // Stores the value, replacing the line(s) of an existing one. Returns true when
    // lines changed (storing an identical value changes nothing).
    bool setValue(const KeyPath& path, std::u16string_view name, const RegValue& value,
                  std::int64_t unixTime);

private:
    struct Block {
        KeyPath path;
        std::size_t header = 0; // index of the "[...]" line
        std::size_t end = 0;    // index past the block's last line
    };
    struct Entry {
        std::u16string name;
        bool named = false; // false when even the name could not be read
        std::size_t first = 0;
        std::size_t count = 0;
        std::optional<RegValue> value; // nullopt when malformed
    };

    void reindex();
    std::vector<Entry> entriesOf(const Block& block) const;
    std::size_t insertBlock(const KeyPath& path, std::int64_t unixTime);
    void insertLines(std::size_t at, const std::vector<std::string>& lines);

    std::vector<std::string> m_lines; // raw, without '\n' (a '\r' before it stays)
    bool m_finalNewline = true;
    bool m_crlf = false;
    bool m_recognised = false;
    std::vector<Block> m_blocks;
};

} // namespace tarrowin

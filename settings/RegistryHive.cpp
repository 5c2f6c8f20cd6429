#include "settings/RegistryHive.h"

#include "settings/Utf16.h"

#include <algorithm>
#include <cstdio>

namespace tarrowin {

namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";
constexpr std::string_view kRelativePrefix = ";; All keys relative to ";
// 100-nanosecond ticks from 1601-01-01 to 1970-01-01: the key's "#time=" is a FILETIME.
constexpr std::uint64_t kTicks1601To1970 = 116444736000000000ull;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
unsigned hexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    return static_cast<unsigned>(c - 'A' + 10);
}

// The line as Wine's reader sees it: without a '\r' before the line end.
std::string_view contentOf(const std::string& raw) {
    std::string_view s = raw;
    if (!s.empty() && s.back() == '\r') s.remove_suffix(1);
    return s;
}

std::string_view skipSpaces(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    return s;
}

// Wine's escaped-string reader: up to `endChar`; the number of bytes read including
// the delimiter, or nullopt when the delimiter is missing.
std::optional<std::size_t> parseEscaped(std::string_view src, char endChar, std::u16string& out) {
    out.clear();
    std::size_t p = 0;
    auto at = [&](std::size_t i) -> char { return i < src.size() ? src[i] : '\0'; };
    while (p < src.size() && src[p] != endChar) {
        if (src[p] == '\0') break;
        char16_t c;
        if (src[p] != '\\') {
            c = static_cast<unsigned char>(src[p++]);
        } else {
            ++p;
            const char e = at(p);
            switch (e) {
            case 'a': c = 7; ++p; break;
            case 'b': c = 8; ++p; break;
            case 'e': c = 27; ++p; break;
            case 'f': c = 12; ++p; break;
            case 'n': c = 10; ++p; break;
            case 'r': c = 13; ++p; break;
            case 't': c = 9; ++p; break;
            case 'v': c = 11; ++p; break;
            case 'x':
                ++p;
                if (!isHexDigit(at(p))) {
                    c = u'x';
                } else {
                    unsigned v = 0;
                    for (int k = 0; k < 4 && isHexDigit(at(p)); ++k) v = v * 16 + hexValue(src[p++]);
                    c = static_cast<char16_t>(v);
                }
                break;
            case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': {
                unsigned v = static_cast<unsigned>(src[p++] - '0');
                for (int k = 0; k < 2 && at(p) >= '0' && at(p) <= '7'; ++k)
                    v = v * 8 + static_cast<unsigned>(src[p++] - '0');
                c = static_cast<char16_t>(v);
                break;
            }
            case '\0':
                return std::nullopt; // a backslash at the end: no delimiter follows
            default:
                c = static_cast<unsigned char>(src[p++]);
                break;
            }
        }
        out.push_back(c);
    }
    if (p >= src.size() || src[p] != endChar) return std::nullopt;
    return p + 1;
}

std::vector<std::uint8_t> utf16Bytes(std::u16string_view s, bool terminator) {
    std::vector<std::uint8_t> out;
    out.reserve((s.size() + 1) * 2);
    for (char16_t c : s) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    if (terminator) out.insert(out.end(), {0, 0});
    return out;
}

// strtoul(s, &end, 16) of the C library: blanks, a sign and "0x" allowed; clamps
// to the largest unsigned long on overflow.
std::uint64_t parseHexNumber(std::string_view s, std::size_t* used) {
    std::size_t p = 0;
    while (p < s.size() && isSpace(s[p])) ++p;
    bool negative = false;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) negative = s[p++] == '-';
    if (p + 1 < s.size() && s[p] == '0' && (s[p + 1] == 'x' || s[p + 1] == 'X') && p + 2 < s.size() &&
        isHexDigit(s[p + 2]))
        p += 2;
    const std::size_t digits = p;
    std::uint64_t v = 0;
    bool overflow = false;
    while (p < s.size() && isHexDigit(s[p])) {
        if (v > (~0ull >> 4)) overflow = true;
        v = (v << 4) | hexValue(s[p++]);
    }
    if (p == digits) {
        if (used) *used = 0;
        return 0;
    }
    if (used) *used = p;
    if (overflow) return ~0ull;
    return negative ? static_cast<std::uint64_t>(0) - v : v;
}

// Wine's comma-separated hex byte list; returns the bytes read or nullopt.
std::optional<std::size_t> parseHexBytes(std::string_view s, std::vector<std::uint8_t>& out) {
    std::size_t p = 0;
    while (p < s.size() && isHexDigit(s[p])) {
        std::size_t used = 0;
        const std::uint64_t v = parseHexNumber(s.substr(p), &used);
        if (used == 0 || v > 0xFF) return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(v));
        p += used;
        while (p < s.size() && isSpace(s[p])) ++p;
        if (p < s.size() && s[p] == ',') ++p;
        while (p < s.size() && isSpace(s[p])) ++p;
    }
    return p;
}

struct ParsedName {
    std::u16string name;
    std::size_t used = 0; // bytes up to the data
};

// `s` starts at '@' or '"'.
std::optional<ParsedName> parseValueName(std::string_view s) {
    ParsedName r;
    std::size_t len;
    if (s.front() == '@') {
        len = 1;
    } else {
        const auto n = parseEscaped(s.substr(1), '"', r.name);
        if (!n) return std::nullopt;
        len = *n + 1;
    }
    while (len < s.size() && isSpace(s[len])) ++len;
    if (len >= s.size() || s[len] != '=') return std::nullopt;
    ++len;
    while (len < s.size() && isSpace(s[len])) ++len;
    r.used = len;
    return r;
}

} // namespace

RegValue makeStringValue(std::string_view text, std::uint32_t type) {
    return RegValue{type, utf16Bytes(utf8ToUtf16(text), true)};
}

KeyPath splitKeyPath(std::string_view subKey) {
    KeyPath path;
    std::size_t start = 0;
    while (start <= subKey.size()) {
        std::size_t stop = subKey.find('\\', start);
        if (stop == std::string_view::npos) stop = subKey.size();
        if (stop > start) path.push_back(utf8ToUtf16(subKey.substr(start, stop - start)));
        start = stop + 1;
    }
    return path;
}

std::string escapeRegistryText(std::u16string_view s, std::string_view escape) {
    static constexpr char kEscapes[33] = ".......abtnvfr.............e....";
    std::string out;
    char buf[16];
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        const std::size_t left = s.size() - i;
        if (c > 127) {
            const bool nextIsHex = left > 1 && s[i + 1] < 128 && isHexDigit(static_cast<char>(s[i + 1]));
            std::snprintf(buf, sizeof buf, nextIsHex ? "\\x%04x" : "\\x%x", static_cast<unsigned>(c));
            out += buf;
            continue;
        }
        if (c < 32) {
            if (c == 0 && left == 1) continue; // the terminator is not written
            if (kEscapes[c] != '.') {
                out += '\\';
                out += kEscapes[c];
            } else {
                const bool nextIsOctal = left > 1 && s[i + 1] >= u'0' && s[i + 1] <= u'7';
                std::snprintf(buf, sizeof buf, nextIsOctal ? "\\%03o" : "\\%o", static_cast<unsigned>(c));
                out += buf;
            }
            continue;
        }
        const char a = static_cast<char>(c);
        if (a == '\\' || (escape.size() > 0 && a == escape[0]) || (escape.size() > 1 && a == escape[1]))
            out += '\\';
        out += a;
    }
    return out;
}

namespace {

std::u16string_view utf16View(const std::vector<std::uint8_t>& data, std::u16string& storage) {
    storage.clear();
    for (std::size_t i = 0; i + 1 < data.size(); i += 2)
        storage.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    return storage;
}

// The line(s) Wine writes for a value.
std::vector<std::string> dumpValue(std::u16string_view name, const RegValue& v) {
    std::string line;
    int count;
    if (!name.empty()) {
        const std::string esc = escapeRegistryText(name, "\"\"");
        line = "\"" + esc + "\"=";
        count = static_cast<int>(esc.size()) + 3;
    } else {
        line = "@=";
        count = 2;
    }
    char buf[32];
    switch (v.type) {
    case kRegSz:
    case kRegExpandSz:
    case kRegMultiSz: {
        // Only properly terminated strings are written as strings.
        if (v.data.size() < 2 || v.data.size() % 2) break;
        if (v.data[v.data.size() - 1] || v.data[v.data.size() - 2]) break;
        if (v.type != kRegSz) {
            std::snprintf(buf, sizeof buf, "str(%x):", v.type);
            line += buf;
        }
        std::u16string storage;
        line += "\"" + escapeRegistryText(utf16View(v.data, storage), "\"\"") + "\"";
        return {line};
    }
    case kRegDword:
        if (v.data.size() != 4) break;
        std::snprintf(buf, sizeof buf, "dword:%08x",
                      static_cast<unsigned>(v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                                            (static_cast<unsigned>(v.data[3]) << 24)));
        return {line + buf};
    default:
        break;
    }
    if (v.type == kRegBinary) {
        line += "hex:";
        count += 4;
    } else {
        const int n = std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
        line += buf;
        count += n;
    }
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < v.data.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", v.data[i]);
        line += buf;
        count += 2;
        if (i + 1 < v.data.size()) {
            line += ',';
            if (++count > 76) {
                line += '\\';
                lines.push_back(std::move(line));
                line = "  ";
                count = 2;
            }
        }
    }
    lines.push_back(std::move(line));
    return lines;
}

int comparePaths(const KeyPath& a, const KeyPath& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (const int d = compareNoCase(a[i], b[i])) return d;
    return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

bool isPrefixOf(const KeyPath& prefix, const KeyPath& path) {
    if (prefix.size() > path.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (compareNoCase(prefix[i], path[i]) != 0) return false;
    return true;
}

std::string keyHeader(const KeyPath& path, std::int64_t unixTime) {
    std::string s = "[";
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (i) s += "\\\\";
        s += escapeRegistryText(path[i], "[]");
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "] %u", static_cast<unsigned>(unixTime));
    s += buf;
    return s;
}

std::string timeOption(std::int64_t unixTime) {
    const auto ticks = static_cast<std::uint64_t>(unixTime) * 10000000ull + kTicks1601To1970;
    char buf[64];
    std::snprintf(buf, sizeof buf, "#time=%x%08x", static_cast<unsigned>(ticks >> 32),
                  static_cast<unsigned>(ticks & 0xFFFFFFFFu));
    return buf;
}

} // namespace

RegistryHive RegistryHive::parse(std::string_view text) {
    RegistryHive h;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) {
            h.m_lines.emplace_back(text.substr(pos));
            h.m_finalNewline = false;
            break;
        }
        h.m_lines.emplace_back(text.substr(pos, nl - pos));
        pos = nl + 1;
    }
    h.m_crlf = !h.m_lines.empty() && !h.m_lines.front().empty() && h.m_lines.front().back() == '\r';
    h.m_recognised = !h.m_lines.empty() && contentOf(h.m_lines.front()) == kHeader;
    h.reindex();
    return h;
}

RegistryHive RegistryHive::create(std::string_view relativeTo, std::string_view arch) {
    std::string text = std::string(kHeader) + "\n" + std::string(kRelativePrefix) +
                       std::string(relativeTo) + "\n";
    if (!arch.empty()) text += "\n#arch=" + std::string(arch) + "\n";
    return parse(text);
}

std::string RegistryHive::serialize() const {
    std::string out;
    std::size_t total = 0;
    for (const auto& l : m_lines) total += l.size() + 1;
    out.reserve(total);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        out += m_lines[i];
        if (i + 1 < m_lines.size() || m_finalNewline) out += '\n';
    }
    return out;
}

std::string RegistryHive::relativeTo() const {
    for (std::size_t i = 1; i < m_lines.size() && i < 4; ++i) {
        const std::string_view c = contentOf(m_lines[i]);
        if (c.starts_with(kRelativePrefix)) return std::string(c.substr(kRelativePrefix.size()));
    }
    return {};
}

void RegistryHive::reindex() {
    m_blocks.clear();
    if (!m_recognised) return;
    std::optional<Block> current;
    std::size_t i = 1;
    while (i < m_lines.size()) {
        const std::string_view s = skipSpaces(contentOf(m_lines[i]));
        if (!s.empty() && s.front() == '[') {
            if (current) {
                current->end = i;
                m_blocks.push_back(std::move(*current));
                current.reset();
            }
            std::u16string name;
            if (parseEscaped(s.substr(1), ']', name)) {
                Block b;
                b.header = i;
                std::u16string part;
                for (char16_t c : name) {
                    if (c == u'\\') {
                        if (!part.empty()) b.path.push_back(std::move(part));
                        part.clear();
                    } else {
                        part.push_back(c);
                    }
                }
                if (!part.empty()) b.path.push_back(std::move(part));
                current = std::move(b);
            }
            ++i;
            continue;
        }
        if (current && !s.empty() && (s.front() == '@' || s.front() == '"')) {
            // A hex value may go on over continuation lines; they belong to it.
            std::size_t j = i;
            while (j + 1 < m_lines.size()) {
                std::string_view c = contentOf(m_lines[j]);
                while (!c.empty() && isSpace(c.back())) c.remove_suffix(1);
                if (c.empty() || c.back() != '\\') break;
                // Only a hex list continues; a string ending in a backslash does not.
                const std::string_view t = skipSpaces(contentOf(m_lines[i]));
                const auto name = parseValueName(t);
                if (!name) break;
                const std::string_view data = t.substr(name->used);
                if (!data.starts_with("hex")) break;
                ++j;
            }
            i = j + 1;
            continue;
        }
        ++i;
    }
    if (current) {
        current->end = m_lines.size();
        m_blocks.push_back(std::move(*current));
    }
}

std::vector<RegistryHive::Entry> RegistryHive::entriesOf(const Block& block) const {
    std::vector<Entry> entries;
    std::size_t i = block.header + 1;
    while (i < block.end) {
        const std::string_view s = skipSpaces(contentOf(m_lines[i]));
        if (s.empty() || (s.front() != '@' && s.front() != '"')) {
            ++i;
            continue;
        }
        Entry e;
        e.first = i;
        e.count = 1;
        const auto name = parseValueName(s);
        if (!name) {
            entries.push_back(std::move(e)); // malformed: no name, never matched
            ++i;
            continue;
        }
        e.name = name->name;
        e.named = true;
        std::string_view d = s.substr(name->used);
        RegValue v;
        bool ok = true;
        std::size_t tag = 0;
        enum { Str, Dword, Hex } parseAs = Str;
        if (d.starts_with("\"")) {
            v.type = kRegSz, tag = 1;
        } else if (d.starts_with("str:\"")) {
            v.type = kRegSz, tag = 5;
        } else if (d.starts_with("str(2):\"")) {
            v.type = kRegExpandSz, tag = 8;
        } else if (d.starts_with("str(7):\"")) {
            v.type = kRegMultiSz, tag = 8;
        } else if (d.starts_with("hex:")) {
            v.type = kRegBinary, tag = 4, parseAs = Hex;
        } else if (d.starts_with("dword:")) {
            v.type = kRegDword, tag = 6, parseAs = Dword;
        } else if (d.starts_with("hex(")) {
            std::size_t used = 0;
            const std::uint64_t t = parseHexNumber(d.substr(4), &used);
            if (d.substr(4 + used).starts_with("):")) {
                v.type = static_cast<std::uint32_t>(t);
                tag = 4 + used + 2;
                parseAs = Hex;
            } else {
                ok = false;
            }
        } else {
            ok = false;
        }
        std::size_t consumed = 1;
        if (ok) {
            d = d.substr(tag);
            if (parseAs == Str) {
                std::u16string text;
                ok = parseEscaped(d, '"', text).has_value();
                v.data = utf16Bytes(text, true);
            } else if (parseAs == Dword) {
                const auto n = static_cast<std::uint32_t>(parseHexNumber(d, nullptr));
                v.data = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                          static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
            } else {
                for (;;) {
                    const auto used = parseHexBytes(d, v.data);
                    if (!used) {
                        ok = false;
                        break;
                    }
                    d = skipSpaces(d.substr(*used));
                    if (d.empty()) break;
                    if (d.front() != '\\' || i + consumed >= block.end) {
                        ok = false;
                        break;
                    }
                    d = skipSpaces(contentOf(m_lines[i + consumed]));
                    ++consumed;
                }
            }
        }
        e.count = consumed;
        if (ok) e.value = std::move(v);
        entries.push_back(std::move(e));
        i += consumed;
    }
    return entries;
}

bool RegistryHive::keyExists(const KeyPath& path) const {
    if (path.empty()) return true;
    return std::any_of(m_blocks.begin(), m_blocks.end(),
                       [&](const Block& b) { return isPrefixOf(path, b.path); });
}

std::optional<RegValue> RegistryHive::value(const KeyPath& path, std::u16string_view name) const {
    std::optional<RegValue> found;
    for (const Block& b : m_blocks) {
        if (comparePaths(b.path, path) != 0) continue;
        for (Entry& e : entriesOf(b)) {
            // A malformed line still names the value in Wine, which then holds no
            // data; reading it fails.
            if (e.named && compareNoCase(e.name, name) == 0) found = std::move(e.value);
        }
    }
    return found;
}

void RegistryHive::insertLines(std::size_t at, const std::vector<std::string>& lines) {
    std::vector<std::string> copy = lines;
    if (m_crlf)
        for (auto& l : copy) l += '\r';
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), copy.begin(), copy.end());
}

std::size_t RegistryHive::insertBlock(const KeyPath& path, std::int64_t unixTime) {
    // Wine writes keys depth first with siblings sorted, which is the sorted order
    // of whole paths; the new key goes where Wine would have written it.
    const Block* next = nullptr;
    for (const Block& b : m_blocks) {
        if (comparePaths(b.path, path) > 0) {
            next = &b;
            break;
        }
    }
    std::size_t headerAt;
    if (next) {
        const std::size_t at = next->header;
        insertLines(at, {keyHeader(path, unixTime), timeOption(unixTime), ""});
        headerAt = at;
    } else {
        std::vector<std::string> lines;
        if (!m_lines.empty() && !contentOf(m_lines.back()).empty()) lines.emplace_back();
        lines.push_back(keyHeader(path, unixTime));
        lines.push_back(timeOption(unixTime));
        const std::size_t at = m_lines.size();
        insertLines(at, lines);
        headerAt = at + lines.size() - 2;
        m_finalNewline = true;
    }
    reindex();
    return headerAt;
}

bool RegistryHive::createKey(const KeyPath& path, std::int64_t unixTime) {
    if (!m_recognised || keyExists(path)) return false;
    insertBlock(path, unixTime);
    return true;
}

bool RegistryHive::setValue(const KeyPath& path, std::u16string_view name, const RegValue& v,
                            std::int64_t unixTime) {
    if (!m_recognised) return false;
    // The last line that names the value is the one Wine keeps; change it there.
    const Block* lastBlock = nullptr;
    std::optional<Entry> hit;
    for (const Block& b : m_blocks) {
        if (comparePaths(b.path, path) != 0) continue;
        lastBlock = &b;
        for (Entry& e : entriesOf(b))
            if (e.named && compareNoCase(e.name, name) == 0) hit = std::move(e);
    }
    if (hit) {
        if (hit->value && *hit->value == v) return false;
        // Keep the name as the file spells it, as Wine does.
        const auto lines = dumpValue(hit->name, v);
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(hit->first),
                      m_lines.begin() + static_cast<std::ptrdiff_t>(hit->first + hit->count));
        insertLines(hit->first, lines);
        reindex();
        return true;
    }
    std::size_t header;
    if (lastBlock) {
        header = lastBlock->header;
    } else {
        header = insertBlock(path, unixTime);
    }
    const auto blockIt = std::find_if(m_blocks.begin(), m_blocks.end(),
                                      [&](const Block& b) { return b.header == header; });
    const Block block = *blockIt;
    // Values sit sorted by name, as Wine keeps them.
    std::size_t at = 0;
    std::size_t afterLast = 0;
    for (const Entry& e : entriesOf(block)) {
        if (e.named && compareNoCase(e.name, name) > 0 && !at) at = e.first;
        afterLast = e.first + e.count;
    }
    if (!at) {
        if (afterLast) {
            at = afterLast;
        } else {
            at = block.header + 1;
            for (std::size_t i = block.header + 1; i < block.end; ++i)
                if (!skipSpaces(contentOf(m_lines[i])).empty()) at = i + 1;
        }
    }
    if (at == m_lines.size()) m_finalNewline = true;
    insertLines(at, dumpValue(name, v));
    reindex();
    return true;
}

} // namespace tarrowin

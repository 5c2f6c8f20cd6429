#include "settings/IniFile.h"

#include "core/FileIO.h"

#include <algorithm>
#include <vector>

namespace tarrowin {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

// One line of the file: its content without the line break, and where it lies.
struct Line {
    std::string_view content;
    std::size_t begin = 0; // offset of the first byte
    std::size_t end = 0;   // offset just past the line break (or the end of text)
};

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t nl = text.find('\n', pos);
        const std::size_t stop = nl == std::string_view::npos ? text.size() : nl;
        std::string_view content = text.substr(pos, stop - pos);
        if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
        const std::size_t next = nl == std::string_view::npos ? text.size() : nl + 1;
        lines.push_back({content, pos, next});
        pos = next;
    }
    // A UTF-8 byte order mark in front of the first line is not part of it.
    if (!lines.empty() && lines.front().content.substr(0, 3) == "\xEF\xBB\xBF")
        lines.front().content.remove_prefix(3);
    return lines;
}

// The section name of a "[name]" line, or nullopt for any other line.
std::optional<std::string_view> sectionOf(std::string_view content) {
    std::string_view s = trimBlanks(content);
    if (s.empty() || s.front() != '[') return std::nullopt;
    const std::size_t close = s.rfind(']');
    if (close == std::string_view::npos || close == 0) return trimBlanks(s.substr(1));
    return trimBlanks(s.substr(1, close - 1));
}

// Key and value of a "key=value" line; comment lines have neither.
bool splitKeyValue(std::string_view content, std::string_view& key, std::string_view& value) {
    const std::string_view s = trimBlanks(content);
    if (s.empty() || s.front() == ';') return false;
    const std::size_t eq = s.find('=');
    if (eq == std::string_view::npos) {
        key = s;
        value = {};
        return true;
    }
    key = trimBlanks(s.substr(0, eq));
    value = trimBlanks(s.substr(eq + 1));
    return true;
}

// Index range [first, last) of the lines belonging to the first section named
// `section` (its header excluded), or nullopt.
struct SectionRange {
    std::size_t header = 0;
    std::size_t first = 0;
    std::size_t last = 0;
};

std::optional<SectionRange> findSection(const std::vector<Line>& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionOf(lines[i].content);
        if (!name || !equalsNoCase(*name, section)) continue;
        std::size_t j = i + 1;
        while (j < lines.size() && !sectionOf(lines[j].content)) ++j;
        return SectionRange{i, i + 1, j};
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<Line>& lines, const SectionRange& range,
                                   std::string_view key) {
    for (std::size_t i = range.first; i < range.last; ++i) {
        std::string_view k, v;
        if (splitKeyValue(lines[i].content, k, v) && equalsNoCase(k, key)) return i;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> findIniValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
    const std::vector<Line> lines = splitLines(text);
    const auto range = findSection(lines, trimBlanks(section));
    if (!range) return std::nullopt;
    const auto at = findKey(lines, *range, trimBlanks(key));
    if (!at) return std::nullopt;
    std::string_view k, v;
    splitKeyValue(lines[*at].content, k, v);
    return std::string(v);
}

std::string setIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value) {
    section = trimBlanks(section);
    key = trimBlanks(key);
    const std::size_t lineBreak = value.find_first_of("\r\n");
    if (lineBreak != std::string_view::npos) value = value.substr(0, lineBreak);

    // New lines follow the file's own line ends; a new file gets the Windows ones.
    const std::size_t firstNl = text.find('\n');
    const std::string_view eol =
        (firstNl != std::string_view::npos && (firstNl == 0 || text[firstNl - 1] != '\r')) ? "\n"
                                                                                           : "\r\n";
    const std::string newLine = std::string(key) + "=" + std::string(value);

    const std::vector<Line> lines = splitLines(text);
    std::string out;
    out.reserve(text.size() + newLine.size() + section.size() + 8);
    const auto range = findSection(lines, section);
    if (!range) {
        out.append(text);
        if (!out.empty() && out.back() != '\n') out.append(eol);
        if (!out.empty()) out.append(eol);
        out.append("[").append(section).append("]").append(eol);
        out.append(newLine).append(eol);
        return out;
    }
    if (const auto at = findKey(lines, *range, key)) {
        const Line& line = lines[*at];
        // Replace the line's content only: a byte order mark before it and its
        // line break stay.
        const auto contentBegin = static_cast<std::size_t>(line.content.data() - text.data());
        const std::size_t contentEnd = contentBegin + line.content.size();
        out.append(text.substr(0, contentBegin));
        out.append(newLine);
        out.append(text.substr(contentEnd));
        return out;
    }
    // After the last line of the section that is not blank, so that the blank line
    // before the next section stays where it was.
    std::size_t insertAfter = range->header;
    for (std::size_t i = range->first; i < range->last; ++i)
        if (!trimBlanks(lines[i].content).empty()) insertAfter = i;
    const Line& anchor = lines[insertAfter];
    out.append(text.substr(0, anchor.end));
    if (anchor.end == text.size() && (text.empty() || text.back() != '\n')) out.append(eol);
    out.append(newLine).append(eol);
    out.append(text.substr(anchor.end));
    return out;
}

std::string readProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue,
                              std::size_t bufferSize) {
    std::string result(defaultValue);
    if (const auto bytes = readWholeFile(file, kMaxIniBytes)) {
        const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
        if (auto value = findIniValue(text, section, key)) result = std::move(*value);
    }
    // The caller's buffer holds bufferSize - 1 characters and the terminator.
    const std::size_t room = bufferSize == 0 ? 0 : bufferSize - 1;
    if (result.size() > room) result.resize(room);
    return result;
}

bool writeProfileString(const std::filesystem::path& file, std::string_view section,
                        std::string_view key, std::string_view value) {
    std::string why;
    std::string text;
    if (const auto bytes = readWholeFile(file, kMaxIniBytes, &why)) {
        text.assign(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    } else {
        std::error_code ec;
        // Only a file that is not there starts empty; one that cannot be read is
        // left alone rather than replaced by a file holding just this key.
        if (std::filesystem::exists(file, ec) || ec) return false;
    }
    const std::string updated = setIniValue(text, section, key, value);
    const auto* data = reinterpret_cast<const std::uint8_t*>(updated.data());
    return writeFileAtomic(file, std::span<const std::uint8_t>(data, updated.size())) ==
           WriteResult::Ok;
}

} // namespace tarrowin

#include "platform/WindowsPaths.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <system_error>

namespace tarrowin {

namespace fs = std::filesystem;

namespace {

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

std::string upperAll(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = upper(c);
    return r;
}

std::vector<std::string> splitComponents(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t stop = path.find_first_of("\\/", start);
        if (stop == std::string_view::npos) stop = path.size();
        if (stop > start) parts.emplace_back(path.substr(start, stop - start));
        start = stop + 1;
    }
    return parts;
}

std::vector<std::string> namesIn(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    return names;
}

// Characters an 8.3 name may hold besides letters and digits.
bool isShortNameChar(char c) {
    if (std::isalnum(static_cast<unsigned char>(c))) return true;
    return std::string_view("!#$%&'()-@^_`{}~").find(c) != std::string_view::npos;
}

// The stem and extension Windows derives for a short name, before numbering:
// blanks and inner dots dropped, characters an 8.3 name cannot hold as "_".
void shortBasis(std::string_view longName, std::string& stem, std::string& ext) {
    std::string_view name = longName;
    while (!name.empty() && name.front() == '.') name.remove_prefix(1);
    const std::size_t dot = name.rfind('.');
    std::string_view base = dot == std::string_view::npos ? name : name.substr(0, dot);
    std::string_view extension = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    auto clean = [](std::string_view s) {
        std::string r;
        for (char c : s) {
            if (c == ' ' || c == '.') continue;
            r += isShortNameChar(c) ? upper(c) : '_';
        }
        return r;
    };
    stem = clean(base);
    ext = clean(extension).substr(0, 3);
}

} // namespace

WindowsPaths::WindowsPaths(fs::path prefix) : m_prefix(std::move(prefix)) {}

bool WindowsPaths::isValidShortName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    const std::size_t dot = name.find('.');
    const std::string_view base = name.substr(0, dot);
    const std::string_view ext = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
    if (dot != std::string_view::npos && ext.empty()) return false;
    return std::all_of(base.begin(), base.end(), isShortNameChar) &&
           std::all_of(ext.begin(), ext.end(), isShortNameChar);
}

std::string WindowsPaths::shortNameFor(std::string_view longName, const std::vector<std::string>& siblings) {
    if (isValidShortName(longName)) return upperAll(longName);
    std::string stem, ext;
    shortBasis(longName, stem, ext);
    const std::string key = stem.substr(0, 6) + "." + ext;
    // The names that compete for the same basis, in a fixed order, and the 8.3
    // names already taken in the folder.
    std::vector<std::string> rivals;
    std::vector<std::string> taken;
    for (const auto& s : siblings) {
        if (isValidShortName(s)) {
            taken.push_back(upperAll(s));
            continue;
        }
        std::string st, ex;
        shortBasis(s, st, ex);
        if (st.substr(0, 6) + "." + ex == key) rivals.push_back(s);
    }
    if (std::find(rivals.begin(), rivals.end(), std::string(longName)) == rivals.end())
        rivals.emplace_back(longName);
    std::sort(rivals.begin(), rivals.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](char x, char y) { return lower(x) < lower(y); }) ||
               (equalsNoCase(a, b) && a < b);
    });
    int number = 0;
    std::string result;
    for (const auto& r : rivals) {
        do {
            ++number;
            const std::string tail = std::to_string(number).insert(0, 1, '~');
            result = stem.substr(0, 8 - tail.size()) + tail + (ext.empty() ? "" : "." + ext);
        } while (std::find(taken.begin(), taken.end(), result) != taken.end());
        if (r == longName) break;
    }
    return result;
}

fs::path WindowsPaths::driveFolder(char letter) const {
    const fs::path link = m_prefix / "dosdevices" / (std::string(1, lower(letter)) + ":");
    std::error_code ec;
    // The drive's own folder, so that host paths read naturally ("/tmp/x", not
    // ".../dosdevices/z:/tmp/x").
    if (fs::exists(link, ec)) {
        const fs::path target = fs::canonical(link, ec);
        return ec ? link : target;
    }
    // A prefix without the link still reaches the host's root as Z:, as Wine's does.
    if (lower(letter) == 'z') return "/";
    if (lower(letter) == 'c') return m_prefix / "drive_c";
    return {};
}

std::string WindowsPaths::expandEnvironment(std::string_view text) const {
    if (text.find('%') == std::string_view::npos) return std::string(text);
    const std::string windows = windowsFolder();
    const std::map<std::string, std::string> vars = {
        {"systemroot", windows},
        {"windir", windows},
        {"systemdrive", "C:"},
        {"programfiles", "C:\\Program Files"},
        {"commonprogramfiles", "C:\\Program Files\\Common Files"},
        {"allusersprofile", "C:\\users\\Public"},
        {"public", "C:\\users\\Public"},
        {"temp", windows + "\\Temp"},
        {"tmp", windows + "\\Temp"},
    };
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find('%', i);
        if (open == std::string_view::npos) break;
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) break;
        std::string name(text.substr(open + 1, close - open - 1));
        for (char& c : name) c = lower(c);
        out.append(text.substr(i, open - i));
        if (const auto it = vars.find(name); it != vars.end()) {
            out += it->second;
            i = close + 1;
        } else {
            // Not a known name: keep the first "%" and look again from the second.
            out += '%';
            i = open + 1;
        }
    }
    out.append(text.substr(i));
    return out;
}

fs::path WindowsPaths::toHost(std::string_view windowsPath) const {
    if (!windowsPath.empty() && windowsPath.front() == '/') return fs::path(std::string(windowsPath));
    const std::string expanded = expandEnvironment(windowsPath);
    std::string_view p = expanded;
    if (p.size() < 2 || p[1] != ':' || !std::isalpha(static_cast<unsigned char>(p[0]))) {
        // Relative or UNC paths: no drive to go through.
        std::string s(p);
        std::replace(s.begin(), s.end(), '\\', '/');
        return s;
    }
    fs::path current = driveFolder(p[0]);
    if (current.empty()) return fs::path(std::string(windowsPath));
    std::vector<fs::path> stack{current};
    bool missing = false;
    for (const std::string& part : splitComponents(p.substr(2))) {
        if (part == ".") continue;
        if (part == "..") {
            if (stack.size() > 1) stack.pop_back();
            continue;
        }
        const fs::path dir = stack.back();
        fs::path next = dir / part;
        std::error_code ec;
        if (!missing && !fs::exists(fs::symlink_status(next, ec))) {
            const auto names = namesIn(dir);
            auto match = std::find_if(names.begin(), names.end(),
                                      [&](const std::string& n) { return equalsNoCase(n, part); });
            if (match == names.end() && part.find('~') != std::string::npos) {
                match = std::find_if(names.begin(), names.end(), [&](const std::string& n) {
                    return !isValidShortName(n) && equalsNoCase(shortNameFor(n, names), part);
                });
            }
            if (match != names.end()) next = dir / *match;
            else missing = true;
        }
        stack.push_back(next);
    }
    return stack.back();
}

std::string WindowsPaths::toWindows(const fs::path& hostPath) const {
    std::error_code ec;
    fs::path abs = fs::absolute(hostPath, ec).lexically_normal();
    const fs::path canonical = fs::weakly_canonical(abs, ec);
    if (!ec) abs = canonical;
    std::string bestLetter;
    fs::path bestRoot;
    std::size_t bestDepth = 0;
    const auto links = namesIn(m_prefix / "dosdevices");
    for (const auto& name : links) {
        if (name.size() != 2 || name[1] != ':') continue;
        const fs::path root = fs::weakly_canonical(m_prefix / "dosdevices" / name, ec);
        if (ec) continue;
        const auto rel = abs.lexically_relative(root);
        if (rel.empty() || *rel.begin() == "..") continue;
        const std::size_t depth = static_cast<std::size_t>(std::distance(root.begin(), root.end()));
        if (bestLetter.empty() || depth > bestDepth) {
            bestLetter = std::string(1, upper(name[0]));
            bestRoot = root;
            bestDepth = depth;
        }
    }
    if (bestLetter.empty()) {
        bestLetter = "Z";
        bestRoot = "/";
    }
    std::string out = bestLetter + ":\\";
    const fs::path rel = abs.lexically_relative(bestRoot);
    bool first = true;
    for (const auto& part : rel) {
        if (part == ".") continue;
        if (!first) out += '\\';
        out += part.string();
        first = false;
    }
    return out;
}

std::string WindowsPaths::shortPath(std::string_view windowsPath) const {
    const std::string expanded(windowsPath);
    if (expanded.size() < 2 || expanded[1] != ':') return expanded;
    fs::path dir = driveFolder(expanded[0]);
    std::string out = expanded.substr(0, 2);
    const auto parts = splitComponents(std::string_view(expanded).substr(2));
    bool missing = dir.empty();
    for (const auto& part : parts) {
        out += '\\';
        if (missing) {
            out += part;
            continue;
        }
        const auto names = namesIn(dir);
        auto match = std::find_if(names.begin(), names.end(), [&](const std::string& n) { return equalsNoCase(n, part); });
        if (match == names.end())
            match = std::find_if(names.begin(), names.end(), [&](const std::string& n) {
                return !isValidShortName(n) && equalsNoCase(shortNameFor(n, names), part);
            });
        if (match == names.end()) {
            missing = true;
            out += part;
            continue;
        }
        out += isValidShortName(*match) ? *match : shortNameFor(*match, names);
        dir /= *match;
    }
    if (parts.empty()) out += '\\';
    return out;
}

std::string WindowsPaths::windowsFolder() const {
    const auto names = namesIn(m_prefix / "drive_c");
    const auto it = std::find_if(names.begin(), names.end(), [](const std::string& n) { return equalsNoCase(n, "windows"); });
    return "C:\\" + (it == names.end() ? std::string("windows") : *it);
}

std::string WindowsPaths::systemFolder() const {
    const std::string windows = windowsFolder();
    const auto names = namesIn(m_prefix / "drive_c" / windows.substr(3));
    const auto it = std::find_if(names.begin(), names.end(), [](const std::string& n) { return equalsNoCase(n, "system32"); });
    return windows + "\\" + (it == names.end() ? std::string("system32") : *it);
}

} // namespace tarrowin

#include "cli/CommandLine.h"

#include "browser/IconFileLoader.h"
#include "cli/CommandFailure.h"
#include "cli/IconMakerCommand.h"
#include "core/ObjectError.h"
#include "icon/IconImage.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <ostream>

namespace tarrowin {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "Usage: tarrowin [--prefix DIR]                start the window\n"
    "       tarrowin list FILE                     list the icons of an .ico, .exe or .dll file\n"
    "       tarrowin extract FILE -o OUT [--group ID|NAME] [--images 1,3] [--force]\n"
    "                                              write icons as .ico files\n"
    "       tarrowin create PICTURE -o OUT.ico [--sizes 16,32,48,WxH] [--transparent auto|none|RRGGBB]\n"
    "                                              make a multi-size 32-bit icon from a picture\n"
    "Run 'tarrowin VERB --help' for the options of one verb.\n";

constexpr const char* kListHelp =
    "Usage: tarrowin list FILE\n"
    "Lists the icons of FILE (.ico, .exe, .dll or any Windows executable), one line each:\n"
    "position, resource identifier (number, name, or the path of an .ico file), image count,\n"
    "then each image as WIDTHxHEIGHT@BITS, separated by tabs.\n";

constexpr const char* kExtractHelp =
    "Usage: tarrowin extract FILE -o OUT [--group ID|NAME] [--images 1,3] [--force]\n"
    "With --group, writes that icon as the .ico file OUT. Without it, writes every icon of FILE\n"
    "into the folder OUT as IDENTIFIER.ico (an .ico file keeps its own name).\n"
    "  --images LIST  keep only these images (numbers from 1, as 'list' shows them)\n"
    "  --force        replace existing files (never done otherwise)\n";

bool hasHelp(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; });
}

std::optional<int> parseInt(std::string_view text) {
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const auto at = text.find(sep, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string::npos) break;
        start = at + 1;
    }
    return parts;
}

IconFileLoad loadOrFail(const std::string& file) {
    std::error_code ec;
    if (!fs::exists(file, ec)) throw CommandFailure(file + ": " + (ec ? ec.message() : "no such file") + ".");
    IconFileLoad load = loadIconFile(file);
    if (!load.ok()) throw CommandFailure(file + ": " + load.reason);
    return load;
}

std::string imageText(const cFileIcon& icon, int n) {
    const auto info = iconImageInfo(icon.imageRecord(n));
    const IconDirEntry& e = icon.entry(n);
    const int w = info ? info->width : (e.bWidth == 0 ? 256 : e.bWidth);
    const int h = info ? info->height : (e.bHeight == 0 ? 256 : e.bHeight);
    const int bits = info ? info->bitCount : e.wBitCount;
    return std::to_string(w) + "x" + std::to_string(h) + "@" + std::to_string(bits);
}

int runList(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 1) throw CommandFailure("list takes exactly one FILE (see tarrowin list --help).");
    const std::string& file = args[0];
    const IconFileLoad load = loadOrFail(file);
    int position = 0;
    for (const cFileIcon& icon : load.icons) {
        std::string id = resourceIdText(icon.ResourceID());
        if (std::holds_alternative<std::monostate>(icon.ResourceID())) id = file;
        out << ++position << '\t' << id << '\t' << icon.ImageCount();
        for (int n = 1; n <= icon.ImageCount(); ++n) out << '\t' << imageText(icon, n);
        out << '\n';
    }
    return 0;
}

// The icon whose identifier matches: numbers as numbers, names without regard to case.
const cFileIcon* findGroup(const std::vector<cFileIcon>& icons, const std::string& wanted) {
    const auto number = parseInt(wanted);
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    };
    // A number names a numbered group before a group whose name is those digits.
    if (number)
        for (const cFileIcon& icon : icons)
            if (const auto* n = std::get_if<std::int32_t>(&icon.ResourceID()); n && *n == *number) return &icon;
    for (const cFileIcon& icon : icons)
        if (const auto* s = std::get_if<std::string>(&icon.ResourceID()); s && lower(*s) == lower(wanted))
            return &icon;
    // An .ico file holds one icon without an identifier: "1" names it.
    if (icons.size() == 1 && std::holds_alternative<std::monostate>(icons[0].ResourceID()) && number == 1)
        return &icons[0];
    return nullptr;
}

void saveIcon(cFileIcon icon, const fs::path& target) {
    try {
        icon.SaveIcon(target.string());
    } catch (const ObjectError& e) {
        throw CommandFailure(target.string() + ": " + e.description());
    }
}

int runExtract(const std::vector<std::string>& args, std::ostream& out) {
    std::string file, output, group, images;
    bool force = false, haveGroup = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw CommandFailure(a + " needs a value (see tarrowin extract --help).");
            return args[++i];
        };
        if (a == "-o" || a == "--output") output = value();
        else if (a == "--group") group = value(), haveGroup = true;
        else if (a == "--images") images = value();
        else if (a == "--force") force = true;
        else if (!a.empty() && a[0] == '-') throw CommandFailure("unknown option " + a + " (see tarrowin extract --help).");
        else if (file.empty()) file = a;
        else throw CommandFailure("extract takes one FILE (see tarrowin extract --help).");
    }
    if (file.empty() || output.empty()) throw CommandFailure("extract needs FILE and -o OUT (see tarrowin extract --help).");

    std::vector<int> chosen;
    if (!images.empty()) {
        for (const std::string& part : split(images, ',')) {
            const auto n = parseInt(part);
            if (!n || *n < 1) throw CommandFailure("--images takes image numbers from 1, separated by commas: " + images);
            chosen.push_back(*n);
        }
    }

    const IconFileLoad load = loadOrFail(file);
    std::vector<std::pair<const cFileIcon*, fs::path>> plan;
    if (haveGroup) {
        const cFileIcon* icon = findGroup(load.icons, group);
        if (!icon) throw CommandFailure(file + ": no icon group " + group + ".");
        plan.emplace_back(icon, fs::path(output));
    } else {
        std::error_code ec;
        fs::create_directories(output, ec);
        if (!fs::is_directory(output, ec)) throw CommandFailure(output + ": cannot make this folder.");
        for (const cFileIcon& icon : load.icons) plan.emplace_back(&icon, fs::path(output) / iconExportFileName(icon));
    }

    // Check everything before writing anything, so that a refusal leaves no half-done folder.
    for (const auto& [icon, target] : plan) {
        for (int n : chosen)
            if (n > icon->ImageCount())
                throw CommandFailure(file + ": icon " + resourceIdText(icon->ResourceID()) + " has " +
                              std::to_string(icon->ImageCount()) + " images; there is no image " + std::to_string(n) + ".");
        if (icon->ImageCount() <= 0)
            throw CommandFailure(file + ": icon " + resourceIdText(icon->ResourceID()) + " could not be read.");
        std::error_code ec;
        if (!force && fs::exists(fs::symlink_status(target, ec)))
            throw CommandFailure(target.string() + " exists; use --force to replace it.");
    }
    // Two groups can come to one file name (101 and "101", or "A:B" and "A_B"):
    // the second would silently replace the first.
    for (std::size_t i = 0; i < plan.size(); ++i)
        for (std::size_t j = i + 1; j < plan.size(); ++j)
            if (plan[i].second == plan[j].second)
                throw CommandFailure(file + ": icons " + resourceIdText(plan[i].first->ResourceID()) + " and " +
                                     resourceIdText(plan[j].first->ResourceID()) + " would both be written to " +
                                     plan[i].second.string() + "; extract them one by one with --group.");
    for (const auto& [icon, target] : plan) {
        saveIcon(iconWithImages(*icon, chosen), target);
        out << target.string() << '\n';
    }
    return 0;
}

} // namespace

bool isCommandLineInvocation(const std::vector<std::string>& args) {
    if (args.empty()) return false;
    const std::string& verb = args[0];
    return verb == "list" || verb == "extract" || verb == "create" || verb == "--help" || verb == "-h" ||
           verb == "help";
}

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        out << kUsage;
        return 0;
    }
    const std::string verb = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    try {
        if (verb == "list") {
            if (hasHelp(rest)) return out << kListHelp, 0;
            return runList(rest, out);
        }
        if (verb == "extract") {
            if (hasHelp(rest)) return out << kExtractHelp, 0;
            return runExtract(rest, out);
        }
        if (verb == "create") {
            if (hasHelp(rest)) return out << kCreateHelp, 0;
            return runCreate(rest, out);
        }
    } catch (const CommandFailure& f) {
        err << "tarrowin " << verb << ": " << f.what() << '\n';
        return 1;
    } catch (const std::bad_alloc&) {
        err << "tarrowin " << verb << ": not enough memory for this file.\n";
        return 1;
    } catch (const std::exception& e) {
        err << "tarrowin " << verb << ": " << e.what() << '\n';
        return 1;
    }
    err << "tarrowin: unknown command " << verb << "\n" << kUsage;
    return 2;
}

} // namespace tarrowin

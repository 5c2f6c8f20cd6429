#include "browser/IconFileLoader.h"

#include "core/FileIO.h"
#include "core/HostPath.h"
#include "core/ObjectError.h"
#include "icon/cResources.h"

#include <algorithm>
#include <cctype>

namespace tarrowin {

namespace {
constexpr std::int32_t kGroupIconType = 14;

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}
} // namespace

std::string iconFileExtension(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "ICO";
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return ext;
}

namespace {

// What the first bytes say the file is: an executable starts with "MZ", an icon
// file with 0, 0, 1, 0. Anything else is left to the name.
enum class Content { Executable, Icon, Unknown };

Content sniff(const std::string& path) {
    const auto bytes = readFileHead(hostPath(path), 4);
    if (!bytes || bytes->size() < 4) return Content::Unknown;
    const auto* head = bytes->data();
    if (head[0] == 'M' && head[1] == 'Z') return Content::Executable;
    if (head[0] == 0 && head[1] == 0 && head[2] == 1 && head[3] == 0) return Content::Icon;
    return Content::Unknown;
}

} // namespace

IconFileLoad loadIconFile(const std::string& path, const std::function<void(int, int)>& progress) {
    IconFileLoad result;
    // The name decides, unless the content plainly says otherwise: an executable
    // without an extension, or an icon file named .dll, still loads.
    const Content content = sniff(path);
    const bool asIcon = content == Content::Icon || (content == Content::Unknown && iconFileExtension(path) == "ICO");
    if (asIcon) {
        cFileIcon icon;
        try {
            if (!icon.LoadIcon(path)) {
                result.reason = "The file cannot be opened.";
                return result;
            }
        } catch (const ObjectError& e) {
            result.reason = e.description();
            return result;
        }
        result.icons.push_back(std::move(icon));
        result.outcome = IconFileLoad::Outcome::Loaded;
        return result;
    }

    cResources resources;
    clearLastError();
    resources.setFile(path);
    std::int32_t type = 0;
    try {
        resources.GetResourceTypes();
        type = resources.IndexOfResourceType(kGroupIconType);
        if (type <= 0) {
            result.outcome = IconFileLoad::Outcome::NoIconGroups;
            result.reason = kNoIconsFound;
            return result;
        }
        resources.GetResourceNames(type);
    } catch (const ObjectError& e) {
        // Without resources at all, or when the file is no executable, the load
        // fails quietly; the recorded reason of opening says more than the raise.
        // Either way the load takes the quiet failure path, without a message box.
        result.reason = lastError().number != 0 ? lastError().description : e.description();
        return result;
    }
    resources.UnloadModule();
    const std::int32_t count = resources.ResourceNameCount(type);
    if (count <= 0) {
        result.outcome = IconFileLoad::Outcome::NoIconNames;
        result.reason = kNoIconResources;
        return result;
    }
    result.icons.resize(static_cast<std::size_t>(count));
    for (std::int32_t i = 1; i <= count; ++i) {
        if (progress) progress(i, count);
        const ResourceId name = resources.ResourceName(type, i);
        cFileIcon& icon = result.icons[static_cast<std::size_t>(i - 1)];
        if (const auto* id = std::get_if<std::int32_t>(&name))
            icon.LoadIconFromEXE(path, *id, {});
        else
            icon.LoadIconFromEXE(path, 0, std::get<std::string>(name));
        // A group that fails to load stays in the list, empty, as the browser shows it.
    }
    result.outcome = IconFileLoad::Outcome::Loaded;
    return result;
}

std::string iconExportFileName(const cFileIcon& icon) {
    std::string name = resourceIdText(icon.ResourceID());
    if (name.empty()) name = baseName(icon.Filename());
    if (name.empty()) name = "icon";
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
            c == '>' || c == '|')
            c = '_';
    }
    if (name == "." || name == "..") name = "_";
    return name + ".ico";
}

cFileIcon iconWithImages(const cFileIcon& icon, const std::vector<int>& chosen) {
    cFileIcon copy;
    if (icon.ImageCount() <= 0) return copy;
    icon.CloneTo(copy);
    if (chosen.empty()) return copy;
    // From the last image to the first, so the numbers of those still to visit hold.
    for (int n = copy.ImageCount(); n >= 1; --n)
        if (std::find(chosen.begin(), chosen.end(), n) == chosen.end()) copy.RemoveImage(n);
    return copy;
}

} // namespace tarrowin

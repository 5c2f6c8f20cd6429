#include "icon/cResources.h"

#include "core/ObjectError.h"
#include "icon/PeFile.h"

#include <stdexcept>

namespace tarrowin {

namespace {

constexpr int kErrTypes = 1049;
constexpr int kErrNames = 1050;
constexpr std::size_t kMaxMessageChars = 256;

constexpr const char* kNotExecutable = "The file is not a valid Windows executable or library.";
constexpr const char* kNotOpen = "No executable file is open.";
constexpr const char* kNoResources = "The specified image file did not contain a resource section.";
constexpr const char* kTypeNotFound = "The specified resource type cannot be found in the image file.";
constexpr const char* kNameNotFound = "The specified resource name cannot be found in the image file.";

[[noreturn]] void raise(int code, const char* description) {
    throw ObjectError::fromCode(code, cResources::kEnumerationClassName, description);
}

ResourceId toResourceId(const PeName& name) {
    if (const auto* n = std::get_if<std::uint16_t>(&name)) return std::int32_t{*n};
    return std::get<std::string>(name);
}

} // namespace

void cResources::setFile(const std::string& sFile) {
    ClearUp();
    m_file = sFile;
    std::string why;
    auto reader = openPeFile(sFile, &why);
    if (reader && reader->status() == PeResourceReader::Status::NotExecutable) {
        reader.reset();
        why = kNotExecutable;
    }
    if (!reader) {
        if (why.size() > kMaxMessageChars) why.resize(kMaxMessageChars);
        recordError(kErrTypes, kClassName, why);
        return;
    }
    m_module = std::move(reader);
}

bool cResources::GetResourceTypes() {
    m_types.clear();
    if (!m_module) raise(kErrTypes, kNotOpen);
    if (m_module->status() != PeResourceReader::Status::Ok || m_module->types().empty())
        raise(kErrTypes, kNoResources);
    for (const PeTypeEntry& t : m_module->types()) {
        TypeEntry entry;
        if (const auto* n = std::get_if<std::uint16_t>(&t.type)) entry.number = *n;
        else entry.name = std::get<std::string>(t.type);
        m_types.push_back(std::move(entry));
    }
    return true;
}

ResourceId cResources::ResourceType(std::int32_t iIndex) const {
    if (iIndex < 1 || iIndex > ResourceTypeCount()) throw std::out_of_range("cResources::ResourceType");
    const TypeEntry& t = m_types[static_cast<std::size_t>(iIndex - 1)];
    // An empty name reads as the number, which is then 0.
    if (!t.name.empty()) return t.name;
    return t.number;
}

std::int32_t cResources::IndexOfResourceType(std::int32_t eType) const {
    for (std::size_t i = 0; i < m_types.size(); ++i) {
        if (m_types[i].name.empty() && m_types[i].number == eType) return static_cast<std::int32_t>(i + 1);
    }
    return 0;
}

std::string cResources::ResourceTypeName(std::int32_t eType) {
    switch (eType) {
    case 1: return "Cursor";
    case 2: return "Bitmap";
    case 3: return "Icon";
    case 4: return "Menu";
    case 5: return "Dialog";
    case 6: return "String";
    case 7: return "Font Directory";
    case 8: return "Font";
    case 9: return "Accelerators";
    case 10: return "RC Data";
    case 11: return "Message Table";
    case 12: return "Group Cursor";
    case 14: return "Group Icon";
    case 16: return "Version";
    case 17: return "Dialog Include";
    case 19:
    case 20: return "VXD";
    case 21: return "Animated Cursor";
    case 22: return "Animated Icon";
    case 23: return "HTML";
    default: return "Other (" + std::to_string(eType) + ")";
    }
}

bool cResources::GetResourceNames(std::int32_t iIndex) {
    // Free this type's old list, then reuse the last free list (or add one), so
    // that asking twice leaves one list holding the names once.
    for (NameList& list : m_nameLists) {
        if (list.tag == iIndex) {
            list.names.clear();
            list.tag = 0;
        }
    }
    NameList* chosen = nullptr;
    for (auto it = m_nameLists.rbegin(); it != m_nameLists.rend(); ++it) {
        if (it->tag == 0) {
            chosen = &*it;
            break;
        }
    }
    if (!chosen) chosen = &m_nameLists.emplace_back();
    chosen->tag = iIndex;

    if (!m_module) raise(kErrNames, kNotOpen);
    if (iIndex < 1 || iIndex > ResourceTypeCount()) raise(kErrNames, kTypeNotFound);
    const TypeEntry& t = m_types[static_cast<std::size_t>(iIndex - 1)];
    const PeName type = t.name.empty() ? PeName{static_cast<std::uint16_t>(t.number)} : PeName{t.name};
    const PeTypeEntry* found = m_module->findType(type);
    if (!found) raise(kErrNames, kTypeNotFound);
    if (found->names.empty()) raise(kErrNames, kNameNotFound);
    for (const PeNameEntry& n : found->names) chosen->names.push_back(toResourceId(n.name));
    return true;
}

const cResources::NameList* cResources::listFor(std::int32_t iTypeIndex) const {
    if (iTypeIndex == 0) return nullptr; // 0 marks free lists, never a type
    for (const NameList& list : m_nameLists) {
        if (list.tag == iTypeIndex) return &list;
    }
    return nullptr;
}

std::int32_t cResources::ResourceNameCount(std::int32_t iTypeIndex) const {
    const NameList* list = listFor(iTypeIndex);
    return list ? static_cast<std::int32_t>(list->names.size()) : 0;
}

ResourceId cResources::ResourceName(std::int32_t iTypeIndex, std::int32_t iNameIndex) const {
    const NameList* list = listFor(iTypeIndex);
    if (!list || iNameIndex < 1 || iNameIndex > static_cast<std::int32_t>(list->names.size()))
        throw std::out_of_range("cResources::ResourceName");
    return list->names[static_cast<std::size_t>(iNameIndex - 1)];
}

void cResources::ClearUp() noexcept {
    UnloadModule();
    m_types.clear();
    m_nameLists.clear();
}

} // namespace tarrowin

#pragma once

// Lists the resources of an executable or library: first its resource types, then,
// for a chosen type, the numbers or names of the resources of that type. The file
// is opened as data only and read through our own PE resource reader.

#include "icon/PeResourceReader.h"
#include "icon/cFileIcon.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarrowin {

class cResources {
public:
    static constexpr const char* kClassName = "cResources";
    // Enumeration errors carry this source, without the final "s".
    static constexpr const char* kEnumerationClassName = "cResource";

    cResources() = default;
    ~cResources() { ClearUp(); }

    // Writing the file clears everything and opens it; a failure is recorded as
    // error 1049 (never raised) and leaves hModule empty.
    void setFile(const std::string& sFile);
    const std::string& file() const noexcept { return m_file; }
    // The open file, or nullptr when none is open.
    const PeResourceReader* hModule() const noexcept { return m_module.get(); }

    // Fills the type list; raises 1049 when no file is open or it has no resources.
    bool GetResourceTypes();
    std::int32_t ResourceTypeCount() const noexcept { return static_cast<std::int32_t>(m_types.size()); }
    // The type's name when it has one, else its number. iIndex runs from 1.
    ResourceId ResourceType(std::int32_t iIndex) const;
    // Number of the first type entry with that numeric type; 0 when there is none.
    std::int32_t IndexOfResourceType(std::int32_t eType) const;
    static std::string ResourceTypeName(std::int32_t eType);

    // Fills the name list of type entry iIndex; raises 1050 when the type is not
    // found or has no resources.
    bool GetResourceNames(std::int32_t iIndex);
    std::int32_t ResourceNameCount(std::int32_t iTypeIndex) const;
    // The resource's number, or its name. Throws std::out_of_range for a type whose
    // names were not gathered or a name number outside 1..ResourceNameCount.
    ResourceId ResourceName(std::int32_t iTypeIndex, std::int32_t iNameIndex) const;

    void UnloadModule() noexcept { m_module.reset(); }
    void ClearUp() noexcept;

private:
    struct TypeEntry {
        std::int32_t number = 0; // 0 for a named type
        std::string name;
    };
    struct NameList {
        std::int32_t tag = 0; // the type entry it belongs to; 0 = free
        std::vector<ResourceId> names;
    };
    const NameList* listFor(std::int32_t iTypeIndex) const;

    std::string m_file;
    std::shared_ptr<const PeResourceReader> m_module;
    std::vector<TypeEntry> m_types;
    std::vector<NameList> m_nameLists;
};

} // namespace tarrowin

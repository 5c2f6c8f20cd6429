// cFileIcon::LoadIconFromEXE: one icon group of an executable into ICO layout.

#include "core/ObjectError.h"
#include "icon/PeFile.h"
#include "icon/PeIconGroup.h"
#include "icon/cFileIcon.h"

namespace tarrowin {

namespace {
constexpr int kErrLoadLibrary = 1054;
constexpr int kErrFindResource = 1055;
constexpr int kErrLoadResource = 1056;
constexpr int kErrReadBits = 1057;
} // namespace

bool cFileIcon::LoadIconFromEXE(const std::string& sFile, std::int32_t lpID, const std::string& lpName) {
    clear(sFile);
    auto fail = [](int code, const char* description) {
        recordError(code, kClassName, description);
        return false;
    };

    // A file that is not a PE executable cannot be opened as a data file either.
    const auto reader = openPeFile(sFile);
    if (!reader || reader->status() == PeResourceReader::Status::NotExecutable)
        return fail(kErrLoadLibrary, "Can't load library.");

    // Numbers go through "#" and the decimal text, as the Windows lookup takes
    // them: identifiers outside 1..65535 therefore find nothing.
    std::optional<PeName> group;
    if (lpID != 0) {
        group = parseResourceName(std::to_string(lpID).insert(0, 1, '#'));
        m_resourceId = lpID;
    } else {
        group = parseResourceName(lpName);
        m_resourceId = lpName;
    }
    if (!group) return fail(kErrFindResource, "Can't find resource.");

    PeIconGroup loaded = readIconGroup(*reader, *group);
    switch (loaded.status) {
    case PeIconGroup::Status::Ok:
        assign(loaded.header, std::move(loaded.directory), std::move(loaded.images));
        return true;
    case PeIconGroup::Status::NotFound: return fail(kErrFindResource, "Can't find resource.");
    // A group too short for its own entries is as unusable as one that cannot be
    // loaded; reading on would take bytes of whatever follows it.
    case PeIconGroup::Status::NotLoadable:
    case PeIconGroup::Status::Truncated: return fail(kErrLoadResource, "Can't load resource.");
    case PeIconGroup::Status::NotLockable: return fail(kErrLoadResource, "Can't lock resource.");
    case PeIconGroup::Status::NoImages:
        // Nothing recorded; the icon stays empty (a negative count must not
        // survive as the image count).
        return false;
    case PeIconGroup::Status::BadImage:
        m_resourceId = std::monostate{};
        return fail(kErrReadBits, "Failed to read bitmap bits from resource.");
    }
    return false;
}

} // namespace tarrowin

#include "settings/ProgramFolder.h"

#include <utility>

namespace tarrowin {

namespace {
std::string& programFolderValue() {
    static std::string value;
    return value;
}
} // namespace

std::string ProgramFolder() { return programFolderValue(); }

void setProgramFolder(std::string folder) { programFolderValue() = std::move(folder); }

} // namespace tarrowin

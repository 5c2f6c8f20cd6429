#include "core/HostPath.h"

namespace tarrowin {

namespace {
HostPathResolver& resolver() {
    static HostPathResolver r;
    return r;
}
} // namespace

std::filesystem::path hostPath(std::string_view programPath) {
    if (const auto& r = resolver()) return r(programPath);
    return std::filesystem::path(std::string(programPath));
}

void setHostPathResolver(HostPathResolver r) { resolver() = std::move(r); }

} // namespace tarrowin

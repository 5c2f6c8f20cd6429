#pragma once

// Paths inside the program are Windows paths (C:\WINDOWS\system32\shell32.dll).
// The standard-library layers open files through hostPath(), which the platform
// layer points at the Windows environment at start-up. Until then (and in tests
// of those layers) a path is taken as a host path as it stands.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace tarrowin {

using HostPathResolver = std::function<std::filesystem::path(std::string_view)>;

std::filesystem::path hostPath(std::string_view programPath);
// Installs the mapping; an empty function restores the identity.
void setHostPathResolver(HostPathResolver resolver);

} // namespace tarrowin

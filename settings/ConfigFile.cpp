#include "settings/ConfigFile.h"

#include "core/HostPath.h"
#include "settings/IniFile.h"
#include "settings/ProgramFolder.h"

namespace tarrowin {

namespace {
// The profile reader's buffer: 254 characters and the terminator.
constexpr std::size_t kConfigBufferSize = 255;
} // namespace

std::string ConfigFilePath() {
    std::string path = ProgramFolder();
    // A folder at a drive root ("C:\") already ends in a backslash.
    if (path.empty() || path.back() != '\\') path += '\\';
    return path + "config.ini";
}

std::string ReadConfigValue(const std::string& sSection, const std::string& sKey) {
    return readProfileString(hostPath(ConfigFilePath()), sSection, sKey, "ERROR",
                             kConfigBufferSize);
}

void WriteConfigValue(const std::string& sValue, const std::string& sKey) {
    writeProfileString(hostPath(ConfigFilePath()), kConfigSection, sKey, sValue);
}

void WriteIniValue(const std::string& sSection, const std::string& sKey, const std::string& sValue,
                   const std::string& sFile) {
    writeProfileString(hostPath(sFile), sSection, sKey, sValue);
}

} // namespace tarrowin

#include "settings/Registry.h"

#include <array>
#include <string_view>

namespace tarrowin {

namespace {

std::shared_ptr<RegistryStore>& storeSlot() {
    static std::shared_ptr<RegistryStore> store;
    return store;
}

struct Folders {
    std::string windows = "C:\\WINDOWS";
    std::string system = "C:\\WINDOWS\\system32";
};
Folders& folders() {
    static Folders f;
    return f;
}

// The read buffer of the path functions: 254 bytes of text and the terminator.
constexpr std::uint32_t kReadBufferSize = 255;

std::string trimSpaces(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

} // namespace

void setRegistryStore(std::shared_ptr<RegistryStore> store) { storeSlot() = std::move(store); }
std::shared_ptr<RegistryStore> registryStore() { return storeSlot(); }

std::string RegistryWriteProblem() {
    const auto& s = storeSlot();
    return s ? s->lastWriteProblem() : std::string();
}

std::uint32_t RootKeyFromName(const std::string& sRootName) {
    static constexpr std::array<std::pair<std::string_view, std::uint32_t>, 7> kRoots{{
        {"HKEY_CLASSES_ROOT", kHkeyClassesRoot},
        {"HKEY_CURRENT_USER", kHkeyCurrentUser},
        {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine},
        {"HKEY_USERS", kHkeyUsers},
        {"HKEY_PERFORMANCE_DATA", kHkeyPerformanceData},
        {"HKEY_CURRENT_CONFIG", kHkeyCurrentConfig},
        {"HKEY_DYN_DATA", kHkeyDynData},
    }};
    for (const auto& [name, handle] : kRoots)
        if (sRootName == name) return handle;
    return 0;
}

std::pair<std::uint32_t, std::string> SplitRegistryPath(const std::string& sPath) {
    if (sPath.empty() || sPath.back() == '\\' || sPath.rfind("HKEY_", 0) != 0) return {0, {}};
    const auto slash = sPath.find('\\');
    if (slash == std::string::npos) return {RootKeyFromName(sPath), {}};
    const std::uint32_t root = RootKeyFromName(sPath.substr(0, slash));
    if (!root) return {0, {}};
    return {root, sPath.substr(slash + 1)};
}

std::string RegistryReadText(const std::string& sPath, const std::string& sValueName) {
    const auto [root, subKey] = SplitRegistryPath(sPath);
    if (!root) return {};
    RegKey key;
    if (RegOpenKeyExA(root, subKey, kKeyRead, key) != kErrorSuccess) return kNoDescription;
    // A buffer of blanks: whatever the value leaves unfilled stays blank and is
    // trimmed away below with the blanks around the text.
    std::string buffer(kReadBufferSize, ' ');
    std::uint32_t type = 0;
    std::uint32_t size = kReadBufferSize;
    const auto r = RegQueryValueExA(key, sValueName, &type, reinterpret_cast<std::uint8_t*>(buffer.data()),
                                    &size);
    RegCloseKey(key);
    if (r != kErrorSuccess) return kNoDescription;
    // Trimmed, the buffer ends in the value's terminator: drop it. Blanks at the
    // end of the text itself sit before the terminator and stay.
    std::string text = trimSpaces(buffer);
    if (!text.empty()) text.pop_back();
    return text;
}

void RegistryWriteText(const std::string& sPath, const std::string& sValueName, const std::string& sText) {
    const auto [root, subKey] = SplitRegistryPath(sPath);
    if (!root) return;
    RegKey key;
    if (RegOpenKeyExA(root, subKey, kKeyWrite, key) != kErrorSuccess) return;
    // Stored whole with its terminator; %...% references stay as they are. Text
    // with such references, or replacing a value that was expandable, is stored
    // as an expandable string: the shell expands DefaultIcon texts only then, so
    // "%SystemRoot%\..." written as a plain string would name no file.
    std::uint32_t type = sText.find('%') != std::string::npos ? kRegExpandSz : kRegSz;
    RegKey reader;
    if (RegOpenKeyExA(root, subKey, kKeyRead, reader) == kErrorSuccess) {
        std::uint32_t existing = 0;
        if (RegQueryValueExA(reader, sValueName, &existing, nullptr, nullptr) == kErrorSuccess &&
            existing == kRegExpandSz)
            type = kRegExpandSz;
        RegCloseKey(reader);
    }
    RegSetValueExA(key, sValueName, type, reinterpret_cast<const std::uint8_t*>(sText.c_str()),
                   static_cast<std::uint32_t>(sText.size() + 1));
    RegCloseKey(key);
}

void RegistryCreatePath(const std::string& sPath) {
    const auto [root, subKey] = SplitRegistryPath(sPath);
    if (!root) return;
    RegKey key;
    if (RegCreateKeyA(root, subKey, key) == kErrorSuccess) RegCloseKey(key);
}

std::string AddBackslash(const std::string& sText) {
    if (!sText.empty() && sText.back() == '\\') return sText;
    return sText + "\\";
}

std::string WindowsDirectory() { return AddBackslash(folders().windows); }

std::string SystemDirectory() {
    std::string s = folders().system;
    while (s.size() > 3 && s.back() == '\\') s.pop_back();
    return s;
}

void setWindowsFolders(std::string windowsFolder, std::string systemFolder) {
    folders().windows = std::move(windowsFolder);
    folders().system = std::move(systemFolder);
}

std::int32_t RegOpenKeyExA(std::uint32_t hKey, const std::string& lpSubKey, std::uint32_t samDesired,
                           RegKey& phkResult) {
    phkResult = RegKey{};
    const auto& s = storeSlot();
    if (!s) return kErrorFileNotFound;
    return s->openKey(hKey, lpSubKey, samDesired, phkResult);
}

std::int32_t RegCreateKeyA(std::uint32_t hKey, const std::string& lpSubKey, RegKey& phkResult) {
    phkResult = RegKey{};
    const auto& s = storeSlot();
    if (!s) return kErrorFileNotFound;
    return s->createKey(hKey, lpSubKey, phkResult);
}

std::int32_t RegQueryValueExA(const RegKey& hKey, const std::string& lpValueName, std::uint32_t* lpType,
                              std::uint8_t* lpData, std::uint32_t* lpcbData) {
    const auto& s = storeSlot();
    if (!s) return kErrorInvalidHandle;
    return s->queryValue(hKey, lpValueName, lpType, lpData, lpcbData);
}

std::int32_t RegSetValueExA(const RegKey& hKey, const std::string& lpValueName, std::uint32_t dwType,
                            const std::uint8_t* lpData, std::uint32_t cbData) {
    const auto& s = storeSlot();
    if (!s) return kErrorInvalidHandle;
    return s->setValue(hKey, lpValueName, dwType, lpData, cbData);
}

std::int32_t RegCloseKey(RegKey& hKey) {
    hKey = RegKey{};
    return kErrorSuccess;
}

} // namespace tarrowin

#pragma once

// Registry access by one textual path ("HKEY_CLASSES_ROOT\CLSID\{...}\DefaultIcon")
// and a value name, and the Windows and system folders. The functions raise
// nothing: a rejected path, a missing key or a refused write make a write do
// nothing and a read return "No description" (empty text for a rejected path).
//
// They work on the registry store installed with setRegistryStore (the hives of
// the Windows environment in a folder). With none installed every key is missing.

#include "settings/RegistryStore.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace tarrowin {

// The read result that stands for any failure; callers compare with it.
inline constexpr const char* kNoDescription = "No description";

void setRegistryStore(std::shared_ptr<RegistryStore> store);
std::shared_ptr<RegistryStore> registryStore();

// Why the last registry write of the program was refused or failed (for example
// because Wine runs in the prefix); empty when it worked. The path functions
// report nothing, so screens that want to tell the user ask here.
std::string RegistryWriteProblem();

// Root key handle of one of the seven root names, spelled exactly; 0 otherwise.
std::uint32_t RootKeyFromName(const std::string& sRootName);
// Root handle (0 = rejected) and subkey text of a registry path.
std::pair<std::uint32_t, std::string> SplitRegistryPath(const std::string& sPath);

std::string RegistryReadText(const std::string& sPath, const std::string& sValueName);
void RegistryWriteText(const std::string& sPath, const std::string& sValueName, const std::string& sText);
void RegistryCreatePath(const std::string& sPath);

// The Windows folder ending in "\" ("C:\windows\"), and the system folder without
// a trailing backslash ("C:\windows\system32").
std::string WindowsDirectory();
std::string SystemDirectory();
std::string AddBackslash(const std::string& sText);

// Where the two folders are; the Windows environment sets them at start-up.
// Until then they are "C:\WINDOWS" and "C:\WINDOWS\system32".
void setWindowsFolders(std::string windowsFolder, std::string systemFolder);

// The platform operations the path functions are written against, on the
// installed store. Keys are values here; "closing" one is letting it go.
using RegKey = OpenedKey;
std::int32_t RegOpenKeyExA(std::uint32_t hKey, const std::string& lpSubKey, std::uint32_t samDesired,
                           RegKey& phkResult);
std::int32_t RegCreateKeyA(std::uint32_t hKey, const std::string& lpSubKey, RegKey& phkResult);
std::int32_t RegQueryValueExA(const RegKey& hKey, const std::string& lpValueName, std::uint32_t* lpType,
                              std::uint8_t* lpData, std::uint32_t* lpcbData);
std::int32_t RegSetValueExA(const RegKey& hKey, const std::string& lpValueName, std::uint32_t dwType,
                            const std::uint8_t* lpData, std::uint32_t cbData);
std::int32_t RegCloseKey(RegKey& hKey);

} // namespace tarrowin

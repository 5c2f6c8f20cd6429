#pragma once

// The program's settings file, config.ini in the program folder, and the generic
// INI write that desktop.ini files go through. Every read goes to the file at the
// moment it is needed and every write goes to the file at once; there is no cache.

#include <string>

namespace tarrowin {

// The section every setting of the program lives in.
inline constexpr const char* kConfigSection = "QX-HALDMARK";

// The program folder, one "\" (none added when it already ends in one) and "config.ini".
std::string ConfigFilePath();

// The value with blanks around it removed and cut to 254 characters, or "ERROR"
// when the file, the section or the key is missing.
std::string ReadConfigValue(const std::string& sSection, const std::string& sKey);

// Stores the value under the key in section "QX-HALDMARK" of config.ini, creating
// file, section and key when missing. Failures are not reported.
void WriteConfigValue(const std::string& sValue, const std::string& sKey);

// The same write into any section of any INI file (a Windows path).
void WriteIniValue(const std::string& sSection, const std::string& sKey, const std::string& sValue,
                   const std::string& sFile);

} // namespace tarrowin

#pragma once

// What a fresh Windows XP holds for the fifteen desktop items whose icons the
// program changes: each class's DefaultIcon value, the class names, and the
// MUICache display names the desktop screen reads. A hive the program creates is
// seeded with them, so that the desktop screen shows a true state out of the box.

#include "settings/RegistryHive.h"

#include <string>

namespace tarrowin {

// Adds to a machine hive (system.reg) every seeded key or value that is missing;
// never changes one that exists. `windowsFolder` ends in "\" ("C:\windows\").
// Returns true when something was added.
bool seedMachineHive(RegistryHive& hive, const std::string& windowsFolder, std::int64_t unixTime);

// The same for the user's hive (user.reg): the MUICache names.
bool seedUserHive(RegistryHive& hive, std::int64_t unixTime);

} // namespace tarrowin

#pragma once

#include <string>

namespace tarrowin {

// Puts the program's own files (Data.ico, windows.ico, user.ico) into the program
// folder when they are missing there; files that exist are left as they are.
void ensureProgramFiles(const std::string& programFolder);

} // namespace tarrowin

#pragma once

// The program folder as a Windows path ("C:\Program Files\Tarrowin"), set once at
// start-up. Files of the program are addressed as this folder + "\" + name.

#include <string>

namespace tarrowin {

std::string ProgramFolder();
void setProgramFolder(std::string folder);

} // namespace tarrowin

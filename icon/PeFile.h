#pragma once

// Opens an executable as data for its resources. The browser opens a file once to
// list its icon groups and then once per group to load it, so the last file read
// is kept (one file only) and handed out again while it is unchanged on disk.

#include "icon/PeResourceReader.h"

#include <memory>
#include <string>

namespace tarrowin {

// Reads and parses `programPath` (through hostPath()). Returns nullptr when the
// file cannot be read, with the system's text for the error in `why`; otherwise
// the parsed file, whatever its status.
std::shared_ptr<const PeResourceReader> openPeFile(const std::string& programPath,
                                                   std::string* why = nullptr);

// Drops the kept file (tests, and callers that want the memory back).
void forgetPeFiles();

} // namespace tarrowin

#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tarrowin {

extern const char* const kCreateHelp;

// tarrowin create PICTURE -o OUT.ico [--sizes ...] [--transparent auto|none|RRGGBB]
// Throws CommandFailure.
int runCreate(const std::vector<std::string>& args, std::ostream& out);

} // namespace tarrowin

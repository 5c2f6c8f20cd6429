#pragma once

// tarrowin list | extract | create: icon work without a window, for scripts and
// build pipelines.

#include <iosfwd>
#include <string>
#include <vector>

namespace tarrowin {

// True when argv names a verb (or asks for help), so that no window starts.
bool isCommandLineInvocation(const std::vector<std::string>& args);

// Runs the verb in args[0] with its arguments. Returns the exit status: 0 on
// success, 1 on failure (a one-line message on `err`), 2 for a usage error.
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tarrowin

#pragma once

// Tells whether a Wine server runs for a prefix. The server keeps its socket and
// a lock file in a folder named after the prefix's device and inode,
// /tmp/.wine-<uid>/server-<dev>-<inode>/, and holds a write lock on the first
// byte of "lock" for as long as it lives. While it runs it owns the hives in
// memory and writes them back over the files when it exits, so changes made to
// the files meanwhile would be lost.

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tarrowin {

class WineServerProbe {
public:
    // `roots` are the folders that hold the per-prefix server folders; by default
    // /tmp/.wine-<uid> and the same under the user's runtime folder.
    explicit WineServerProbe(std::filesystem::path prefix, std::vector<std::filesystem::path> roots = {});

    // The server's folder name for the prefix: "server-<dev>-<inode>" in hex.
    static std::optional<std::string> serverFolderName(const std::filesystem::path& prefix);

    // The process id of the running server, if one runs for the prefix.
    std::optional<pid_t> runningServer() const;

    // A text for the user when a server runs, for the registry's write guard.
    std::optional<std::string> writeRefusal() const;

private:
    std::filesystem::path m_prefix;
    std::vector<std::filesystem::path> m_roots;
};

} // namespace tarrowin

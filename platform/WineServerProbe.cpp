#include "platform/WineServerProbe.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarrowin {

namespace fs = std::filesystem;

WineServerProbe::WineServerProbe(fs::path prefix, std::vector<fs::path> roots)
    : m_prefix(std::move(prefix)), m_roots(std::move(roots)) {
    if (m_roots.empty()) {
        const std::string uid = std::to_string(::getuid());
        m_roots.push_back("/tmp/.wine-" + uid);
        if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run) {
            m_roots.push_back(fs::path(run) / "wine");
            m_roots.push_back(fs::path(run) / (".wine-" + uid));
        }
    }
}

std::optional<std::string> WineServerProbe::serverFolderName(const fs::path& prefix) {
    struct stat st {};
    if (::stat(prefix.c_str(), &st) != 0) return std::nullopt;
    // The server prints each number as one hex run (a 64-bit number as its high
    // half followed by the low half in eight digits, which is the same text).
    char buf[64];
    std::snprintf(buf, sizeof buf, "server-%llx-%llx", static_cast<unsigned long long>(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    return std::string(buf);
}

std::optional<pid_t> WineServerProbe::runningServer() const {
    const auto name = serverFolderName(m_prefix);
    if (!name) return std::nullopt;
    for (const auto& root : m_roots) {
        const fs::path lock = root / *name / "lock";
        const int fd = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = 0;
        fl.l_len = 1;
        const bool asked = ::fcntl(fd, F_GETLK, &fl) == 0;
        ::close(fd);
        if (asked && fl.l_type != F_UNLCK) return fl.l_pid;
        // Where locks do not work the server falls back to its socket's presence.
        if (!asked) {
            std::error_code ec;
            if (fs::exists(root / *name / "socket", ec)) return pid_t{0};
        }
    }
    return std::nullopt;
}

std::optional<std::string> WineServerProbe::writeRefusal() const {
    const auto pid = runningServer();
    if (!pid) return std::nullopt;
    std::string text = "Wine is running in the Windows environment " + m_prefix.string();
    if (*pid > 0) text += " (wineserver, process " + std::to_string(*pid) + ")";
    text += ". It keeps the registry in memory and would overwrite any change when it ends. "
            "Close the Windows programs of this environment (or run \"wineserver -k\") and try again.";
    return text;
}

} // namespace tarrowin

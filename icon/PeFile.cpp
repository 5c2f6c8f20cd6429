#include "icon/PeFile.h"

#include "core/FileIO.h"
#include "core/HostPath.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <sys/stat.h>

namespace tarrowin {

namespace {

struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t mtimeNs = 0;
    std::int64_t ctimeNs = 0;
    bool operator==(const Identity&) const = default;
};

struct Kept {
    std::filesystem::path path;
    Identity identity;
    std::shared_ptr<const PeResourceReader> reader;
};

std::mutex g_mutex;
Kept g_kept;

std::int64_t nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

} // namespace

std::shared_ptr<const PeResourceReader> openPeFile(const std::string& programPath, std::string* why) {
    const std::filesystem::path path = hostPath(programPath);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (why) *why = std::strerror(errno);
        return nullptr;
    }
    const Identity identity{st.st_dev, st.st_ino, st.st_size, nanoseconds(st.st_mtim),
                            nanoseconds(st.st_ctim)};
    {
        std::lock_guard lock(g_mutex);
        if (g_kept.reader && g_kept.path == path && g_kept.identity == identity) return g_kept.reader;
    }
    auto data = readWholeFile(path, kMaxReadBytes, why);
    if (!data) return nullptr;
    auto reader = std::make_shared<const PeResourceReader>(std::move(*data));
    std::lock_guard lock(g_mutex);
    g_kept = Kept{path, identity, reader};
    return reader;
}

void forgetPeFiles() {
    std::lock_guard lock(g_mutex);
    g_kept = Kept{};
}

} // namespace tarrowin

#include "icon/PeFile.h"

#include "core/FileIO.h"
#include "core/HostPath.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    // True when the file's change time lay well before the read: a later
    // replacement would then show a different change time.
    bool settled = false;
    std::shared_ptr<const PeResourceReader> reader;
};

// Longer than the coarsest file-time step of the file systems we run on.
constexpr std::int64_t kSettleNs = 2'000'000'000;

std::mutex g_mutex;
Kept g_kept;

std::int64_t nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

constexpr std::size_t kCompareBytes = 4096;

bool sameEnds(const std::filesystem::path& path, Bytes kept) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::vector<std::uint8_t> buffer(std::min(kCompareBytes, kept.size()));
    auto matches = [&](std::size_t offset) {
        std::size_t got = 0;
        while (got < buffer.size()) {
            const ssize_t n = ::pread(fd, buffer.data() + got, buffer.size() - got,
                                      static_cast<off_t>(offset + got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            got += static_cast<std::size_t>(n);
        }
        return std::equal(buffer.begin(), buffer.end(), kept.begin() + static_cast<std::ptrdiff_t>(offset));
    };
    const bool same = matches(0) && matches(kept.size() - buffer.size());
    ::close(fd);
    return same;
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
    std::shared_ptr<const PeResourceReader> kept;
    bool settled = false;
    {
        std::lock_guard lock(g_mutex);
        if (g_kept.reader && g_kept.path == path && g_kept.identity == identity) {
            kept = g_kept.reader;
            settled = g_kept.settled;
        }
    }
    // File times are coarse and inodes get reused, so a file replaced right after
    // it was read, by one of the same size, could pass for the kept one: unless
    // the kept file had settled, its head and tail (headers and resources) must
    // match as well.
    if (kept && (settled || sameEnds(path, kept->data()))) return kept;
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    auto data = readWholeFile(path, kMaxReadBytes, why);
    if (!data) return nullptr;
    auto reader = std::make_shared<const PeResourceReader>(std::move(*data));
    std::lock_guard lock(g_mutex);
    g_kept = Kept{path, identity, nanoseconds(now) - identity.ctimeNs > kSettleNs, reader};
    return reader;
}

void forgetPeFiles() {
    std::lock_guard lock(g_mutex);
    g_kept = Kept{};
}

} // namespace tarrowin

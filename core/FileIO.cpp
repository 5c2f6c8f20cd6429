#include "core/FileIO.h"

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace tarrowin {

namespace {

std::optional<std::vector<std::uint8_t>> readRegularFile(const std::filesystem::path& path, std::uint64_t maxBytes,
                                                         bool truncate, std::string* why) {
    auto fail = [&](int err) -> std::optional<std::vector<std::uint8_t>> {
        if (why) *why = std::strerror(err);
        return std::nullopt;
    };
    // Not blocking: opening a named pipe must not wait for a writer; only
    // regular files are read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return fail(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return fail(err ? err : EINVAL);
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes && !truncate) {
        ::close(fd);
        return fail(EFBIG);
    }
    std::vector<std::uint8_t> out(static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(st.st_size), maxBytes)));
    std::size_t got = 0;
    while (got < out.size()) {
        const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            return fail(err);
        }
        if (n == 0) break; // the file shrank while we read it
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    out.resize(got);
    return out;
}

} // namespace

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path, std::uint64_t maxBytes,
                                                       std::string* why) {
    return readRegularFile(path, maxBytes, false, why);
}

std::optional<std::vector<std::uint8_t>> readFileHead(const std::filesystem::path& path, std::uint64_t bytes) {
    return readRegularFile(path, bytes, true, nullptr);
}

namespace {

std::filesystem::path temporaryBeside(const std::filesystem::path& target) {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    char suffix[32];
    // Short, so that a target whose name is near the file system's limit can still be saved.
    std::snprintf(suffix, sizeof suffix, "~%08x", static_cast<unsigned>(rng()));
    std::filesystem::path tmp = target;
    tmp += suffix;
    return tmp;
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

WriteResult writeFileAtomic(const std::filesystem::path& target,
                            std::span<const std::span<const std::uint8_t>> parts) {
    // A link is followed, so that the file it points at is replaced, not the link.
    std::filesystem::path path = target;
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        path = std::filesystem::weakly_canonical(target, ec);
        if (ec) return WriteResult::CannotCreate;
    }
    mode_t mode = 0666 & ~[] { mode_t m = ::umask(0); ::umask(m); return m; }();
    struct stat st {};
    const bool replacing = ::stat(path.c_str(), &st) == 0;
    if (replacing) {
        if (S_ISDIR(st.st_mode)) return WriteResult::CannotCreate;
        mode = st.st_mode & 07777;
    }
    const std::filesystem::path tmp = temporaryBeside(path);
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return WriteResult::CannotCreate;
    bool ok = true;
    for (auto part : parts) {
        if (!writeAll(fd, part)) {
            ok = false;
            break;
        }
    }
    // Flushing to disk is what keeps a replaced file from being lost to a crash
    // right after the rename; a new file has nothing to lose, and skipping the
    // flush keeps writing hundreds of icons fast.
    ok = ok && ::fchmod(fd, mode) == 0 && (!replacing || ::fsync(fd) == 0);
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(tmp.c_str(), path.c_str()) == 0) {
        if (!replacing) return WriteResult::Ok;
        // Make the rename itself durable.
        const auto dir = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
        const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dfd >= 0) {
            ::fsync(dfd);
            ::close(dfd);
        }
        return WriteResult::Ok;
    }
    ::unlink(tmp.c_str());
    return WriteResult::ShortWrite;
}

WriteResult writeFileAtomic(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    const std::span<const std::uint8_t> parts[] = {bytes};
    return writeFileAtomic(path, parts);
}

} // namespace tarrowin

#include "settings/RegistryStore.h"

#include "core/FileIO.h"
#include "settings/Utf16.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarrowin {

namespace {

// A hive is text of a few megabytes at most; anything far larger is not one.
constexpr std::uint64_t kMaxHiveBytes = 256u << 20;
constexpr std::string_view kDefaultUserSid = "S-1-5-21-0-0-0-1000";

bool writes(std::uint32_t access) { return (access & (kKeySetValue | kKeyCreateSubKey)) != 0; }

bool isStringType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

KeyPath concat(std::initializer_list<std::string_view> base, const KeyPath& rest) {
    KeyPath p;
    for (auto b : base) p.push_back(utf8ToUtf16(b));
    p.insert(p.end(), rest.begin(), rest.end());
    return p;
}

// Holds the prefix's registry lock (an advisory lock on a file beside the hives)
// for as long as it lives.
class PrefixLock {
public:
    explicit PrefixLock(const std::filesystem::path& prefix) {
        const auto file = prefix / ".tarrowin-registry.lock";
        m_fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd < 0) return;
        while (::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(m_fd);
                m_fd = -1;
                return;
            }
        }
    }
    ~PrefixLock() {
        if (m_fd >= 0) ::close(m_fd); // closing releases the lock
    }
    PrefixLock(const PrefixLock&) = delete;
    PrefixLock& operator=(const PrefixLock&) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// The architecture Wine would give a prefix it creates on this machine.
std::string hostArch() {
    if (const char* a = std::getenv("WINEARCH"); a && std::strcmp(a, "win32") == 0) return "win32";
#if defined(__x86_64__) || defined(__aarch64__)
    return "win64";
#else
    return "win32";
#endif
}

} // namespace

RegistryStore::RegistryStore(std::filesystem::path prefix) : m_prefix(std::move(prefix)) {}

std::filesystem::path RegistryStore::hivePath(HiveFile hive) const {
    switch (hive) {
    case HiveFile::Machine: return m_prefix / "system.reg";
    case HiveFile::User: return m_prefix / "user.reg";
    case HiveFile::DefaultUser: return m_prefix / "userdef.reg";
    }
    return {};
}

const RegistryHive* RegistryStore::hive(HiveFile file) {
    Cached& c = m_cache[file];
    struct stat st {};
    const bool present = ::stat(hivePath(file).c_str(), &st) == 0;
    const std::int64_t mtimeNs = present ? static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 +
                                               st.st_mtim.tv_nsec
                                         : 0;
    if (c.loaded && c.present == present &&
        (!present || (c.inode == st.st_ino && c.size == static_cast<std::uint64_t>(st.st_size) &&
                      c.mtimeNs == mtimeNs)))
        return c.hive ? &*c.hive : nullptr;
    c = Cached{};
    c.loaded = true;
    c.present = present;
    if (!present) {
        // No file yet: an empty hive, whose root exists as every root key does.
        c.hive = emptyHive(file);
        return &*c.hive;
    }
    c.inode = st.st_ino;
    c.size = static_cast<std::uint64_t>(st.st_size);
    c.mtimeNs = mtimeNs;
    const auto bytes = readWholeFile(hivePath(file), kMaxHiveBytes);
    if (!bytes) return nullptr;
    c.hive = RegistryHive::parse(
        std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    return &*c.hive;
}

namespace {

// The link block as Wine writes it: a key marked #link whose SymbolicLinkValue
// holds the target path in UTF-16, without a terminator.
std::string currentControlSetLink() {
    const std::u16string target = u"\\Registry\\Machine\\System\\ControlSet001";
    std::string block = "\n[System\\\\CurrentControlSet] " + std::to_string(std::time(nullptr)) + "\n#link\n";
    std::string line = "\"SymbolicLinkValue\"=hex(6):";
    char hex[4];
    for (std::size_t i = 0; i < target.size(); ++i) {
        for (int b = 0; b < 2; ++b) {
            std::snprintf(hex, sizeof hex, "%02x", (target[i] >> (8 * b)) & 0xff);
            const bool last = i + 1 == target.size() && b == 1;
            line += hex;
            if (!last) line += ',';
            // Wine wraps hex data after column 76, continuing with two blanks.
            if (!last && line.size() > 76) {
                block += line + "\\\n";
                line = "  ";
            }
        }
    }
    return block + line + "\n";
}

} // namespace

RegistryHive RegistryStore::emptyHive(HiveFile file) {
    std::string arch = hostArch();
    // All hives of one prefix share one architecture: follow system.reg's.
    if (file != HiveFile::Machine) {
        if (const auto bytes = readWholeFile(hivePath(HiveFile::Machine), kMaxHiveBytes)) {
            const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
            // A system.reg without the line is 32-bit to Wine, and a user hive that
            // named another architecture would be refused: copy it, even its absence.
            arch.clear();
            const auto at = text.find("\n#arch=");
            if (at != std::string_view::npos && at < 256) {
                const auto end = text.find_first_of("\r\n", at + 7);
                arch = std::string(text.substr(at + 7, end == std::string_view::npos ? end : end - at - 7));
            }
        }
    }
    switch (file) {
    case HiveFile::Machine: {
        // Wine links CurrentControlSet to ControlSet001 only when it makes
        // system.reg itself; a machine hive made here must carry the link, or
        // what Wine installs later lands in a plain key beside the real one.
        const RegistryHive bare = RegistryHive::create("\\\\Machine", arch);
        return RegistryHive::parse(bare.serialize() + currentControlSetLink());
    }
    case HiveFile::User: return RegistryHive::create("\\\\User\\\\" + currentUserSid(), arch);
    case HiveFile::DefaultUser: return RegistryHive::create("\\\\User\\\\.Default", arch);
    }
    return RegistryHive::create("", arch);
}

std::string RegistryStore::currentUserSid() {
    if (const auto bytes = readWholeFile(hivePath(HiveFile::User), kMaxHiveBytes)) {
        const auto h = RegistryHive::parse(
            std::string_view(reinterpret_cast<const char*>(bytes->data()),
                             std::min<std::size_t>(bytes->size(), 512)));
        const std::string rel = h.relativeTo();
        const auto at = rel.rfind("\\\\");
        if (at != std::string::npos && rel.find("User") != std::string::npos && at + 2 < rel.size())
            return rel.substr(at + 2);
    }
    return std::string(kDefaultUserSid);
}

std::int32_t RegistryStore::resolve(std::uint32_t root, std::string_view subKey, OpenedKey& out) {
    out = OpenedKey{};
    // The system refuses a subkey that starts with a backslash.
    if (!subKey.empty() && subKey.front() == '\\') return kErrorBadPathname;
    const KeyPath path = splitKeyPath(subKey);
    switch (root) {
    case kHkeyClassesRoot:
        out.readFrom = {{HiveFile::User, concat({"Software", "Classes"}, path)},
                        {HiveFile::Machine, concat({"Software", "Classes"}, path)}};
        return kErrorSuccess;
    case kHkeyCurrentUser:
        out.readFrom = {{HiveFile::User, path}};
        return kErrorSuccess;
    case kHkeyLocalMachine:
        out.readFrom = {{HiveFile::Machine, path}};
        return kErrorSuccess;
    case kHkeyCurrentConfig:
        out.readFrom = {{HiveFile::Machine,
                         concat({"System", "CurrentControlSet", "Hardware Profiles", "Current"}, path)}};
        return kErrorSuccess;
    case kHkeyUsers: {
        if (path.empty()) {
            out.virtualRoot = true;
            return kErrorSuccess;
        }
        const KeyPath rest(path.begin() + 1, path.end());
        if (compareNoCase(path.front(), u".Default") == 0) {
            out.readFrom = {{HiveFile::DefaultUser, rest}};
            return kErrorSuccess;
        }
        if (compareNoCase(path.front(), utf8ToUtf16(currentUserSid())) == 0) {
            out.readFrom = {{HiveFile::User, rest}};
            return kErrorSuccess;
        }
        return kErrorFileNotFound; // no hive of that user in this prefix
    }
    default:
        return kErrorInvalidHandle;
    }
}

std::int32_t RegistryStore::openKey(std::uint32_t root, std::string_view subKey, std::uint32_t access,
                                    OpenedKey& out) {
    if (const auto r = resolve(root, subKey, out); r != kErrorSuccess) return r;
    out.access = access;
    if (out.virtualRoot) return writes(access) ? kErrorAccessDenied : kErrorSuccess;
    std::vector<KeyLocation> existing;
    for (const KeyLocation& loc : out.readFrom) {
        const RegistryHive* h = hive(loc.hive);
        if (h && h->recognised() && h->keyExists(loc.path)) existing.push_back(loc);
        else if (h && !h->recognised() && loc.path.empty()) existing.push_back(loc);
    }
    if (existing.empty()) {
        out = OpenedKey{};
        return kErrorFileNotFound;
    }
    out.readFrom = std::move(existing);
    out.writeTo = out.readFrom.front();
    if (writes(access) && m_standardUser && isMachine(out.writeTo->hive)) {
        out = OpenedKey{};
        return kErrorAccessDenied;
    }
    return kErrorSuccess;
}

std::int32_t RegistryStore::createKey(std::uint32_t root, std::string_view subKey, OpenedKey& out) {
    // Wine refuses a key whose name part is longer than 255 characters when it
    // loads the hive, and drops that key's values: never write one.
    for (std::size_t start = 0; start <= subKey.size();) {
        const auto end = std::min(subKey.find('\\', start), subKey.size());
        if (utf8ToUtf16(subKey.substr(start, end - start)).size() > kMaxKeyNameChars) return kErrorInvalidParameter;
        start = end + 1;
    }
    if (const auto r = resolve(root, subKey, out); r != kErrorSuccess) return r;
    out.access = kKeyRead | kKeyWrite;
    if (out.virtualRoot) return kErrorAccessDenied;
    // A key that exists is opened where it is (the user's classes first); a new
    // one is made in the last place looked, which for the classes is the
    // machine's, as on the system this models.
    std::optional<KeyLocation> target;
    for (const KeyLocation& loc : out.readFrom) {
        const RegistryHive* h = hive(loc.hive);
        if (h && h->recognised() && h->keyExists(loc.path)) {
            target = loc;
            break;
        }
    }
    const bool exists = target.has_value();
    if (!target) target = out.readFrom.back();
    if (m_standardUser && isMachine(target->hive)) {
        out = OpenedKey{};
        return kErrorAccessDenied;
    }
    if (!exists) {
        const KeyPath path = target->path;
        const auto r = modifyHive(target->hive, [&](RegistryHive& h) {
            return h.createKey(path, static_cast<std::int64_t>(std::time(nullptr)));
        });
        if (r != kErrorSuccess) {
            out = OpenedKey{};
            return r;
        }
    }
    out.readFrom = {*target};
    out.writeTo = target;
    return kErrorSuccess;
}

std::int32_t RegistryStore::queryValue(const OpenedKey& key, std::string_view name, std::uint32_t* type,
                                       std::uint8_t* data, std::uint32_t* size) {
    if ((key.access & kKeyQueryValue) == 0) return kErrorAccessDenied;
    const std::u16string wname = utf8ToUtf16(name);
    std::optional<RegValue> found;
    for (const KeyLocation& loc : key.readFrom) {
        const RegistryHive* h = hive(loc.hive);
        if (!h) continue;
        if ((found = h->value(loc.path, wname))) break;
    }
    if (!found) return kErrorFileNotFound;
    std::vector<std::uint8_t> bytes;
    if (isStringType(found->type)) {
        std::u16string units;
        for (std::size_t i = 0; i + 1 < found->data.size(); i += 2)
            units.push_back(static_cast<char16_t>(found->data[i] | (found->data[i + 1] << 8)));
        const std::string text = utf16ToUtf8(units);
        bytes.assign(text.begin(), text.end());
    } else {
        bytes = found->data;
    }
    if (type) *type = found->type;
    const auto needed = static_cast<std::uint32_t>(bytes.size());
    if (!size) return data ? kErrorInvalidParameter : kErrorSuccess;
    if (data && *size < needed) {
        *size = needed;
        return kErrorMoreData;
    }
    if (data && needed) std::memcpy(data, bytes.data(), needed);
    *size = needed;
    return kErrorSuccess;
}

std::int32_t RegistryStore::setValue(const OpenedKey& key, std::string_view name, std::uint32_t type,
                                     const std::uint8_t* data, std::uint32_t size) {
    if ((key.access & kKeySetValue) == 0 || !key.writeTo) return kErrorAccessDenied;
    if (m_standardUser && isMachine(key.writeTo->hive)) return kErrorAccessDenied;
    if (size && !data) return kErrorInvalidParameter;
    if (utf8ToUtf16(name).size() > kMaxValueNameChars) return kErrorInvalidParameter;
    RegValue v;
    v.type = type;
    if (isStringType(type)) {
        const std::u16string units =
            utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
        for (char16_t c : units) {
            v.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
            v.data.push_back(static_cast<std::uint8_t>(c >> 8));
        }
    } else if (size) {
        v.data.assign(data, data + size);
    }
    const KeyLocation loc = *key.writeTo;
    const std::u16string wname = utf8ToUtf16(name);
    return modifyHive(loc.hive, [&](RegistryHive& h) {
        return h.setValue(loc.path, wname, v, static_cast<std::int64_t>(std::time(nullptr)));
    });
}

std::int32_t RegistryStore::modifyHive(HiveFile file, const std::function<bool(RegistryHive&)>& change) {
    m_lastProblem.clear();
    if (m_guard) {
        if (auto why = m_guard()) {
            m_lastProblem = std::move(*why);
            return kErrorBusy;
        }
    }
    PrefixLock lock(m_prefix);
    if (!lock.held()) {
        m_lastProblem = "The registry of " + m_prefix.string() + " cannot be locked for writing.";
        return kErrorWriteFault;
    }
    // Re-read under the lock: another process may have written since we looked.
    const std::filesystem::path path = hivePath(file);
    std::error_code ec;
    // A hive reached through a symbolic link is replaced where it really lies.
    const std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
    const std::filesystem::path writeAt = ec ? path : target;
    std::optional<RegistryHive> current;
    if (std::filesystem::exists(writeAt, ec)) {
        std::string why;
        const auto bytes = readWholeFile(writeAt, kMaxHiveBytes, &why);
        if (!bytes) {
            m_lastProblem = path.string() + " cannot be read: " + why;
            return kErrorWriteFault;
        }
        current = RegistryHive::parse(
            std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
        if (!current->recognised()) {
            // Never replace a file we do not understand.
            m_lastProblem = path.string() + " is not a registry file.";
            return kErrorWriteFault;
        }
    } else {
        current = emptyHive(file);
    }
    if (!change(*current)) return kErrorSuccess;
    const std::string text = current->serialize();
    const auto result = writeFileAtomic(
        writeAt, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()),
                                               text.size()));
    if (result != WriteResult::Ok) {
        m_lastProblem = path.string() + " cannot be written.";
        return kErrorWriteFault;
    }
    m_cache.erase(file);
    return kErrorSuccess;
}

} // namespace tarrowin

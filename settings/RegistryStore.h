#pragma once

// The registry of a Windows environment kept in a folder: the three hive files of
// a Wine prefix. HKEY_LOCAL_MACHINE is system.reg, HKEY_CURRENT_USER user.reg,
// HKEY_USERS\.Default userdef.reg; HKEY_CLASSES_ROOT is the merged view of the
// user's and the machine's Software\Classes. Every write re-reads its hive under a
// lock on the prefix and replaces the file atomically, so that two processes never
// lose each other's changes and a crash never leaves half a hive.

#include "settings/RegistryHive.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarrowin {

// Root key handles.
inline constexpr std::uint32_t kHkeyClassesRoot = 0x80000000u;
inline constexpr std::uint32_t kHkeyCurrentUser = 0x80000001u;
inline constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;
inline constexpr std::uint32_t kHkeyUsers = 0x80000003u;
inline constexpr std::uint32_t kHkeyPerformanceData = 0x80000004u;
inline constexpr std::uint32_t kHkeyCurrentConfig = 0x80000005u;
inline constexpr std::uint32_t kHkeyDynData = 0x80000006u;

// Access masks.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;

// Results, numbered as Windows numbers them.
// The longest key name part and value name Wine (and Windows) accept.
inline constexpr std::size_t kMaxKeyNameChars = 255;
inline constexpr std::size_t kMaxValueNameChars = 16383;

inline constexpr std::int32_t kErrorSuccess = 0;
inline constexpr std::int32_t kErrorFileNotFound = 2;
inline constexpr std::int32_t kErrorAccessDenied = 5;
inline constexpr std::int32_t kErrorInvalidHandle = 6;
inline constexpr std::int32_t kErrorWriteFault = 29;
inline constexpr std::int32_t kErrorInvalidParameter = 87;
inline constexpr std::int32_t kErrorBadPathname = 161;
inline constexpr std::int32_t kErrorBusy = 170;
inline constexpr std::int32_t kErrorMoreData = 234;

enum class HiveFile { Machine, User, DefaultUser };

// Where an opened key lives: a hive and the key's path in it.
struct KeyLocation {
    HiveFile hive = HiveFile::Machine;
    KeyPath path;
};

// An opened key. Reads look in `readFrom` in order (the user's classes before the
// machine's); writes go to `writeTo`.
struct OpenedKey {
    std::vector<KeyLocation> readFrom;
    std::optional<KeyLocation> writeTo;
    std::uint32_t access = 0;
    bool virtualRoot = false; // HKEY_USERS itself: exists, holds no values
};

class RegistryStore {
public:
    explicit RegistryStore(std::filesystem::path prefix);

    const std::filesystem::path& prefix() const { return m_prefix; }
    std::filesystem::path hivePath(HiveFile hive) const;

    // As a user without administrator rights: machine keys open for reading only
    // and every write to them is refused.
    void setStandardUser(bool standardUser) { m_standardUser = standardUser; }
    bool standardUser() const { return m_standardUser; }

    // Asked before every write; a text means writes must be refused now (Wine's
    // server holds the hives of a running prefix and would overwrite our change
    // when it exits). The text says why, for the user.
    using WriteGuard = std::function<std::optional<std::string>()>;
    void setWriteGuard(WriteGuard guard) { m_guard = std::move(guard); }
    // Why the last write was refused or failed; empty after a write that worked.
    const std::string& lastWriteProblem() const { return m_lastProblem; }

    // The current user's key under HKEY_USERS (from user.reg's first lines, else
    // Wine's default "S-1-5-21-0-0-0-1000").
    std::string currentUserSid();

    std::int32_t openKey(std::uint32_t root, std::string_view subKey, std::uint32_t access,
                         OpenedKey& out);
    std::int32_t createKey(std::uint32_t root, std::string_view subKey, OpenedKey& out);
    // RegQueryValueExA: on entry `size` is the room in `data` (data may be null to
    // ask for the size only); on return it is the size of the value. Strings come
    // back in the program's code page with their terminator. kErrorMoreData when
    // the room is too small.
    std::int32_t queryValue(const OpenedKey& key, std::string_view name, std::uint32_t* type,
                            std::uint8_t* data, std::uint32_t* size);
    // RegSetValueExA: string types are taken in the program's code page.
    std::int32_t setValue(const OpenedKey& key, std::string_view name, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t size);

    // Reads a hive as it is on disk now (cached until the file changes).
    const RegistryHive* hive(HiveFile file);
    // Runs `change` on a fresh copy of the hive under the prefix's lock and writes
    // the hive back when it changed. Creates a missing hive file.
    std::int32_t modifyHive(HiveFile file, const std::function<bool(RegistryHive&)>& change);

private:
    // A hive as last read, and the identity of the file it came from: an atomic
    // replacement by another process changes the inode even within one mtime tick.
    struct Cached {
        std::optional<RegistryHive> hive;
        std::uint64_t inode = 0, size = 0;
        std::int64_t mtimeNs = 0;
        bool present = false;
        bool loaded = false;
    };
    std::int32_t resolve(std::uint32_t root, std::string_view subKey, OpenedKey& out);
    bool isMachine(HiveFile h) const { return h == HiveFile::Machine; }
    RegistryHive emptyHive(HiveFile file);

    std::filesystem::path m_prefix;
    bool m_standardUser = false;
    WriteGuard m_guard;
    std::string m_lastProblem;
    std::map<HiveFile, Cached> m_cache;
};

} // namespace tarrowin

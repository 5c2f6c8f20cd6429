#pragma once

// The Windows environment the program works in: a folder laid out as a Wine
// prefix. Opening it creates and seeds whatever is missing (never replacing what
// a user or Wine made), then installs the path mapping, the program folder, the
// Windows folders and the registry for the rest of the program.

#include "platform/WindowsPaths.h"
#include "settings/RegistryStore.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <string>

namespace tarrowin {

// The program folder inside the environment.
inline constexpr const char* kProgramFolder = "C:\\Program Files\\Tarrowin";

struct EnvironmentOptions {
    std::filesystem::path prefix;     // empty: defaultPrefix()
    bool standardUser = false;        // machine keys read-only, as for a user without rights
    std::filesystem::path dataFolder; // holds program/ and system32/ to seed from; empty: look for it
};

// $XDG_DATA_HOME/tarrowin/prefix (~/.local/share/tarrowin/prefix).
std::filesystem::path defaultPrefix();

// Options from the command line (--prefix DIR, --prefix=DIR, --standard-user),
// then the environment (TARROWIN_PREFIX, TARROWIN_STANDARD_USER=1), then the
// setting "environment/standardUser" of the program's settings.
EnvironmentOptions environmentOptions(const QStringList& arguments);

class Environment {
public:
    // Creates what is missing and opens the prefix; nullptr with a reason when the
    // folder cannot be made or used.
    static std::unique_ptr<Environment> open(const EnvironmentOptions& options, std::string* error);

    const std::filesystem::path& prefix() const { return m_paths.prefix(); }
    const WindowsPaths& paths() const { return m_paths; }
    const std::shared_ptr<RegistryStore>& registry() const { return m_registry; }
    std::filesystem::path programFolderHost() const { return m_paths.toHost(kProgramFolder); }
    // True when this start made the prefix's hives (a new environment).
    bool createdHives() const { return m_createdHives; }

    // Points hostPath(), ProgramFolder(), WindowsDirectory()/SystemDirectory() and
    // the registry functions at this environment.
    void install() const;

private:
    explicit Environment(std::filesystem::path prefix) : m_paths(std::move(prefix)) {}
    WindowsPaths m_paths;
    std::shared_ptr<RegistryStore> m_registry;
    bool m_createdHives = false;
};

// What main() calls: options from the arguments, open, install. Keep the result
// alive for the program's life. nullptr with a message for the user on failure.
std::unique_ptr<Environment> startEnvironment(const QStringList& arguments, QString* error);

} // namespace tarrowin

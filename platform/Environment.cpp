#include "platform/Environment.h"

#include "core/HostPath.h"
#include "platform/PrefixSeed.h"
#include "platform/WineServerProbe.h"
#include "settings/ProgramFolder.h"
#include "settings/Registry.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>

#include <cstdlib>
#include <ctime>

namespace tarrowin {

namespace fs = std::filesystem;

namespace {

bool truthy(const char* v) {
    return v && (std::string_view(v) == "1" || std::string_view(v) == "true" || std::string_view(v) == "yes");
}

// Makes a drive link unless something (even a dangling link) is there already.
void ensureLink(const fs::path& link, const fs::path& target) {
    std::error_code ec;
    if (fs::symlink_status(link, ec).type() != fs::file_type::not_found) return;
    fs::create_directory_symlink(target, link, ec);
}

// Copies every file of `from` that `to` lacks; existing files are left alone.
void seedFolder(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (!fs::is_directory(from, ec)) return;
    fs::create_directories(to, ec);
    for (fs::recursive_directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path target = to / fs::relative(it->path(), from, ec);
        if (it->is_directory(ec)) {
            fs::create_directories(target, ec);
        } else if (fs::symlink_status(target, ec).type() == fs::file_type::not_found) {
            fs::copy_file(it->path(), target, fs::copy_options::skip_existing, ec);
        }
    }
}

// Where the program's own files lie: given, TARROWIN_DATA_DIR, the installed
// share folder beside the executable, or the source tree's assets.
fs::path findDataFolder(const fs::path& given) {
    std::vector<fs::path> candidates;
    if (!given.empty()) candidates.push_back(given);
    if (const char* env = std::getenv("TARROWIN_DATA_DIR"); env && *env) candidates.emplace_back(env);
    if (QCoreApplication::instance()) {
        const fs::path appDir = QCoreApplication::applicationDirPath().toStdString();
        candidates.push_back(appDir / "../share/tarrowin");
        candidates.push_back(appDir / "data");
    }
#ifdef TARROWIN_SOURCE_DIR
    candidates.push_back(fs::path(TARROWIN_SOURCE_DIR) / "assets");
#endif
    std::error_code ec;
    for (const auto& c : candidates)
        if (fs::is_directory(c / "program", ec) || fs::is_directory(c / "system32", ec)) return c;
    return {};
}

} // namespace

fs::path defaultPrefix() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    fs::path base;
    if (xdg && *xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = fs::path(home ? home : "/tmp") / ".local/share";
    }
    return base / "tarrowin" / "prefix";
}

EnvironmentOptions environmentOptions(const QStringList& arguments) {
    EnvironmentOptions o;
    if (const char* env = std::getenv("TARROWIN_PREFIX"); env && *env) o.prefix = env;
    o.standardUser = truthy(std::getenv("TARROWIN_STANDARD_USER"));
    if (!o.standardUser && QCoreApplication::instance()) {
        QSettings settings;
        o.standardUser = settings.value(QStringLiteral("environment/standardUser"), false).toBool();
    }
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--prefix") && i + 1 < arguments.size()) {
            o.prefix = arguments[++i].toStdString();
        } else if (a.startsWith(QLatin1String("--prefix="))) {
            o.prefix = a.mid(9).toStdString();
        } else if (a == QLatin1String("--standard-user")) {
            o.standardUser = true;
        }
    }
    return o;
}

std::unique_ptr<Environment> Environment::open(const EnvironmentOptions& options, std::string* error) {
    std::error_code ec;
    fs::path prefix = options.prefix.empty() ? defaultPrefix() : options.prefix;
    prefix = fs::absolute(prefix, ec).lexically_normal();
    if (prefix.has_filename() == false) prefix = prefix.parent_path();
    fs::create_directories(prefix, ec);
    if (!fs::is_directory(prefix, ec)) {
        if (error) *error = "The Windows environment " + prefix.string() + " cannot be created.";
        return nullptr;
    }
    std::unique_ptr<Environment> env(new Environment(prefix));
    const bool newMachineHive = !fs::exists(prefix / "system.reg", ec);
    const bool newUserHive = !fs::exists(prefix / "user.reg", ec);

    fs::create_directories(prefix / "dosdevices", ec);
    fs::create_directories(prefix / "drive_c", ec);
    ensureLink(prefix / "dosdevices" / "c:", "../drive_c");
    ensureLink(prefix / "dosdevices" / "z:", "/");
    // An existing Wine prefix keeps its own spelling of the Windows folders.
    const fs::path system = env->m_paths.toHost(env->m_paths.systemFolder());
    fs::create_directories(system, ec);
    const fs::path programFolder = env->programFolderHost();
    fs::create_directories(programFolder, ec);
    if (!fs::is_directory(programFolder, ec)) {
        if (error) *error = "The program folder " + programFolder.string() + " cannot be created.";
        return nullptr;
    }

    const fs::path data = findDataFolder(options.dataFolder);
    if (!data.empty()) {
        seedFolder(data / "program", programFolder);
        // Stand-in libraries only for an environment we make; a Wine prefix keeps
        // its own system folder.
        if (newMachineHive) seedFolder(data / "system32", system);
    }

    env->m_registry = std::make_shared<RegistryStore>(prefix);
    env->m_registry->setStandardUser(options.standardUser);
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    const std::string windows = env->m_paths.windowsFolder() + "\\";
    if (newMachineHive)
        env->m_registry->modifyHive(HiveFile::Machine,
                                    [&](RegistryHive& h) { return seedMachineHive(h, windows, now); });
    if (newUserHive)
        env->m_registry->modifyHive(HiveFile::User, [&](RegistryHive& h) { return seedUserHive(h, now); });
    env->m_createdHives = newMachineHive;

    auto probe = std::make_shared<WineServerProbe>(prefix);
    env->m_registry->setWriteGuard([probe] { return probe->writeRefusal(); });
    return env;
}

void Environment::install() const {
    const WindowsPaths paths = m_paths;
    setHostPathResolver([paths](std::string_view p) { return paths.toHost(p); });
    setProgramFolder(kProgramFolder);
    setWindowsFolders(m_paths.windowsFolder(), m_paths.systemFolder());
    setRegistryStore(m_registry);
}

std::unique_ptr<Environment> startEnvironment(const QStringList& arguments, QString* error) {
    std::string why;
    auto env = Environment::open(environmentOptions(arguments), &why);
    if (!env) {
        if (error) *error = QString::fromStdString(why);
        return nullptr;
    }
    env->install();
    return env;
}

} // namespace tarrowin

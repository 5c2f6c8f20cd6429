#pragma once

// Windows paths inside the program, host paths outside. A prefix's drives are the
// symbolic links PREFIX/dosdevices/c: (to ../drive_c), z: (to /) and so on. A
// Windows path maps to a host path through its drive's link, each component
// matched without regard to case, and 8.3 short names (PROGRA~1) resolved the way
// Windows makes them for long names. Host paths coming in become "C:\..." when
// they lie under a drive's folder, else "Z:\...".

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tarrowin {

class WindowsPaths {
public:
    explicit WindowsPaths(std::filesystem::path prefix);

    const std::filesystem::path& prefix() const { return m_prefix; }

    // The host path of a Windows path. Environment references are expanded first.
    // Components that do not exist are kept as written (so that new files can be
    // made). An absolute host path ("/home/ann/a.ico") is returned as it is.
    std::filesystem::path toHost(std::string_view windowsPath) const;
    // The Windows path of a host path: the drive whose folder holds it (the
    // deepest one), else Z:.
    std::string toWindows(const std::filesystem::path& hostPath) const;
    // GetShortPathName: every existing component in its 8.3 form; a component
    // that is a valid 8.3 name already stays as it is. Missing parts stay as given.
    std::string shortPath(std::string_view windowsPath) const;

    // %SystemRoot%, %windir%, %ProgramFiles%, ... in any case; unknown references
    // stay as they are, as ExpandEnvironmentStrings leaves them.
    std::string expandEnvironment(std::string_view text) const;

    // The Windows folder and the system folder as the prefix spells them on disk
    // ("C:\windows", "C:\windows\system32").
    std::string windowsFolder() const;
    std::string systemFolder() const;

    // The 8.3 name Windows gives `longName` in a folder holding `siblings` (all
    // names of the folder, `longName` among them). Names that need a short name
    // and share its first letters are numbered ~1, ~2... in sorted order.
    static std::string shortNameFor(std::string_view longName, const std::vector<std::string>& siblings);
    static bool isValidShortName(std::string_view name);

private:
    std::filesystem::path driveFolder(char letter) const;
    std::filesystem::path m_prefix;
};

} // namespace tarrowin

#include "platform/Environment.h"
#include "platform/WindowsPaths.h"

#include "settings/TempDir.h"

#include <gtest/gtest.h>

using namespace tarrowin;
using tarrowin::test::TempDir;
using tarrowin::test::writeText;
namespace fs = std::filesystem;

namespace {

class PathsInPrefix : public ::testing::Test {
protected:
    PathsInPrefix() : m_dir("paths") {
        std::string why;
        m_env = Environment::open({m_dir.path() / "prefix", false, m_dir.path() / "no-data"}, &why);
        EXPECT_TRUE(m_env) << why;
        const fs::path c = m_dir.path() / "prefix/drive_c";
        fs::create_directories(c / "Icons");
        writeText(c / "Icons/A.ico", "x");
        fs::create_directories(c / "Program Files/Common Files/Microsoft Shared/Web Folders");
        writeText(c / "Program Files/Common Files/Microsoft Shared/Web Folders/msonsext.dll", "x");
        fs::create_directories(c / "ProgramData");
    }
    const WindowsPaths& paths() const { return m_env->paths(); }
    fs::path c() const { return fs::canonical(m_dir.path() / "prefix/drive_c"); }

    TempDir m_dir;
    std::unique_ptr<Environment> m_env;
};

} // namespace

TEST_F(PathsInPrefix, WindowsPathsReachTheSameHostFile) {
    const fs::path a = paths().toHost("C:\\Icons\\A.ico");
    EXPECT_EQ(a, paths().toHost("c:\\icons\\a.ico"));
    EXPECT_EQ(fs::canonical(a), fs::canonical(m_dir.path() / "prefix/drive_c/Icons/A.ico"));
    EXPECT_TRUE(fs::exists(paths().toHost("c:\\progra~1\\common~1\\micros~1\\webfol~1\\msonsext.dll")));
    EXPECT_TRUE(fs::exists(paths().toHost("%ProgramFiles%\\Common Files\\..\\Common Files\\.\\MICROSOFT SHARED")));
    EXPECT_EQ(paths().toHost("Z:\\tmp\\x"), fs::path("/tmp/x"));
    // Missing parts keep their spelling below the last folder found.
    EXPECT_EQ(paths().toHost("C:\\ICONS\\New Folder\\b.ico"), c() / "Icons/New Folder/b.ico");
    // Host paths pass through, so code that predates the prefix keeps working.
    EXPECT_EQ(paths().toHost("/home/ann/a.ico"), fs::path("/home/ann/a.ico"));
}

TEST_F(PathsInPrefix, HostPathsBecomeWindowsPaths) {
    EXPECT_EQ(paths().toWindows(m_dir.path() / "prefix/drive_c/Icons/A.ico"), "C:\\Icons\\A.ico");
    EXPECT_EQ(paths().toWindows(c() / "Icons"), "C:\\Icons");
    EXPECT_EQ(paths().toWindows("/tmp/x"), "Z:\\tmp\\x");
    EXPECT_EQ(paths().toWindows("/"), "Z:\\");
}

TEST_F(PathsInPrefix, ShortFormsAndFolders) {
    EXPECT_EQ(paths().shortPath("C:\\Program Files\\Common Files\\Microsoft Shared\\Web Folders\\msonsext.dll"),
              "C:\\PROGRA~1\\COMMON~1\\MICROS~1\\WEBFOL~1\\msonsext.dll");
    EXPECT_EQ(paths().shortPath("c:\\program files\\missing folder"), "c:\\PROGRA~1\\missing folder");
    EXPECT_EQ(paths().windowsFolder(), "C:\\windows");
    EXPECT_EQ(paths().systemFolder(), "C:\\windows\\system32");
    EXPECT_EQ(paths().expandEnvironment("%SYSTEMROOT%\\a;%windir%;%ProgramFiles%;%Nope%;100%"),
              "C:\\windows\\a;C:\\windows;C:\\Program Files;%Nope%;100%");
    EXPECT_EQ(fs::canonical(paths().toHost("%SystemRoot%\\SYSTEM32")),
              fs::canonical(m_dir.path() / "prefix/drive_c/windows/system32"));
}

TEST(ShortNames, GeneratedTheWayWindowsDoes) {
    const std::vector<std::string> programs = {"ProgramData", "Program Files (x86)", "Program Files", "readme.txt"};
    struct Case {
        const char* name;
        std::vector<std::string> siblings;
        const char* expected;
    } cases[] = {
        {"Program Files", programs, "PROGRA~1"},
        {"Program Files (x86)", programs, "PROGRA~2"},
        {"ProgramData", programs, "PROGRA~3"},
        {"readme.txt", programs, "README.TXT"},
        {"Web Folders", {}, "WEBFOL~1"},
        {"a.b.c.text", {}, "ABC~1.TEX"},
        {"my file+x.html", {}, "MYFILE~1.HTM"},
        {".hidden", {}, "HIDDEN~1"},
        // An 8.3 name already in the folder is not handed out again.
        {"Common Files", {"COMMON~1", "Common Files"}, "COMMON~2"},
    };
    for (const auto& c : cases) EXPECT_EQ(WindowsPaths::shortNameFor(c.name, c.siblings), c.expected) << c.name;
}

#include "platform/Environment.h"

#include "core/HostPath.h"
#include "settings/ConfigFile.h"
#include "settings/ProgramFolder.h"
#include "settings/Registry.h"
#include "settings/TempDir.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

using namespace tarrowin;
using tarrowin::test::readText;
using tarrowin::test::TempDir;
using tarrowin::test::writeText;
namespace fs = std::filesystem;

namespace {

std::unique_ptr<Environment> openPrefix(const fs::path& prefix, const fs::path& data) {
    std::string why;
    auto env = Environment::open({prefix, false, data}, &why);
    EXPECT_TRUE(env) << why;
    return env;
}

struct Reset {
    ~Reset() {
        setHostPathResolver({});
        setRegistryStore(nullptr);
        setProgramFolder("");
    }
};

} // namespace

TEST(Environment, NewPrefixIsLaidOutSeededAndInstalled) {
    TempDir dir("newprefix");
    const fs::path data = dir.path() / "data";
    fs::create_directories(data / "program/Data");
    writeText(data / "program/config.ini", "[QX-HALDMARK]\r\nskins=1\r\n");
    writeText(data / "program/Data/1.bmp", "bmp");
    fs::create_directories(data / "system32");
    writeText(data / "system32/shell32.dll", "MZ");

    const fs::path prefix = dir.path() / "prefix";
    auto env = openPrefix(prefix, data);
    ASSERT_TRUE(env);
    EXPECT_TRUE(env->createdHives());
    EXPECT_EQ(fs::read_symlink(prefix / "dosdevices/c:"), fs::path("../drive_c"));
    EXPECT_EQ(fs::read_symlink(prefix / "dosdevices/z:"), fs::path("/"));
    EXPECT_TRUE(fs::is_directory(prefix / "drive_c/windows/system32"));
    EXPECT_EQ(readText(prefix / "drive_c/windows/system32/shell32.dll"), "MZ");
    EXPECT_EQ(readText(prefix / "drive_c/Program Files/Tarrowin/Data/1.bmp"), "bmp");

    Reset reset;
    env->install();
    EXPECT_EQ(ProgramFolder(), "C:\\Program Files\\Tarrowin");
    EXPECT_EQ(ReadConfigValue("QX-HALDMARK", "skins"), "1");
    EXPECT_EQ(WindowsDirectory(), "C:\\windows\\");
    EXPECT_TRUE(fs::exists(prefix / "userdef.reg"));
    EXPECT_EQ(windowsPathOf(prefix / "drive_c/Program Files/Tarrowin/config.ini"),
              "C:\\Program Files\\Tarrowin\\config.ini");
    EXPECT_EQ(shortPathOf("C:\\Program Files\\Tarrowin\\config.ini"), "C:\\PROGRA~1\\Tarrowin\\config.ini");
    EXPECT_EQ(SystemDirectory(), "C:\\windows\\system32");
    const std::string clsid = "HKEY_CLASSES_ROOT\\CLSID\\";
    EXPECT_EQ(RegistryReadText(clsid + "{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon", ""),
              "%systemroot%\\explorer.exe,0");
    EXPECT_EQ(RegistryReadText(clsid + "{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon", "Full"),
              "%systemroot%\\system32\\shell32.dll,32");
    EXPECT_EQ(RegistryReadText(clsid + "{D6277990-4C6A-11CF-8D87-00AA0060F5BF}\\DefaultIcon", ""),
              WindowsDirectory() + "System32\\mstask.dll,-100");
    EXPECT_EQ(RegistryReadText(clsid + "{21EC2020-3AEA-1069-A2DD-08002B30309D}", ""), "Control Panel");
    EXPECT_EQ(RegistryReadText("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache",
                               "@C:\\WINDOWS\\system32\\SHELL32.dll,-9216"),
              "My Computer");

    // A second start changes nothing that exists, even what the user changed.
    writeText(prefix / "drive_c/Program Files/Tarrowin/config.ini", "[QX-HALDMARK]\r\nskins=3\r\n");
    const std::string system = readText(prefix / "system.reg");
    auto again = openPrefix(prefix, data);
    EXPECT_FALSE(again->createdHives());
    EXPECT_EQ(readText(prefix / "drive_c/Program Files/Tarrowin/config.ini"), "[QX-HALDMARK]\r\nskins=3\r\n");
    EXPECT_EQ(readText(prefix / "system.reg"), system);
}

// Wine reads a hive line by line and understands exactly these forms; a hive we
// write must hold nothing else.
TEST(Environment, SeededHivesKeepToWinesFormat) {
    TempDir dir("format");
    const fs::path prefix = dir.path() / "prefix";
    ASSERT_TRUE(openPrefix(prefix, dir.path() / "none"));
    const std::regex header(R"(\[([^\]\\]|\\.)*\] [0-9]+)");
    const std::regex time(R"(#time=[0-9a-f]+)");
    const std::regex value(R"((@|"([^"\\]|\\.)*")=(str\([27]\):)?"([^"\\]|\\[\\"abtnvfre0-7x])*")");
    // Hex data (the CurrentControlSet link) wraps with a backslash and goes on
    // after two blanks.
    const std::regex hexStart(R"("([^"\\]|\\.)*"=hex(\([0-9a-f]+\))?:([0-9a-f]{2},)*[0-9a-f]{2},?\\?)");
    const std::regex hexMore(R"(  ([0-9a-f]{2},)*[0-9a-f]{2},?\\?)");
    for (const char* file : {"system.reg", "user.reg"}) {
        std::istringstream in(readText(prefix / file));
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line, "WINE REGISTRY Version 2");
        std::getline(in, line);
        EXPECT_TRUE(line == ";; All keys relative to \\\\Machine" ||
                    line == ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000")
            << line;
        int keys = 0;
        while (std::getline(in, line)) {
            if (line.empty() || line.rfind("#arch=win", 0) == 0) continue;
            if (line.front() == '[') {
                EXPECT_TRUE(std::regex_match(line, header)) << line;
                ++keys;
            } else if (line.front() == '#') {
                EXPECT_TRUE(std::regex_match(line, time) || line == "#link") << line;
            } else if (line.rfind("  ", 0) == 0) {
                EXPECT_TRUE(std::regex_match(line, hexMore)) << line;
            } else {
                EXPECT_TRUE(std::regex_match(line, value) || std::regex_match(line, hexStart)) << line;
            }
        }
        EXPECT_GT(keys, 0) << file;
    }
    // The machine hive links CurrentControlSet, as Wine's own new hive does.
    EXPECT_NE(readText(prefix / "system.reg").find("[System\\\\CurrentControlSet] "), std::string::npos);
}

TEST(Environment, ExistingWinePrefixIsUsedAsItIs) {
    TempDir dir("wineprefix");
    const fs::path prefix = dir.path() / "wine";
    const std::string system =
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
        "[Software\\\\Wine] 1700000000\n#time=1da1b2c3d4e5f60\n\"Version\"=\"wine-8.0\"\n";
    fs::create_directories(prefix / "drive_c/windows/system32");
    fs::create_directories(prefix / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices/c:");
    writeText(prefix / "system.reg", system);
    writeText(prefix / "user.reg", "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n");
    auto env = openPrefix(prefix, dir.path() / "none");
    ASSERT_TRUE(env);
    EXPECT_FALSE(env->createdHives());
    EXPECT_EQ(readText(prefix / "system.reg"), system);
    EXPECT_TRUE(fs::is_directory(prefix / "drive_c/Program Files/Tarrowin"));
}

TEST(Environment, OptionsFromCommandLine) {
    const auto o = environmentOptions({"tarrowin", "--prefix", "/tmp/p", "--standard-user"});
    EXPECT_EQ(o.prefix, fs::path("/tmp/p"));
    EXPECT_TRUE(o.standardUser);
    EXPECT_EQ(environmentOptions({"tarrowin", "--prefix=/x"}).prefix, fs::path("/x"));
    ::setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(defaultPrefix(), fs::path("/data/home/tarrowin/prefix"));
    ::unsetenv("XDG_DATA_HOME");
}

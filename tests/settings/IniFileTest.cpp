#include "settings/ConfigFile.h"
#include "settings/IniFile.h"
#include "settings/ProgramFolder.h"
#include "core/HostPath.h"

#include "TempDir.h"

#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>

using namespace tarrowin;
using tarrowin::test::readText;
using tarrowin::test::TempDir;
using tarrowin::test::writeText;

TEST(IniFile, LookupMatchesWithoutCaseAndTrimsBlanks) {
    const std::string text = "; comment\r\n[Other]\r\nskins=9\r\n[qx-haldmark]\r\n  SKINS =  3 \t\r\n"
                             "empty=\r\nkindscaption(1)=Classic\r\n[QX-HALDMARK]\r\nopenpath=second\r\n";
    struct Case {
        const char* section;
        const char* key;
        std::optional<std::string> expected;
    } cases[] = {
        {"QX-HALDMARK", "skins", "3"},
        {"QX-HALDMARK", "Empty", ""},
        {"QX-HALDMARK", "kindscaption(1)", "Classic"},
        {"QX-HALDMARK", "kindscaption(2)", std::nullopt},
        // Only the first section of a name counts, as with the profile routines.
        {"QX-HALDMARK", "openpath", std::nullopt},
        {"Missing", "skins", std::nullopt},
        {"Other", "skins", "9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findIniValue(text, c.section, c.key), c.expected) << c.section << "/" << c.key;
}

TEST(IniFile, WritesReplaceAddAndKeepEverythingElse) {
    const std::string text = "; keep me\r\n[A]\r\nx = 1\r\n\r\n[B]\r\ny=2\r\n";
    EXPECT_EQ(setIniValue(text, "a", "X", " 5"), "; keep me\r\n[A]\r\nX= 5\r\n\r\n[B]\r\ny=2\r\n");
    // A new key goes after the section's last line, before the blank line.
    EXPECT_EQ(setIniValue(text, "A", "z", "3"), "; keep me\r\n[A]\r\nx = 1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
    EXPECT_EQ(setIniValue(text, "C", "k", "v"), text + "\r\n[C]\r\nk=v\r\n");
    // Unix line ends stay Unix; a file without a final line end gets one.
    EXPECT_EQ(setIniValue("[A]\nx=1", "A", "y", "2"), "[A]\nx=1\ny=2\n");
    EXPECT_EQ(setIniValue("", "QX-HALDMARK", "skins", "1"), "[QX-HALDMARK]\r\nskins=1\r\n");
    // 8-bit bytes pass through untouched.
    EXPECT_EQ(setIniValue("[A]\r\nx=\xe9\r\n", "A", "y", "\xff\xfe"), "[A]\r\nx=\xe9\r\ny=\xff\xfe\r\n");
}

TEST(IniFile, AValueCannotAddLines) {
    const std::string out = setIniValue("[A]\r\n", "A", "x", "1\r\n[B]\r\nevil=1");
    EXPECT_EQ(out, "[A]\r\nx=1\r\n");
    EXPECT_EQ(findIniValue(out, "B", "evil"), std::nullopt);
}

TEST(ConfigFile, ReadsAndWritesConfigIniInTheProgramFolder) {
    TempDir dir("config");
    // Map "C:\..." into the temporary folder as the platform maps it into a prefix.
    setHostPathResolver([root = dir.path()](std::string_view p) {
        std::string rest(p.substr(3));
        for (char& c : rest)
            if (c == '\\') c = '/';
        return root / rest;
    });
    setProgramFolder("C:\\Program Files\\Tarrowin");
    std::filesystem::create_directories(dir.path() / "Program Files/Tarrowin");
    EXPECT_EQ(ConfigFilePath(), "C:\\Program Files\\Tarrowin\\config.ini");
    EXPECT_EQ(ReadConfigValue(kConfigSection, "skins"), "ERROR");

    WriteConfigValue(" 3", "skins"); // as the main menu writes numbers
    WriteConfigValue("1", "selskins");
    EXPECT_EQ(ReadConfigValue("QX-HALDMARK", "skins"), "3");
    EXPECT_EQ(ReadConfigValue("qx-haldmark", "SELSKINS"), "1");
    EXPECT_EQ(readText(dir.path() / "Program Files/Tarrowin/config.ini"),
              "[QX-HALDMARK]\r\nskins= 3\r\nselskins=1\r\n");

    WriteIniValue(".ShellClassInfo", "IconFile", "C:\\icons\\a.ico", "C:\\desktop.ini");
    EXPECT_EQ(readText(dir.path() / "desktop.ini"), "[.ShellClassInfo]\r\nIconFile=C:\\icons\\a.ico\r\n");

    // A folder at a drive root gets a single backslash.
    setProgramFolder("C:\\");
    EXPECT_EQ(ConfigFilePath(), "C:\\config.ini");
    setHostPathResolver({});
}

TEST(ConfigFile, ProfileSemanticsOnDisk) {
    TempDir dir("profile");
    const auto file = dir.path() / "config.ini";
    EXPECT_EQ(readProfileString(file, "QX-HALDMARK", "skins", "ERROR", 255), "ERROR");
    ASSERT_TRUE(writeProfileString(file, "QX-HALDMARK", "skins", " 3"));
    EXPECT_EQ(readText(file), "[QX-HALDMARK]\r\nskins= 3\r\n");
    EXPECT_EQ(readProfileString(file, "QX-HALDMARK", "skins", "ERROR", 255), "3");
    EXPECT_EQ(readProfileString(file, "QX-HALDMARK", "countkinds", "ERROR", 255), "ERROR");

    const std::string v254(254, 'a');
    ASSERT_TRUE(writeProfileString(file, "QX-HALDMARK", "openpath", v254 + "bc"));
    EXPECT_EQ(readProfileString(file, "QX-HALDMARK", "openpath", "ERROR", 255), v254);
}

TEST(ConfigFile, FailedWriteLeavesOldFile) {
    TempDir dir("failed");
    const auto file = dir.path() / "config.ini";
    const std::string old = "[QX-HALDMARK]\r\nskins=2\r\n";
    writeText(file, old);
    // A file-size limit makes the write fail halfway, as a full disk would.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 16;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool written = writeProfileString(file, "QX-HALDMARK", "openpath", "C:\\some\\folder\\");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(written);
    EXPECT_EQ(readText(file), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

#include "settings/Registry.h"
#include "settings/RegistryHive.h"

#include "TempDir.h"

#include <gtest/gtest.h>

using namespace tarrowin;
using tarrowin::test::readText;
using tarrowin::test::TempDir;
using tarrowin::test::writeText;

namespace {

// A machine hive as Wine writes one: header, arch, keys sorted depth first, the
// time line, hex values wrapped at Wine's width, escapes in names and strings.
const std::string kSystemReg =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\Machine\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Classes\\\\CLSID\\\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}] 1700000000\n"
    "#time=1da1b2c3d4e5f60\n"
    "@=\"My Computer\"\n"
    "\"InfoTip\"=\"Tab\\there \\\"quoted\\\" caf\\xe9\"\n"
    "\n"
    "[Software\\\\Classes\\\\CLSID\\\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\\\DefaultIcon] 1700000000\n"
    "#time=1da1b2c3d4e5f60\n"
    "@=str(2):\"%SystemRoot%\\\\explorer.exe,0\"\n"
    "\n"
    "[Software\\\\Classes\\\\CLSID\\\\{645FF040-5081-101B-9F08-00AA002F954E}\\\\DefaultIcon] 1700000000\n"
    "#time=1da1b2c3d4e5f60\n"
    "@=\"%SystemRoot%\\\\System32\\\\shell32.dll,31\"\n"
    "\"Empty\"=\"%SystemRoot%\\\\System32\\\\shell32.dll,31\"\n"
    "\"Full\"=\"%SystemRoot%\\\\System32\\\\shell32.dll,32\"\n"
    "\n"
    "[Software\\\\Wine\\\\Test] 1700000000\n"
    "#time=1da1b2c3d4e5f60\n"
    "#class=\"kept\"\n"
    "\"Bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\n"
    "  17,18,19,1a\n"
    "\"Dword\"=dword:0000002a\n"
    "\"Multi\"=str(7):\"one\\0two\\0\"\n"
    "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\n"
    "\"Spaces\"=\"  abc  \"\n"
    "\"Unicode\"=\"\\x263a\\x0041\"\n"
    "\"With \\\"quote\\\"\"=\"v\"\n"
    "; a comment Wine ignores\n"
    "some line Wine does not understand\n"
    "\n"
    "[System\\\\CurrentControlSet] 1700000000\n"
    "#time=1da1b2c3d4e5f60\n"
    "#link\n"
    "\"SymbolicLinkValue\"=hex(6):5c,00,52,00\n";

class RegistryOnPrefix : public ::testing::Test {
protected:
    RegistryOnPrefix() : m_dir("registry") {
        writeText(m_dir.path() / "system.reg", kSystemReg);
        m_store = std::make_shared<RegistryStore>(m_dir.path());
        setRegistryStore(m_store);
    }
    ~RegistryOnPrefix() override { setRegistryStore(nullptr); }
    std::string system() const { return readText(m_dir.path() / "system.reg"); }

    TempDir m_dir;
    std::shared_ptr<RegistryStore> m_store;
};

const std::string kMyComputer = "HKEY_CLASSES_ROOT\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
const std::string kTest = "HKEY_LOCAL_MACHINE\\Software\\Wine\\Test";

} // namespace

TEST(RegistryHive, ReadsEveryValueFormWineWrites) {
    const auto hive = RegistryHive::parse(kSystemReg);
    ASSERT_TRUE(hive.recognised());
    const KeyPath test = splitKeyPath("Software\\Wine\\Test");
    auto bytesOf = [](std::u16string_view s) {
        std::vector<std::uint8_t> b;
        for (char16_t c : s) b.insert(b.end(), {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8)});
        return b;
    };
    std::vector<std::uint8_t> bin;
    for (int i = 0; i < 27; ++i) bin.push_back(static_cast<std::uint8_t>(i));
    const std::u16string multi(u"one\0two\0\0", 9);
    struct Case {
        const char16_t* name;
        RegValue expected;
    } cases[] = {
        {u"Bin", {kRegBinary, bin}},
        {u"dword", {kRegDword, {0x2a, 0, 0, 0}}},
        {u"Multi", {kRegMultiSz, bytesOf(multi)}},
        {u"Qword", {11, {1, 0, 0, 0, 0, 0, 0, 0}}},
        {u"Unicode", {kRegSz, bytesOf(std::u16string(u"\u263aA\0", 3))}},
        {u"with \"QUOTE\"", {kRegSz, bytesOf(std::u16string(u"v\0", 2))}},
    };
    for (const auto& c : cases) {
        const auto v = hive.value(test, c.name);
        ASSERT_TRUE(v.has_value()) << std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name));
        EXPECT_EQ(*v, c.expected);
    }
    const auto tip = hive.value(splitKeyPath("software\\classes\\clsid\\{20d04fe0-3aea-1069-a2d8-08002b30309d}"),
                                u"infotip");
    ASSERT_TRUE(tip);
    EXPECT_EQ(*tip, RegValue(kRegSz, bytesOf(std::u16string(u"Tab\there \"quoted\" caf\u00e9\0", 23))));
    // Keys holding only subkeys exist without a line of their own.
    EXPECT_TRUE(hive.keyExists(splitKeyPath("SOFTWARE\\Classes")));
    EXPECT_FALSE(hive.keyExists(splitKeyPath("Software\\Classes\\Nothing")));
}

TEST(RegistryHive, WritingBackIsByteExactAndWrapsLikeWine) {
    auto hive = RegistryHive::parse(kSystemReg);
    EXPECT_EQ(hive.serialize(), kSystemReg);
    // Setting a value to what it holds changes nothing.
    EXPECT_FALSE(hive.setValue(splitKeyPath("Software\\Wine\\Test"), u"dword",
                               RegValue{kRegDword, {0x2a, 0, 0, 0}}, 0));
    // The same bytes written back produce the same wrapped lines.
    std::vector<std::uint8_t> bin;
    for (int i = 0; i < 27; ++i) bin.push_back(static_cast<std::uint8_t>(i));
    bin.push_back(0xff);
    EXPECT_TRUE(hive.setValue(splitKeyPath("Software\\Wine\\Test"), u"BIN", RegValue{kRegBinary, bin}, 0));
    std::string expected = kSystemReg;
    const std::string oldTail = "  17,18,19,1a\n";
    expected.replace(expected.find(oldTail), oldTail.size(), "  17,18,19,1a,ff\n");
    EXPECT_EQ(hive.serialize(), expected);
    EXPECT_EQ(escapeRegistryText(u"a\\b\"c\u00e9f\u00e9z\x01" u"1\n", "\"\""), "a\\\\b\\\"c\\x00e9f\\xe9z\\0011\\n");
}

TEST_F(RegistryOnPrefix, ChangingOneValueLeavesEveryOtherByte) {
    EXPECT_EQ(RegistryReadText(kMyComputer, ""), "My Computer");
    RegistryWriteText(kMyComputer, "", "Tarrowin PC");
    std::string expected = kSystemReg;
    expected.replace(expected.find("@=\"My Computer\""), 15, "@=\"Tarrowin PC\"");
    EXPECT_EQ(system(), expected);
    EXPECT_EQ(RegistryReadText(kMyComputer, ""), "Tarrowin PC");

    // Text with %...% references stays an expandable string, unexpanded, so the
    // shell still finds the file; a plain text stays plain.
    RegistryWriteText(kMyComputer + "\\DefaultIcon", "", "%SystemRoot%\\System32\\shell32.dll,-137");
    EXPECT_NE(system().find("@=str(2):\"%SystemRoot%\\\\System32\\\\shell32.dll,-137\"\n"), std::string::npos);
    EXPECT_EQ(RegistryReadText(kMyComputer + "\\DefaultIcon", ""), "%SystemRoot%\\System32\\shell32.dll,-137");
}

TEST_F(RegistryOnPrefix, NamesMatchWithoutCaseBeyondAscii) {
    // Wine folds every letter; two spellings of one name are one key.
    for (const char* upper : {"\\ÄÖ", "\\ŁĄ", "\\ΣΩ", "\\ФЖ"}) {
        SCOPED_TRACE(upper);
        RegistryCreatePath(kTest + upper);
        RegistryWriteText(kTest + upper, "V", "one");
    }
    for (const char* lower : {"\\äö", "\\łą", "\\σω", "\\фж"}) {
        SCOPED_TRACE(lower);
        EXPECT_EQ(RegistryReadText(kTest + lower, "v"), "one");
    }
}

TEST(RegistryHives, NewUserHiveTakesTheMachineHivesArchitectureEvenItsAbsence) {
    for (const char* arch : {"#arch=win32\n", ""}) {
        TempDir dir("arch");
        writeText(dir.path() / "system.reg",
                  std::string("WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n") + arch);
        setRegistryStore(std::make_shared<RegistryStore>(dir.path()));
        RegistryCreatePath("HKEY_CURRENT_USER\\Software\\Tarrowin");
        setRegistryStore(nullptr);
        const std::string user = readText(dir.path() / "user.reg");
        SCOPED_TRACE(user);
        if (*arch) {
            EXPECT_NE(user.find(arch), std::string::npos);
        } else {
            EXPECT_EQ(user.find("#arch"), std::string::npos);
        }
        EXPECT_NE(user.find("[Software\\\\Tarrowin]"), std::string::npos);
    }
}

TEST_F(RegistryOnPrefix, NamesWineWouldRefuseAreNeverWritten) {
    const std::string longest = kTest + "\\" + std::string(255, 'k');
    const std::string tooLong = kTest + "\\" + std::string(256, 'k');
    RegistryCreatePath(longest);
    RegistryCreatePath(tooLong);
    RegistryWriteText(longest, "v", "kept");
    RegistryWriteText(longest, std::string(16384, 'n'), "refused");
    EXPECT_EQ(RegistryReadText(longest, "v"), "kept");
    EXPECT_EQ(RegistryReadText(tooLong, ""), kNoDescription);
    EXPECT_EQ(system().find(std::string(256, 'k')), std::string::npos);
    EXPECT_EQ(system().find(std::string(16384, 'n')), std::string::npos);
}

TEST_F(RegistryOnPrefix, ReadTextEdgeCases) {
    EXPECT_EQ(RegistryReadText(kMyComputer + "\\DefaultIcon", ""), "%SystemRoot%\\explorer.exe,0");
    EXPECT_EQ(RegistryReadText(kTest, "Spaces"), "abc  ");
    EXPECT_EQ(RegistryReadText(kTest, "missing"), kNoDescription);
    EXPECT_EQ(RegistryReadText(kTest + "\\Missing", ""), kNoDescription);
    for (const char* rejected : {"HKEY_CURRENT_USER\\", "hkey_current_user", "HKEY_FOO\\Software", "Software", ""})
        EXPECT_EQ(RegistryReadText(rejected, ""), "") << rejected;
    // The root alone is a valid path; it holds no default value.
    EXPECT_EQ(RegistryReadText("HKEY_CURRENT_USER", ""), kNoDescription);

    RegistryCreatePath(kTest + "\\Long");
    RegistryWriteText(kTest + "\\Long", "254", std::string(254, 'x'));
    RegistryWriteText(kTest + "\\Long", "255", std::string(255, 'x'));
    RegistryWriteText(kTest + "\\Long", "empty", "");
    EXPECT_EQ(RegistryReadText(kTest + "\\Long", "254"), std::string(254, 'x'));
    EXPECT_EQ(RegistryReadText(kTest + "\\Long", "255"), kNoDescription);
    EXPECT_EQ(RegistryReadText(kTest + "\\Long", "empty"), "");
}

TEST_F(RegistryOnPrefix, WritesNeedAKeyAndCreatePathMakesParents) {
    const std::string override =
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\"
        "{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon";
    RegistryWriteText(override, "Empty", "C:\\icons\\bin.ico,0");
    EXPECT_FALSE(std::filesystem::exists(m_dir.path() / "user.reg"));
    EXPECT_EQ(RegistryReadText(override, "Empty"), kNoDescription);

    RegistryCreatePath(override);
    RegistryWriteText(override, "Empty", "C:\\icons\\bin.ico,0");
    EXPECT_EQ(RegistryReadText(override, "Empty"), "C:\\icons\\bin.ico,0");
    EXPECT_EQ(RegistryReadText("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows", ""), kNoDescription);
    RegKey parent;
    EXPECT_EQ(RegOpenKeyExA(kHkeyCurrentUser, "software\\microsoft\\windows\\currentversion", kKeyRead, parent),
              kErrorSuccess);

    // The new hive is one Wine loads: header, the user's root, the key with times.
    const std::string user = readText(m_dir.path() / "user.reg");
    EXPECT_EQ(user.rfind("WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n", 0), 0u);
    EXPECT_NE(user.find("\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\CLSID\\\\"
                        "{645FF040-5081-101B-9F08-00AA002F954E}\\\\DefaultIcon] "),
              std::string::npos);
    EXPECT_NE(user.find("\n#time="), std::string::npos);
    EXPECT_NE(user.find("\n\"Empty\"=\"C:\\\\icons\\\\bin.ico,0\"\n"), std::string::npos);
}

TEST_F(RegistryOnPrefix, NewKeysAndValuesGoWhereWineSortsThem) {
    RegistryCreatePath("HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{21EC2020-3AEA-1069-A2DD-08002B30309D}");
    RegistryWriteText(kTest, "Alpha", "a");
    const std::string s = system();
    const auto created = s.find("[Software\\\\Classes\\\\CLSID\\\\{21EC2020");
    ASSERT_NE(created, std::string::npos);
    EXPECT_LT(s.find("{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\\\DefaultIcon]"), created);
    EXPECT_GT(s.find("{645FF040"), created);
    EXPECT_LT(s.find("\"Alpha\"=\"a\""), s.find("\"Bin\"="));
    EXPECT_GT(s.find("\"Alpha\"=\"a\""), s.find("#class=\"kept\""));
    // Everything that was there is still there, in order.
    EXPECT_NE(s.find("some line Wine does not understand\n"), std::string::npos);
}

TEST_F(RegistryOnPrefix, ClassesRootReadsUserFirstAndWritesWhereTheKeyIs) {
    RegistryCreatePath("HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    RegistryWriteText("HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}",
                      "", "Mine");
    EXPECT_EQ(RegistryReadText(kMyComputer, ""), "Mine");
    EXPECT_EQ(RegistryReadText(kMyComputer, "InfoTip").substr(0, 3), "Tab"); // from the machine
    const std::string before = system();
    RegistryWriteText(kMyComputer, "", "Changed");
    EXPECT_EQ(system(), before); // the key exists for the user, so the write went there
    EXPECT_EQ(RegistryReadText("HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}", ""),
              "Changed");
}

TEST_F(RegistryOnPrefix, StandardUserCannotChangeMachineKeys) {
    m_store->setStandardUser(true);
    const std::string before = system();
    RegistryWriteText(kMyComputer + "\\DefaultIcon", "", "C:\\x.ico,0");
    RegistryCreatePath("HKEY_LOCAL_MACHINE\\Software\\New");
    RegistryCreatePath("HKEY_CLASSES_ROOT\\CLSID\\{00000000-0000-0000-0000-000000000000}");
    EXPECT_EQ(system(), before);
    EXPECT_EQ(RegistryReadText(kMyComputer + "\\DefaultIcon", ""), "%SystemRoot%\\explorer.exe,0");
    // The user's own keys stay writable.
    RegistryCreatePath("HKEY_CURRENT_USER\\Software\\Tarrowin");
    RegistryWriteText("HKEY_CURRENT_USER\\Software\\Tarrowin", "x", "1");
    EXPECT_EQ(RegistryReadText("HKEY_CURRENT_USER\\Software\\Tarrowin", "x"), "1");
}

TEST_F(RegistryOnPrefix, WritesAreRefusedWhileTheGuardSaysSo) {
    m_store->setWriteGuard([] { return std::optional<std::string>("Wine is running."); });
    const std::string before = system();
    RegistryWriteText(kMyComputer, "", "x");
    EXPECT_EQ(system(), before);
    EXPECT_EQ(RegistryWriteProblem(), "Wine is running.");
    m_store->setWriteGuard({});
    RegistryWriteText(kMyComputer, "", "x");
    EXPECT_EQ(RegistryWriteProblem(), "");
    EXPECT_EQ(RegistryReadText(kMyComputer, ""), "x");
}

TEST_F(RegistryOnPrefix, TwoStoresOnOnePrefixKeepEachOthersWrites) {
    RegistryStore other(m_dir.path());
    // Both have read the hive; each then writes a different value.
    EXPECT_EQ(RegistryReadText(kTest, "Dword").size(), 3u);
    RegKey k;
    ASSERT_EQ(other.openKey(kHkeyLocalMachine, "Software\\Wine\\Test", kKeyWrite, k), kErrorSuccess);
    RegistryWriteText(kTest, "First", "1");
    const std::string two = "2";
    ASSERT_EQ(other.setValue(k, "Second", kRegSz, reinterpret_cast<const std::uint8_t*>(two.c_str()), 2),
              kErrorSuccess);
    EXPECT_EQ(RegistryReadText(kTest, "First"), "1");
    EXPECT_EQ(RegistryReadText(kTest, "Second"), "2");
}

TEST_F(RegistryOnPrefix, UsersMapsTheCurrentUserAndDefault) {
    writeText(m_dir.path() / "user.reg",
              "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-1-2-3-1001\n\n#arch=win64\n"
              "\n[Software\\\\Microsoft\\\\Windows\\\\ShellNoRoam\\\\MUICache] 1700000000\n#time=1\n"
              "\"@C:\\\\WINDOWS\\\\system32\\\\SHELL32.dll,-9216\"=\"My Computer\"\n");
    writeText(m_dir.path() / "userdef.reg",
              "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\.Default\n\n[Control Panel] 1\n\"x\"=\"d\"\n");
    const std::string mui = "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache";
    EXPECT_EQ(RegistryReadText("HKEY_CURRENT_USER\\" + mui, "@C:\\WINDOWS\\system32\\SHELL32.dll,-9216"), "My Computer");
    EXPECT_EQ(RegistryReadText("HKEY_USERS\\S-1-5-21-1-2-3-1001\\" + mui, "@c:\\windows\\system32\\shell32.dll,-9216"),
              "My Computer");
    EXPECT_EQ(RegistryReadText("HKEY_USERS\\s-1-5-21-746137067-1637723038-725345543-1003\\" + mui, "x"), kNoDescription);
    EXPECT_EQ(RegistryReadText("HKEY_USERS\\.DEFAULT\\Control Panel", "X"), "d");
}

TEST(RegistryFolders, WindowsAndSystemDirectory) {
    setWindowsFolders("C:\\WINDOWS", "C:\\WINDOWS\\system32");
    EXPECT_EQ(WindowsDirectory(), "C:\\WINDOWS\\");
    EXPECT_EQ(SystemDirectory(), "C:\\WINDOWS\\system32");
    EXPECT_EQ(AddBackslash(""), "\\");
    EXPECT_EQ(AddBackslash("C:\\"), "C:\\");
    EXPECT_EQ(AddBackslash("C:\\a"), "C:\\a\\");
}

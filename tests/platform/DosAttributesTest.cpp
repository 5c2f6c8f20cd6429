#include "platform/DosAttributes.h"

#include "settings/TempDir.h"

#include <gtest/gtest.h>

#include <sys/xattr.h>

using namespace tarrowin;
using tarrowin::test::writeText;
namespace fs = std::filesystem;

namespace {

// A folder on the build's file system, which (unlike older tmpfs) usually keeps
// user extended attributes.
struct Scratch {
    fs::path dir = fs::path(TARROWIN_BINARY_DIR) / ("dosattr-" + std::to_string(::getpid()));
    Scratch() { fs::create_directories(dir); }
    ~Scratch() { fs::remove_all(dir); }
};

} // namespace

TEST(DosAttributes, StoredAsWineWritesThemOrQuietlyRefused) {
    Scratch s;
    const fs::path folder = s.dir / "Icons";
    fs::create_directories(folder);
    const bool supported = ::setxattr(folder.c_str(), "user.probe", "1", 1, 0) == 0;
    if (!supported) {
        // No extended attributes here: setting fails without raising anything.
        EXPECT_FALSE(setFileAttributes(folder, kAttributeSystem));
        EXPECT_EQ(getFileAttributes(folder), kAttributeDirectory);
        return;
    }
    ASSERT_TRUE(setFileAttributes(folder, kAttributeSystem | kAttributeHidden | kAttributeDirectory));
    char raw[32] = {};
    const ssize_t n = ::getxattr(folder.c_str(), "user.DOSATTRIB", raw, sizeof raw);
    EXPECT_EQ(std::string(raw, n > 0 ? static_cast<std::size_t>(n) : 0), "0x6");
    EXPECT_EQ(getFileAttributes(folder), kAttributeSystem | kAttributeHidden | kAttributeDirectory);
    // Clearing the attributes removes what was stored.
    ASSERT_TRUE(setFileAttributes(folder, 0));
    EXPECT_EQ(readDosAttribute(folder), std::nullopt);
    EXPECT_EQ(getFileAttributes(folder), kAttributeDirectory);
    EXPECT_FALSE(setFileAttributes(s.dir / "missing", kAttributeSystem));
}

TEST(DosAttributes, ParsesWineTextAndSambaRecords) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::optional<std::uint32_t> expected;
    } cases[] = {
        {{'0', 'x', '2', '6'}, 0x26},
        {{'0', 'x', '4', 0}, 0x4},
        {{'0', 'x'}, std::nullopt},
        {{'z'}, std::nullopt},
        {{}, std::nullopt},
        // Samba: version 3 with the attributes marked valid, version 1, a record cut short.
        {{3, 0, 3, 0, 1, 0, 0, 0, 0x26, 0, 0, 0}, 0x26},
        {{3, 0, 3, 0, 0, 0, 0, 0, 0x26, 0, 0, 0}, std::nullopt},
        {{1, 0, 1, 0, 0x22, 0, 0, 0}, 0x22},
        {{4, 0, 4, 0, 1, 0, 0}, std::nullopt},
        {{9, 0, 9, 0, 1, 0, 0, 0, 2, 0, 0, 0}, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(parseDosAttribute(c.bytes.data(), c.bytes.size()), c.expected);
}

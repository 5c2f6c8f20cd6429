#include "core/FileIO.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace tarrowin;
namespace fs = std::filesystem;

namespace {
fs::path freshDir(const char* name) {
    fs::path dir = fs::temp_directory_path() / ("tarrowin-fileio-" + std::string(name) + "-" +
                                                std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}
std::vector<std::uint8_t> bytes(std::string_view s) { return {s.begin(), s.end()}; }
} // namespace

TEST(FileIO, AtomicWriteReplacesAndKeepsModeLeavingNoTemporaries) {
    const fs::path dir = freshDir("replace");
    const fs::path file = dir / "a.ico";
    ASSERT_EQ(writeFileAtomic(file, bytes("old")), WriteResult::Ok);
    ::chmod(file.c_str(), 0640);
    const auto a = bytes("new "), b = bytes("content");
    const std::span<const std::uint8_t> parts[] = {a, b};
    ASSERT_EQ(writeFileAtomic(file, parts), WriteResult::Ok);
    EXPECT_EQ(readWholeFile(file), bytes("new content"));
    struct stat st {};
    ::stat(file.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

TEST(FileIO, FailedWriteLeavesTargetUntouched) {
    const fs::path dir = freshDir("fail");
    const fs::path file = dir / "keep.ico";
    ASSERT_EQ(writeFileAtomic(file, bytes("precious")), WriteResult::Ok);
    // A target that is a directory, and a folder that does not exist, cannot be written.
    EXPECT_NE(writeFileAtomic(dir, bytes("x")), WriteResult::Ok);
    EXPECT_EQ(writeFileAtomic(dir / "missing" / "x.ico", bytes("x")), WriteResult::CannotCreate);
    EXPECT_EQ(readWholeFile(file), bytes("precious"));
    fs::remove_all(dir);
}

TEST(FileIO, ReadRefusesMissingFoldersAndOversizedFiles) {
    const fs::path dir = freshDir("read");
    std::string why;
    EXPECT_FALSE(readWholeFile(dir / "none", kMaxReadBytes, &why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(readWholeFile(dir));
    ASSERT_EQ(writeFileAtomic(dir / "big", bytes("0123456789")), WriteResult::Ok);
    EXPECT_FALSE(readWholeFile(dir / "big", 9));
    EXPECT_EQ(readWholeFile(dir / "big", 10)->size(), 10u);
    fs::remove_all(dir);
}

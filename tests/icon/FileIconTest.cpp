#include "icon/cFileIcon.h"

#include "core/FileIO.h"
#include "core/ObjectError.h"
#include "support/IconBuilder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

using namespace tarrowin;
using namespace tarrowin::testing;
namespace fs = std::filesystem;

namespace {

class TempDir {
public:
    TempDir() {
        m_path = fs::temp_directory_path() /
                 ("tarrowin-icon-" + std::to_string(::getpid()) + "-" + std::to_string(s_counter++));
        fs::create_directories(m_path);
    }
    ~TempDir() { fs::remove_all(m_path); }
    std::string file(const std::string& name) const { return (m_path / name).string(); }
    void write(const std::string& name, const ByteVec& bytes) const {
        ASSERT_EQ(writeFileAtomic(m_path / name, bytes), WriteResult::Ok);
    }

private:
    static inline int s_counter = 0;
    fs::path m_path;
};

ByteVec twoImageFile() {
    return icoFile({{16, 16, 0, 1, 32, solidRecord32(16, 0xff112233)}, {32, 32, 0, 1, 32, solidRecord32(32, 0x80445566)}});
}

ObjectError expectLoadError(cFileIcon& icon, const ByteVec& bytes) {
    try {
        icon.LoadIconFromBytes(bytes, "C:\\x.ico");
    } catch (const ObjectError& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return ObjectError(0, "", "");
}

} // namespace

TEST(FileIconLoad, RejectsBadFilesWithTheirReasonAndLeavesTheIconEmpty) {
    ByteVec cut = twoImageFile();
    cut.resize(cut.size() - 1);
    ByteVec reserved = twoImageFile();
    reserved[0] = 1;
    ByteVec negativeSize = twoImageFile();
    put32(negativeSize, 6 + 8, 0xfffffff0u);
    // Many entries naming one large range: a small file must not ask for gigabytes.
    ByteVec amplified = icoFile({{16, 16, 0, 1, 32, solidRecord32(16, 0)}});
    amplified.resize(6 + 16 * 200 + 4096, 0);
    put16(amplified, 4, 200);
    for (std::size_t i = 0; i < 200; ++i) {
        const std::size_t e = 6 + 16 * i;
        put32(amplified, e + 8, 4096);
        put32(amplified, e + 12, 6 + 16 * 200);
    }
    const struct {
        const char* name;
        ByteVec bytes;
        const char* reason;
    } cases[] = {
        {"no images", {0, 0, 1, 0, 0, 0}, "Icon contains no images."},
        {"count above 32767", {0, 0, 1, 0, 0, 0x80}, "Icon contains no images."},
        {"cursor", icoFile({{16, 16, 0, 1, 32, solidRecord32(16, 0)}}, 0, 2), "File is not icon type (idType <> IMAGE_ICON)"},
        {"reserved not 0", reserved, "File is not icon type (reserved member is 0)"},
        {"directory cut short", {0, 0, 1, 0, 2, 0, 16, 16, 0, 0, 1, 0, 32, 0}, "Icon Directory Array is Corrupt."},
        {"last record cut short", cut, "Icon Images Array is Corrupt."},
        {"negative record size", negativeSize, "Icon Images Array is Corrupt."},
        {"records larger than the file together", amplified, "Icon Images Array is Corrupt."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cFileIcon icon;
        const ObjectError e = expectLoadError(icon, c.bytes);
        EXPECT_EQ(static_cast<std::uint32_t>(e.number()), 0x8004041Au);
        EXPECT_EQ(e.source(), "tarrowin.cFileIcon");
        EXPECT_EQ(e.description(), std::string("Failed to load icon: ") + c.reason);
        EXPECT_EQ(icon.ImageCount(), 0);
        EXPECT_TRUE(icon.directory().empty());
        EXPECT_EQ(icon.Filename(), "C:\\x.ico");
    }
}

TEST(FileIconLoad, MissingFileIsFalseWithoutError) {
    cFileIcon icon;
    EXPECT_FALSE(icon.LoadIcon("/nonexistent/folder/a.ico"));
    EXPECT_EQ(icon.ImageCount(), 0);
    EXPECT_EQ(icon.Filename(), "/nonexistent/folder/a.ico");
}

TEST(FileIconSave, LoadThenSaveRewritesTheSameBytes) {
    TempDir dir;
    const ByteVec original = twoImageFile();
    dir.write("a.ico", original);
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(dir.file("a.ico")));
    EXPECT_EQ(icon.ImageCount(), 2);
    EXPECT_TRUE(icon.SaveIcon());
    EXPECT_EQ(readWholeFile(dir.file("a.ico")), original);
    EXPECT_TRUE(icon.SaveIcon(dir.file("b.ico")));
    EXPECT_EQ(icon.Filename(), dir.file("b.ico"));
    EXPECT_EQ(readWholeFile(dir.file("b.ico")), original);
}

TEST(FileIconSave, RecordsWithGapsAreLaidOutAfreshIntoAValidFile) {
    TempDir dir;
    const ByteVec gappy = icoFile({{16, 16, 0, 1, 32, solidRecord32(16, 0xff010203)}, {8, 8, 0, 1, 32, solidRecord32(8, 0xff040506)}}, 7);
    dir.write("gap.ico", gappy);
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(dir.file("gap.ico")));
    ASSERT_TRUE(icon.SaveIcon(dir.file("out.ico")));
    const ByteVec expected = icoFile({{16, 16, 0, 1, 32, solidRecord32(16, 0xff010203)}, {8, 8, 0, 1, 32, solidRecord32(8, 0xff040506)}});
    EXPECT_EQ(readWholeFile(dir.file("out.ico")), expected);
}

TEST(FileIconSave, RaisesForMissingNameAndEmptyIcon) {
    cFileIcon icon;
    try {
        icon.SaveIcon();
        FAIL();
    } catch (const ObjectError& e) {
        EXPECT_EQ(e.code(), 1051);
        EXPECT_EQ(e.description(), "No filename specified.");
    }
    try {
        icon.SaveIcon("/tmp/never-written.ico");
        FAIL();
    } catch (const ObjectError& e) {
        EXPECT_EQ(e.code(), 1052);
        EXPECT_EQ(e.description(), "Icon contains no images.");
    }
    EXPECT_EQ(icon.Filename(), "");
    EXPECT_FALSE(fs::exists("/tmp/never-written.ico"));
}

TEST(FileIconSave, SavingThroughALinkReplacesTheFileItNames) {
    TempDir dir;
    dir.write("real.ico", twoImageFile());
    fs::create_symlink(dir.file("real.ico"), dir.file("link.ico"));
    cFileIcon icon;
    icon.AddImages(8, 8, 32);
    ASSERT_TRUE(icon.SaveIcon(dir.file("link.ico")));
    EXPECT_TRUE(fs::is_symlink(dir.file("link.ico")));
    EXPECT_EQ(readWholeFile(dir.file("real.ico")), icon.FileBytes());
}

TEST(FileIconSave, FailedSaveKeepsTheIconThatWasThere) {
    TempDir dir;
    const ByteVec original = twoImageFile();
    dir.write("keep.ico", original);
    cFileIcon big;
    for (int s : {128, 96, 64}) big.AddImages(s, s, 32);

    // Writes past a small file-size limit fail with EFBIG instead of a signal.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    int code = 0;
    try {
        big.SaveIcon(dir.file("keep.ico"));
    } catch (const ObjectError& e) {
        code = e.code();
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(code, 1053);
    EXPECT_EQ(readWholeFile(dir.file("keep.ico")), original);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("")), fs::directory_iterator()), 1);

    try {
        big.SaveIcon(dir.file("no-such-folder/x.ico"));
        FAIL();
    } catch (const ObjectError& e) {
        EXPECT_EQ(e.code(), 1052);
        EXPECT_EQ(e.description(), "Couldn't open file for writing.");
    }
}

TEST(FileIconImages, AddImagesLaysOutRecordsAsAFileWould) {
    cFileIcon icon;
    EXPECT_EQ(icon.AddImages(16, 16, 32), 1);
    const IconDirEntry& first = icon.entry(1);
    EXPECT_EQ(first.bWidth, 16);
    EXPECT_EQ(first.bColorCount, 0);
    EXPECT_EQ(first.wPlanes, 1);
    EXPECT_EQ(first.wBitCount, 32);
    EXPECT_EQ(first.dwBytesInRes, 1128);
    EXPECT_EQ(first.dwImageOffset, 22u);
    const Bytes rec = icon.imageRecord(1);
    EXPECT_EQ(le32(rec.data()), 40u);
    EXPECT_EQ(le32(rec.data() + 4), 16u);
    EXPECT_EQ(le32(rec.data() + 8), 32u);
    EXPECT_EQ(le16(rec.data() + 12), 1);
    EXPECT_EQ(le16(rec.data() + 14), 32);

    EXPECT_EQ(icon.AddImages(32, 32, 32), 2);
    EXPECT_EQ(icon.ImageSize(2), 4264);
    EXPECT_EQ(icon.entry(2).dwImageOffset, 1166u);
    EXPECT_EQ(icon.entry(1).dwImageOffset, 38u);
    EXPECT_TRUE(icon.recordsAreContiguous());

    try {
        icon.AddImages(16, 16, 32);
        FAIL();
    } catch (const ObjectError& e) {
        EXPECT_EQ(static_cast<std::uint32_t>(e.number()), 0x80040419u);
        EXPECT_EQ(e.description(), "Icon already exists.");
    }
    EXPECT_EQ(icon.ImageCount(), 2);
    EXPECT_EQ(icon.IconIndex(16, 16, 32), 1);
    EXPECT_EQ(icon.IconIndex(32, 32, 32), 2);
    EXPECT_EQ(icon.IconIndex(16, 16, 24), 0);
    EXPECT_THROW(icon.AddImages(256, 16, 32), std::overflow_error);

    icon.RemoveImage(1);
    EXPECT_EQ(icon.ImageCount(), 1);
    EXPECT_EQ(icon.ImageSize(1), 4264);
    EXPECT_EQ(icon.entry(1).dwImageOffset, 22u);
    icon.RemoveImage(5); // with one image, any number empties the icon
    EXPECT_EQ(icon.ImageCount(), 0);
}

TEST(FileIconImages, RemovingAMiddleImageKeepsOffsetsContiguous) {
    cFileIcon icon;
    for (int s : {16, 24, 32, 48}) icon.AddImages(s, s, 32);
    icon.RemoveImage(2);
    EXPECT_EQ(icon.ImageCount(), 3);
    EXPECT_TRUE(icon.recordsAreContiguous());
    EXPECT_EQ(icon.ImageWidth(2), 32);
    EXPECT_EQ(icon.ImageHeight(3), 48);
}

TEST(FileIconImages, PalettedImagesGetTheDefaultColourTables) {
    cFileIcon icon;
    const int four = icon.AddImages(16, 16, 4);
    const int eight = icon.AddImages(16, 16, 8);
    const int one = icon.AddImages(16, 16, 1);
    EXPECT_EQ(icon.ImageSize(four), 296);
    EXPECT_EQ(icon.entry(four).bColorCount, 16);
    EXPECT_EQ(icon.entry(one).bColorCount, 2);
    EXPECT_EQ(icon.ImageColourCount(four), 16.0);
    EXPECT_EQ(icon.ImageColourCount(eight), 256.0);
    EXPECT_FALSE(icon.ImageHasAlphaChannel(four));

    auto colour = [&](int image, int entry) {
        const Bytes r = icon.imageRecord(image);
        const std::uint8_t* p = r.data() + 40 + 4 * entry;
        return (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
    };
    EXPECT_EQ(colour(four, 1), 0x008000u);  // (0, 128, 0)
    EXPECT_EQ(colour(four, 7), 0xc0c0c0u);
    EXPECT_EQ(colour(four, 9), 0x0000ffu);
    EXPECT_EQ(colour(four, 15), 0xffffffu);
    EXPECT_EQ(colour(eight, 16), 0x000000u);   // cube starts at black
    EXPECT_EQ(colour(eight, 17), 0x000033u);   // blue moves fastest
    EXPECT_EQ(colour(eight, 16 + 25), 0x330000u); // red slowest
    EXPECT_EQ(colour(eight, 140), 0xccccccu);  // last cube entry: 204 each
    EXPECT_EQ(colour(eight, 141), 0u);         // the rest stay 0
    EXPECT_EQ(colour(one, 1), 0xffffffu);

    cFileIcon deep;
    deep.AddImages(16, 16, 32);
    EXPECT_EQ(deep.ImageColourCount(1), 4294967296.0);
    EXPECT_TRUE(deep.ImageHasAlphaChannel(1));
}

TEST(FileIconImages, SetBitsFillsColourAndMaskAndCloneCopiesEverything) {
    cFileIcon icon;
    icon.AddImages(16, 16, 32);
    const ByteVec colour(16 * 64, 0xAB);
    const ByteVec mask(16 * 4, 0xFF);
    icon.SetImageBits(1, colour.data(), colour.size());
    icon.SetMaskBits(1, mask.data(), mask.size());
    icon.SetImageBits(7, colour.data(), colour.size()); // a bad number copies nothing
    icon.SetMaskBits(1, mask.data(), 2);                // never reads past what it is given
    const Bytes r = icon.imageRecord(1);
    EXPECT_EQ(r[39], 0);
    EXPECT_EQ(r[40], 0xAB);
    EXPECT_EQ(r[40 + 1023], 0xAB);
    EXPECT_EQ(r[40 + 1024], 0xFF);
    EXPECT_EQ(r[1127], 0xFF);

    cFileIcon copy;
    copy.AddImages(48, 48, 8);
    icon.CloneTo(copy);
    EXPECT_EQ(copy.FileBytes(), icon.FileBytes());
    EXPECT_EQ(copy.Filename(), icon.Filename());
}

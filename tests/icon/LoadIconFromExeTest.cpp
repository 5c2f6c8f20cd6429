#include "icon/cFileIcon.h"

#include "PeTestSupport.h"
#include "core/ObjectError.h"
#include "icon/PeFile.h"
#include "icon/PeResourceWriter.h"
#include "icon/cResources.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tarrowin;
using namespace tarrowin::petest;

namespace {

constexpr std::int32_t number(int code) { return static_cast<std::int32_t>(0x80040000u + static_cast<unsigned>(code)); }

// A raw group: header words and 14-byte entries (size, icon id).
ByteVec groupBytes(std::uint16_t type, const std::vector<std::pair<std::uint32_t, std::uint16_t>>& entries,
                   std::int16_t count) {
    ByteVec g(6 + 14 * entries.size(), 0);
    putLe16(g.data() + 2, type);
    putLe16(g.data() + 4, static_cast<std::uint16_t>(count));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::uint8_t* e = g.data() + 6 + 14 * i;
        e[0] = e[1] = 16;
        putLe16(e + 4, 1);
        putLe16(e + 6, 32);
        putLe32(e + 8, entries[i].first);
        putLe16(e + 12, entries[i].second);
    }
    return g;
}

class LoadIconFromExe : public ::testing::Test {
protected:
    void SetUp() override {
        clearLastError();
        forgetPeFiles();
    }
    TempDir dir;
};

TEST_F(LoadIconFromExe, LoadsByNumberAndByNameInAnyCaseAsAnIcoFileOfTheSameImages) {
    const std::vector<PeIconImage> three{image(16, 16, 32, 1), image(32, 32, 8, 2), image(48, 48, 32, 3)};
    ASSERT_EQ(three[0].record.size(), 1128u);
    ASSERT_EQ(three[1].record.size(), 2216u);
    ASSERT_EQ(three[2].record.size(), 9640u);
    // Entries that disagree with their records stay as stored, as do PNG images.
    std::vector<PeIconImage> named{image(32, 32, 4, 4), pngImage(5000, 5), image(32, 32, 32, 6)};
    named[2].entry.bWidth = 48;
    named[2].entry.wBitCount = 8;
    for (auto format : {PeResourceWriter::Format::Pe32Plus, PeResourceWriter::Format::Pe32}) {
        PeResourceWriter w;
        w.addIconGroup(PeName{std::uint16_t{101}}, 1033, three);
        w.addIconGroup(PeName{std::string("Folder")}, 1033, named);
        const std::string file = dir.write("lib.dll", w.build(format));
        forgetPeFiles();

        cFileIcon icon;
        ASSERT_TRUE(icon.LoadIconFromEXE(file, 101, "ignored"));
        EXPECT_EQ(icon.Filename(), file);
        EXPECT_EQ(icon.ResourceID(), ResourceId{std::int32_t{101}});
        ASSERT_EQ(icon.ImageCount(), 3);
        EXPECT_EQ(icon.entry(1).dwImageOffset, 54u);
        EXPECT_EQ(icon.entry(2).dwImageOffset, 1182u);
        EXPECT_EQ(icon.entry(3).dwImageOffset, 3398u);
        // What an .ico of the same images holds, byte for byte.
        EXPECT_EQ(icon.FileBytes(), icoOf(three));

        ASSERT_TRUE(icon.LoadIconFromEXE(file, 0, "fOLDER"));
        EXPECT_EQ(icon.ResourceID(), ResourceId{std::string("fOLDER")});
        EXPECT_EQ(icon.FileBytes(), icoOf(named));
        EXPECT_EQ(icon.ImageWidth(2), 0) << "a 256-pixel image keeps width 0";
        EXPECT_EQ(lastError().number, 0);
    }
}

TEST_F(LoadIconFromExe, RecordsEveryFailureAndLeavesTheIconEmpty) {
    PeResourceWriter w;
    const ByteVec r16 = record(16, 16, 32, 1);
    const auto size = static_cast<std::uint32_t>(r16.size());
    w.addResource(PeName{kResourceTypeIcon}, PeName{std::uint16_t{1}}, 0, r16);
    ByteVec longer = r16;
    longer.resize(r16.size() + 4);
    w.addResource(PeName{kResourceTypeIcon}, PeName{std::uint16_t{2}}, 0, longer);
    w.addResource(PeName{kResourceTypeGroupIcon}, PeName{std::uint16_t{1}}, 0, groupBytes(1, {{size, 1}}, 1));
    w.addResource(PeName{kResourceTypeGroupIcon}, PeName{std::uint16_t{2}}, 0, groupBytes(1, {}, 0));
    w.addResource(PeName{kResourceTypeGroupIcon}, PeName{std::uint16_t{3}}, 0, groupBytes(1, {{size, 1}, {size, 2}}, 2));
    w.addResource(PeName{kResourceTypeGroupIcon}, PeName{std::uint16_t{4}}, 0, groupBytes(1, {{size, 0x8001}}, 1));
    w.addResource(PeName{kResourceTypeGroupIcon}, PeName{std::uint16_t{5}}, 0, groupBytes(1, {{size, 1}}, 3));
    w.addResource(PeName{kResourceTypeGroupIcon}, PeName{std::uint16_t{6}}, 0, groupBytes(1, {{size, 1}}, -2));
    w.addResource(PeName{kResourceTypeGroupIcon}, PeName{std::uint16_t{7}}, 0, groupBytes(1, {{size, 9}}, 1));
    w.addResource(PeName{kResourceTypeGroupIcon}, PeName{std::uint16_t{8}}, 0, groupBytes(2, {{size, 1}}, 1));
    std::vector<std::pair<std::uint32_t, std::uint16_t>> sameIcon(200, {size, 1});
    w.addResource(PeName{kResourceTypeGroupIcon}, PeName{std::uint16_t{9}}, 0, groupBytes(1, sameIcon, 200));
    const std::string dll = dir.write("lib.dll", w.build());
    const std::string text = dir.write("notes.txt", {'h', 'e', 'l', 'l', 'o'});
    PeResourceWriter none;
    const std::string empty = dir.write("empty.dll", none.build());

    const struct Case {
        const char* what;
        std::string file;
        std::int32_t id;
        std::string name;
        bool ok;
        int code; // 0: nothing recorded
        const char* description;
        ResourceId resourceId;
        int images;
    } cases[] = {
        {"group of one image", dll, 1, "", true, 0, "", std::int32_t{1}, 1},
        {"missing file", dir.file("nope.dll"), 1, "", false, 1054, "Can't load library.", {}, 0},
        {"not an executable", text, 1, "", false, 1054, "Can't load library.", {}, 0},
        {"executable without resources", empty, 1, "", false, 1055, "Can't find resource.", std::int32_t{1}, 0},
        {"unknown number", dll, 99, "", false, 1055, "Can't find resource.", std::int32_t{99}, 0},
        {"number outside 16 bits", dll, 65537, "", false, 1055, "Can't find resource.", std::int32_t{65537}, 0},
        {"negative number", dll, -1, "", false, 1055, "Can't find resource.", std::int32_t{-1}, 0},
        {"unknown name", dll, 0, "NOPE", false, 1055, "Can't find resource.", std::string("NOPE"), 0},
        {"no images", dll, 2, "", false, 0, "", std::int32_t{2}, 0},
        {"negative count", dll, 6, "", false, 0, "", std::int32_t{6}, 0},
        {"second image 4 bytes longer", dll, 3, "", false, 1057, "Failed to read bitmap bits from resource.", {}, 0},
        {"icon identifier 32769 reads negative", dll, 4, "", false, 1057, "Failed to read bitmap bits from resource.", {}, 0},
        {"missing icon", dll, 7, "", false, 1057, "Failed to read bitmap bits from resource.", {}, 0},
        {"group shorter than its count", dll, 5, "", false, 1056, "Can't load resource.", std::int32_t{5}, 0},
        {"type word kept as stored", dll, 8, "", true, 0, "", std::int32_t{8}, 1},
        {"one icon named by more entries than the file could hold", dll, 9, "", false, 1057, "Failed to read bitmap bits from resource.", {}, 0},
    };
    for (const Case& c : cases) {
        clearLastError();
        cFileIcon icon;
        icon.LoadIconFromEXE(dll, 1, ""); // something to empty
        EXPECT_EQ(icon.LoadIconFromEXE(c.file, c.id, c.name), c.ok) << c.what;
        EXPECT_EQ(icon.Filename(), c.file) << c.what;
        EXPECT_EQ(icon.ResourceID(), c.resourceId) << c.what;
        EXPECT_EQ(icon.ImageCount(), c.images) << c.what;
        EXPECT_EQ(lastError().number, c.code ? number(c.code) : 0) << c.what;
        if (c.code) {
            EXPECT_EQ(lastError().source, "tarrowin.cFileIcon") << c.what;
            EXPECT_EQ(lastError().description, c.description) << c.what;
        }
        if (!c.ok) {
            EXPECT_EQ(icon.directory().size(), 0u) << c.what;
        }
    }
    cFileIcon kept;
    ASSERT_TRUE(kept.LoadIconFromEXE(dll, 8, ""));
    EXPECT_EQ(kept.header().idType, 2);
    EXPECT_EQ(kept.FileBytes()[2], 2) << "saved with the group's own type word";
}

TEST_F(LoadIconFromExe, GroupBytesOutsideTheFileCannotBeLocked) {
    PeResourceWriter w;
    w.addIconGroup(PeName{std::uint16_t{1}}, 0, {image(16, 16, 32, 1)});
    ByteVec bytes = w.build();
    const auto reader = PeResourceReader::view(bytes);
    const auto& group = reader.findType(PeName{kResourceTypeGroupIcon})->names.front().languages.front();
    // Find the data entry by its RVA and point it past the end of the section.
    for (std::size_t at = 0x200; at + 8 <= bytes.size(); at += 4) {
        if (le32(bytes.data() + at) == group.data->rva && le32(bytes.data() + at + 4) == group.data->size) {
            putLe32(bytes.data() + at, 0x00100000);
            break;
        }
    }
    cFileIcon icon;
    EXPECT_FALSE(icon.LoadIconFromEXE(dir.write("bad.dll", bytes), 1, ""));
    EXPECT_EQ(lastError().number, number(1056));
    EXPECT_EQ(lastError().description, "Can't lock resource.");
}

TEST_F(LoadIconFromExe, ReadsGroupsOfWindresDllsAndTheNsisStubs) {
    // GNU windres and ld, both widths: names in another case, two languages.
    for (const std::string arch : {"i686", "x86_64"}) {
        if (!haveTool(arch + "-w64-mingw32-windres")) GTEST_SKIP() << "mingw binutils missing";
        const std::vector<PeIconImage> a{image(16, 16, 32, 1), image(32, 32, 8, 2)}, b{image(48, 48, 4, 3)};
        dir.write("a.ico", icoOf(a));
        dir.write("b.ico", icoOf(b));
        std::ofstream(dir.file("x.rc")) << "MainIcon ICON \"b.ico\"\nLANGUAGE 7, 1\n102 ICON \"b.ico\"\n"
                                           "LANGUAGE 9, 1\n102 ICON \"a.ico\"\n";
        const std::string cd = "cd '" + dir.path().string() + "' && " + arch + "-w64-mingw32-";
        ASSERT_TRUE(run(cd + "windres --preprocessor=cpp -i x.rc -O coff -o x.o"));
        ASSERT_TRUE(run(cd + "ld --dll -e 0 -s -o " + arch + ".dll x.o"));
        cFileIcon icon;
        ASSERT_TRUE(icon.LoadIconFromEXE(dir.file(arch + ".dll"), 0, "mainicon")) << arch;
        EXPECT_EQ(icon.FileBytes(), icoOf(b)) << arch;
        ASSERT_TRUE(icon.LoadIconFromEXE(dir.file(arch + ".dll"), 102, "")) << arch;
        EXPECT_EQ(icon.FileBytes(), icoOf(a)) << arch << ": US English chosen over German";
    }

    const std::filesystem::path stubs = "/usr/share/nsis/Stubs";
    if (!std::filesystem::exists(stubs)) GTEST_SKIP() << "nsis not installed";
    int checked = 0;
    for (const char* stub : {"zlib-x86-unicode", "zlib-amd64-unicode", "lzma-x86-ansi", "bzip2-amd64-unicode"}) {
        const std::string file = (stubs / stub).string();
        if (!std::filesystem::exists(file)) continue;
        cResources res;
        res.setFile(file);
        ASSERT_TRUE(res.GetResourceTypes()) << stub;
        const std::int32_t groups = res.IndexOfResourceType(14);
        ASSERT_GT(groups, 0) << stub;
        ASSERT_TRUE(res.GetResourceNames(groups));
        res.UnloadModule();
        ASSERT_EQ(res.ResourceNameCount(groups), 1) << stub;
        const ResourceId id = res.ResourceName(groups, 1);
        cFileIcon icon;
        const auto* n = std::get_if<std::int32_t>(&id);
        ASSERT_TRUE(icon.LoadIconFromEXE(file, n ? *n : 0, n ? "" : std::get<std::string>(id))) << stub;
        EXPECT_GE(icon.ImageCount(), 1) << stub;
        // The same group as wrestool extracts it: header and entries, then images.
        if (haveTool("wrestool")) {
            const auto ico = run("wrestool -x --type=14 '" + file + "'");
            ASSERT_TRUE(ico) << stub;
            const ByteVec mine = icon.FileBytes();
            ASSERT_GE(ico->size(), mine.size());
            EXPECT_EQ(ByteVec(ico->begin(), ico->begin() + static_cast<long>(mine.size())), mine) << stub;
        }
        ++checked;
    }
    EXPECT_GT(checked, 1);
}

} // namespace

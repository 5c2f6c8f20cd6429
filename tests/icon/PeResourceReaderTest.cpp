#include "icon/PeResourceReader.h"

#include "PeTestSupport.h"
#include "icon/PeIconGroup.h"
#include "icon/PeResourceWriter.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <tuple>

using namespace tarrowin;
using namespace tarrowin::petest;

namespace {

using Listing = std::set<std::tuple<std::string, std::string, int, std::uint32_t>>;

std::string text(const PeName& n) {
    if (const auto* id = std::get_if<std::uint16_t>(&n)) return std::to_string(*id);
    return std::get<std::string>(n);
}

Listing listingOf(const PeResourceReader& reader) {
    Listing out;
    for (const auto& t : reader.types())
        for (const auto& n : t.names)
            for (const auto& l : n.languages)
                out.insert({text(t.type), text(n.name), l.language, l.data ? l.data->size : 0});
    return out;
}

// wrestool -l prints one line per resource:
// --type=14 --name='MAIN' --language=1033 [type=group_icon offset=0x... size=34]
Listing wrestoolListing(const std::string& file) {
    Listing out;
    const auto printed = run("wrestool -l '" + file + "'");
    EXPECT_TRUE(printed) << "wrestool -l failed on " << file;
    if (!printed) return out;
    const std::regex line(R"(--type='?([^' ]+)'? --name='?([^' ]+)'? --language=(\d+) .*size=(\d+))");
    std::istringstream lines(*printed);
    std::string l;
    while (std::getline(lines, l)) {
        std::smatch m;
        if (std::regex_search(l, m, line))
            out.insert({m[1], m[2], std::stoi(m[3]), static_cast<std::uint32_t>(std::stoul(m[4]))});
    }
    return out;
}

std::vector<std::string> namesOf(const PeTypeEntry& type) {
    std::vector<std::string> out;
    for (const auto& n : type.names) out.push_back(text(n.name));
    return out;
}

struct Fixture {
    PeResourceWriter writer;
    std::vector<PeIconImage> group101{image(16, 16, 32, 1), image(32, 32, 8, 2), pngImage(700, 3)};
    std::vector<PeIconImage> groupMain{image(16, 16, 4, 4), image(48, 48, 32, 5)};
    Fixture() {
        // Added out of order on purpose: the file must come out sorted.
        writer.addIconGroup(PeName{std::uint16_t{101}}, 1033, group101);
        writer.addIconGroup(PeName{std::string("Zeta")}, 1033, {image(24, 24, 1, 6)});
        writer.addIconGroup(PeName{std::string("Main")}, 1033, groupMain);
        writer.addIconGroup(PeName{std::uint16_t{7}}, 1033, {image(16, 16, 24, 7)});
        writer.addIconGroup(PeName{std::uint16_t{102}}, 1031, {image(16, 16, 32, 8)});
        writer.addIconGroup(PeName{std::uint16_t{102}}, 1033, {image(32, 32, 32, 9)});
        writer.addResource(PeName{std::uint16_t{24}}, PeName{std::uint16_t{1}}, 0, {'<', 'x', '/', '>'});
    }
};

class PeWriterRoundTrip : public ::testing::TestWithParam<PeResourceWriter::Format> {};

TEST_P(PeWriterRoundTrip, ReaderSeesTheTreeInWindowsOrderAndFindsByNumberAndAnyCase) {
    Fixture f;
    const PeResourceReader reader(f.writer.build(GetParam()));
    ASSERT_EQ(reader.status(), PeResourceReader::Status::Ok);
    EXPECT_EQ(reader.isPe32Plus(), GetParam() == PeResourceWriter::Format::Pe32Plus);
    EXPECT_TRUE(reader.complete());

    std::vector<std::string> types;
    for (const auto& t : reader.types()) types.push_back(text(t.type));
    EXPECT_EQ(types, (std::vector<std::string>{"3", "14", "24"}));
    // Names upper-cased as resource compilers store them, named before numbered.
    const PeTypeEntry* groups = reader.findType(PeName{kResourceTypeGroupIcon});
    ASSERT_NE(groups, nullptr);
    EXPECT_EQ(namesOf(*groups), (std::vector<std::string>{"MAIN", "ZETA", "7", "101", "102"}));

    Bytes bytes;
    for (const char* name : {"main", "MAIN", "mAiN"}) {
        EXPECT_EQ(reader.find(PeName{kResourceTypeGroupIcon}, *parseResourceName(name), &bytes),
                  PeResourceReader::Lookup::Found) << name;
    }
    EXPECT_EQ(reader.find(PeName{kResourceTypeGroupIcon}, *parseResourceName("#101"), &bytes),
              PeResourceReader::Lookup::Found);
    EXPECT_EQ(reader.find(PeName{kResourceTypeGroupIcon}, PeName{std::string("101")}, &bytes),
              PeResourceReader::Lookup::NotFound) << "the text 101 is a name, not the number";
    EXPECT_EQ(reader.find(PeName{std::uint16_t{24}}, PeName{std::uint16_t{1}}, &bytes),
              PeResourceReader::Lookup::Found);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "<x/>");
    // Icon 1 is the first image of group 101, byte for byte.
    ASSERT_EQ(reader.find(PeName{kResourceTypeIcon}, PeName{std::uint16_t{1}}, &bytes),
              PeResourceReader::Lookup::Found);
    EXPECT_EQ(ByteVec(bytes.begin(), bytes.end()), f.group101[0].record);
}

TEST_P(PeWriterRoundTrip, WrestoolListsAndExtractsWhatWeWrote) {
    if (!haveTool("wrestool")) GTEST_SKIP() << "icoutils not installed";
    Fixture f;
    TempDir dir;
    const ByteVec dll = f.writer.build(GetParam());
    const std::string path = dir.write("lib.dll", dll);
    EXPECT_EQ(wrestoolListing(path), listingOf(PeResourceReader(dll)));

    // wrestool appends junk after the last image: compare header, entries and
    // images, not whole files.
    for (auto [name, images] : {std::pair{std::string("101"), f.group101}, std::pair{std::string("MAIN"), f.groupMain}}) {
        const auto extracted = run("wrestool -x --type=14 --name=" + name + " '" + path + "'");
        ASSERT_TRUE(extracted) << name;
        const ByteVec expected = icoOf(images);
        ASSERT_GE(extracted->size(), expected.size()) << name;
        const std::size_t head = 6 + 16 * images.size();
        EXPECT_EQ(ByteVec(extracted->begin(), extracted->begin() + static_cast<long>(head)),
                  ByteVec(expected.begin(), expected.begin() + static_cast<long>(head))) << name;
        for (std::size_t i = 0; i < images.size(); ++i) {
            const std::uint32_t at = le32(reinterpret_cast<const std::uint8_t*>(extracted->data()) + 6 + 16 * i + 12);
            ASSERT_LE(at + images[i].record.size(), extracted->size());
            EXPECT_EQ(ByteVec(extracted->begin() + at, extracted->begin() + at + static_cast<long>(images[i].record.size())),
                      images[i].record) << name << " image " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, PeWriterRoundTrip,
                         ::testing::Values(PeResourceWriter::Format::Pe32Plus, PeResourceWriter::Format::Pe32),
                         [](const auto& p) {
                             return p.param == PeResourceWriter::Format::Pe32Plus ? "Pe32Plus" : "Pe32";
                         });

TEST(PeResourceWriter, TakesIcoFilesWholeAndRefusesBrokenOnes) {
    const std::vector<PeIconImage> images{image(16, 16, 32, 1), image(32, 32, 4, 2)};
    const ByteVec ico = icoOf(images);
    PeResourceWriter w;
    ASSERT_TRUE(w.addIconGroupFromIco(PeName{std::uint16_t{1}}, 0, ico));
    EXPECT_FALSE(w.addIconGroupFromIco(PeName{std::uint16_t{2}}, 0, Bytes(ico.data(), ico.size() - 1)));
    ByteVec cursor = ico;
    cursor[2] = 2;
    EXPECT_FALSE(w.addIconGroupFromIco(PeName{std::uint16_t{3}}, 0, cursor));
    const PeResourceReader reader(w.build());
    const PeTypeEntry* groups = reader.findType(PeName{kResourceTypeGroupIcon});
    ASSERT_NE(groups, nullptr);
    EXPECT_EQ(namesOf(*groups), std::vector<std::string>{"1"}) << "nothing of a refused file is added";
    const PeIconGroup group = readIconGroup(reader, PeName{std::uint16_t{1}});
    ASSERT_EQ(group.status, PeIconGroup::Status::Ok);
    EXPECT_EQ(group.images[0], images[0].record);
    EXPECT_EQ(group.images[1], images[1].record);
}

TEST(PeResourceReader, ChoosesNeutralThenUsEnglishThenTheFirstListed) {
    const struct {
        std::vector<std::uint16_t> languages;
        std::uint16_t chosen;
    } cases[] = {{{1031, 0, 1033}, 0}, {{1036, 1033, 1031}, 1033}, {{1036, 1031}, 1031}, {{2057}, 2057}};
    for (const auto& c : cases) {
        PeResourceWriter w;
        for (auto l : c.languages) w.addResource(PeName{std::uint16_t{10}}, PeName{std::uint16_t{1}}, l, {static_cast<std::uint8_t>(l & 0xFF), static_cast<std::uint8_t>(l >> 8)});
        const PeResourceReader reader(w.build());
        Bytes bytes;
        ASSERT_EQ(reader.find(PeName{std::uint16_t{10}}, PeName{std::uint16_t{1}}, &bytes), PeResourceReader::Lookup::Found);
        ASSERT_EQ(bytes.size(), 2u);
        EXPECT_EQ(le16(bytes.data()), c.chosen);
    }
}

TEST(PeResourceReader, ReadsGnuWindresDllsOfBothWidths) {
    for (const std::string arch : {"i686", "x86_64"}) {
        const std::string windres = arch + "-w64-mingw32-windres", ld = arch + "-w64-mingw32-ld";
        if (!haveTool(windres) || !haveTool(ld) || !haveTool("wrestool")) GTEST_SKIP() << "mingw binutils or icoutils missing";
        TempDir dir;
        dir.write("a.ico", icoOf({image(16, 16, 32, 1), image(32, 32, 4, 2)}));
        dir.write("b.ico", icoOf({image(48, 48, 8, 3)}));
        std::ofstream(dir.file("x.rc")) << "101 ICON \"a.ico\"\nMainIcon ICON \"b.ico\"\n"
                                           "LANGUAGE 7, 1\n102 ICON \"b.ico\"\nLANGUAGE 9, 1\n102 ICON \"a.ico\"\n";
        const std::string cd = "cd '" + dir.path().string() + "' && ";
        ASSERT_TRUE(run(cd + windres + " --preprocessor=cpp -i x.rc -O coff -o x.o")) << arch;
        ASSERT_TRUE(run(cd + ld + " --dll -e 0 -s -o x.dll x.o")) << arch;
        const auto dll = readWholeFile(dir.file("x.dll"));
        ASSERT_TRUE(dll);
        const PeResourceReader reader(*dll);
        ASSERT_EQ(reader.status(), PeResourceReader::Status::Ok) << arch;
        EXPECT_EQ(reader.isPe32Plus(), arch == "x86_64");
        EXPECT_EQ(listingOf(reader), wrestoolListing(dir.file("x.dll"))) << arch;
        const PeTypeEntry* groups = reader.findType(PeName{kResourceTypeGroupIcon});
        ASSERT_NE(groups, nullptr);
        EXPECT_EQ(namesOf(*groups), (std::vector<std::string>{"MAINICON", "101", "102"})) << arch;
        Bytes bytes;
        EXPECT_EQ(reader.find(PeName{kResourceTypeGroupIcon}, *parseResourceName("mainicon"), &bytes),
                  PeResourceReader::Lookup::Found) << arch;
    }
}

// Offsets inside a DLL from our writer: the .rsrc section starts at file offset
// 0x200 and RVA 0x1000, the root directory at its start.
constexpr std::size_t kRsrc = 0x200;

ByteVec twoTypeDll() {
    PeResourceWriter w;
    w.addIconGroup(PeName{std::string("A")}, 0, {image(16, 16, 32, 1)});
    w.addIconGroup(PeName{std::uint16_t{5}}, 0, {image(16, 16, 32, 2)});
    return w.build();
}

TEST(PeResourceReader, DamagedFilesGiveWhatCanBeReadAndNeverMore) {
    const ByteVec good = twoTypeDll();
    // Root entries: [0] type 3, [1] type 14.
    const std::size_t typeIcon = kRsrc + 16, typeGroup = kRsrc + 24;
    const std::size_t groupDir = kRsrc + (le32(good.data() + typeGroup + 4) & 0x7FFFFFFF);
    // Group directory entries: [0] "A" (named), [1] 5.
    const std::size_t namedEntry = groupDir + 16;
    const std::size_t aLanguages = kRsrc + (le32(good.data() + namedEntry + 4) & 0x7FFFFFFF);
    const std::size_t aData = kRsrc + le32(good.data() + aLanguages + 16 + 4);

    using S = PeResourceReader::Status;
    using L = PeResourceReader::Lookup;
    const struct Case {
        const char* what;
        std::function<void(ByteVec&)> damage;
        S status;
        std::vector<std::string> groupNames; // when status is Ok
        L lookupA;
    } cases[] = {
        {"intact", [](ByteVec&) {}, S::Ok, {"A", "5"}, L::Found},
        {"no MZ", [](ByteVec& b) { b[0] = 'X'; }, S::NotExecutable, {}, L::NotFound},
        {"PE header past the end", [](ByteVec& b) { putLe32(b.data() + 0x3C, 0xFFFFFFF0u); }, S::NotExecutable, {}, L::NotFound},
        {"unknown optional header", [](ByteVec& b) { putLe16(b.data() + 0x80 + 24, 0x107); }, S::NotExecutable, {}, L::NotFound},
        {"no resource directory", [](ByteVec& b) { putLe32(b.data() + 0x80 + 24 + 112 + 16, 0); }, S::NoResources, {}, L::NotFound},
        {"too few data directories", [](ByteVec& b) { putLe32(b.data() + 0x80 + 24 + 108, 2); }, S::NoResources, {}, L::NotFound},
        {"resource RVA outside every section", [](ByteVec& b) { putLe32(b.data() + 0x80 + 24 + 112 + 16, 0x900000); }, S::NoResources, {}, L::NotFound},
        {"name string out of bounds", [&](ByteVec& b) { putLe32(b.data() + namedEntry, 0x80FFFFF0u); }, S::Ok, {"5"}, L::NotFound},
        {"group directory loops to the root", [&](ByteVec& b) { putLe32(b.data() + typeIcon + 4, 0x80000000u); }, S::Ok, {"A", "5"}, L::Found},
        {"type directory points at itself", [&](ByteVec& b) { putLe32(b.data() + namedEntry + 4, 0x80000000u | static_cast<std::uint32_t>(groupDir - kRsrc)); }, S::Ok, {"A", "5"}, L::NotFound},
        // The count runs over the rest of the section: what follows is read as
        // entries (as Windows would) but claims the slots of the directories
        // behind, so "A" keeps no language.
        {"huge entry count", [&](ByteVec& b) { putLe16(b.data() + groupDir + 14, 0xFFFF); }, S::Ok, {"A", "5"}, L::NotFound},
        {"data entry outside the file", [&](ByteVec& b) { putLe32(b.data() + aData, 0x7FFFFFF0u); }, S::Ok, {"A", "5"}, L::NotLockable},
        {"data entry size runs past the section", [&](ByteVec& b) { putLe32(b.data() + aData + 4, 0xFFFFFFFFu); }, S::Ok, {"A", "5"}, L::NotLockable},
        {"data entry unreadable", [&](ByteVec& b) { putLe32(b.data() + aLanguages + 16 + 4, 0x00FFFFF0u); }, S::Ok, {"A", "5"}, L::NotLoadable},
    };
    for (const Case& c : cases) {
        ByteVec bytes = good;
        c.damage(bytes);
        const auto reader = PeResourceReader::view(bytes);
        EXPECT_EQ(reader.status(), c.status) << c.what;
        if (c.status != S::Ok) continue;
        const PeTypeEntry* groups = reader.findType(PeName{kResourceTypeGroupIcon});
        ASSERT_NE(groups, nullptr) << c.what;
        const auto names = namesOf(*groups);
        ASSERT_GE(names.size(), c.groupNames.size()) << c.what;
        EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + static_cast<long>(c.groupNames.size())), c.groupNames) << c.what;
        if (std::string(c.what) == "group directory loops to the root") {
            // The root is not read a second time as the icon type's directory.
            const PeTypeEntry* icons = reader.findType(PeName{kResourceTypeIcon});
            ASSERT_NE(icons, nullptr);
            EXPECT_TRUE(icons->names.empty());
            EXPECT_FALSE(icons->complete);
        }
        Bytes found;
        EXPECT_EQ(reader.find(PeName{kResourceTypeGroupIcon}, PeName{std::string("a")}, &found), c.lookupA) << c.what;
    }
}

TEST(PeResourceReader, EveryTruncationIsReadCleanly) {
    const ByteVec good = twoTypeDll();
    const auto whole = PeResourceReader::view(good);
    Bytes last;
    ASSERT_EQ(whole.find(PeName{kResourceTypeIcon}, PeName{std::uint16_t{2}}, &last), PeResourceReader::Lookup::Found);
    const std::size_t lastEnd = static_cast<std::size_t>(last.data() + last.size() - good.data());
    for (std::size_t n = 0; n <= good.size(); ++n) {
        const auto reader = PeResourceReader::view(Bytes(good.data(), n));
        Bytes b;
        const auto got = reader.find(PeName{kResourceTypeIcon}, PeName{std::uint16_t{2}}, &b);
        if (n >= lastEnd) EXPECT_EQ(got, PeResourceReader::Lookup::Found) << n;
        else if (got == PeResourceReader::Lookup::Found) ADD_FAILURE() << "found bytes past the end at " << n;
    }
}

TEST(PeResourceName, TextFormsAndCaseFolding) {
    EXPECT_EQ(parseResourceName("#101"), PeName{std::uint16_t{101}});
    EXPECT_EQ(parseResourceName("#65535"), PeName{std::uint16_t{65535}});
    for (const char* refused : {"#65536", "#-1", "#-32768", "#", "#1a"}) EXPECT_FALSE(parseResourceName(refused)) << refused;
    EXPECT_EQ(parseResourceName("Main"), PeName{std::string("Main")});
    EXPECT_TRUE(sameResourceName("straße-ÿ-дом", "STRAßE-Ÿ-ДОМ"));
    EXPECT_FALSE(sameResourceName("A", "B"));
    // A name with an unpaired surrogate survives the way to 8-bit text and back,
    // so it is still found; bytes that are not UTF-8 are taken as Latin-1.
    EXPECT_EQ(utf8ToUtf16(utf16ToUtf8(u"\xD800x")), u"\xD800x");
    EXPECT_EQ(utf8ToUtf16("\xC0\x80"), u"\xC0\x80");
    EXPECT_EQ(utf16ToUtf8(utf8ToUtf16("Ω😀")), "Ω😀");
}

} // namespace

namespace {

// Kept files: valid libraries from our writer and from windres, and inputs the
// fuzzer once found troublesome. All must read without fault; the valid ones
// must give every icon group whole.
TEST(PeResourceReader, KeptFilesReadCleanly) {
    const std::filesystem::path root = std::filesystem::path(TARROWIN_TEST_DATA) / "pe";
    int valid = 0;
    for (const char* folder : {"valid", "crashes"}) {
        if (!std::filesystem::exists(root / folder)) continue;
        for (const auto& f : std::filesystem::directory_iterator(root / folder)) {
            const auto bytes = readWholeFile(f.path());
            ASSERT_TRUE(bytes) << f.path();
            const PeResourceReader reader(*bytes);
            const PeTypeEntry* groups = reader.findType(PeName{kResourceTypeGroupIcon});
            for (std::size_t i = 0; groups && i < groups->names.size(); ++i) {
                const PeIconGroup group = readIconGroup(reader, groups->names[i].name);
                if (std::string(folder) == "valid") {
                    EXPECT_EQ(group.status, PeIconGroup::Status::Ok) << f.path();
                }
            }
            if (std::string(folder) == "valid") {
                EXPECT_EQ(reader.status(), PeResourceReader::Status::Ok) << f.path();
                EXPECT_TRUE(groups && groups->names.size() >= 3) << f.path();
                ++valid;
            }
        }
    }
    EXPECT_GE(valid, 4);
}

} // namespace

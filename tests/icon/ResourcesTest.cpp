#include "icon/cResources.h"

#include "PeTestSupport.h"
#include "core/ObjectError.h"
#include "icon/PeFile.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace tarrowin;
using namespace tarrowin::petest;

namespace {

constexpr std::int32_t number(int code) { return static_cast<std::int32_t>(0x80040000u + static_cast<unsigned>(code)); }

template <typename F>
ObjectError raised(F&& f) {
    try {
        f();
    } catch (const ObjectError& e) {
        return e;
    }
    ADD_FAILURE() << "nothing raised";
    return ObjectError(0, "", "");
}

class Resources : public ::testing::Test {
protected:
    void SetUp() override {
        clearLastError();
        forgetPeFiles();
        PeResourceWriter w;
        w.addIconGroup(PeName{std::string("Folder")}, 1033, {image(16, 16, 32, 1)});
        w.addIconGroup(PeName{std::uint16_t{101}}, 1033, {image(32, 32, 32, 2)});
        w.addResource(PeName{std::uint16_t{24}}, PeName{std::uint16_t{1}}, 1033, {'<', '/', '>'});
        w.addResource(PeName{std::string("Png")}, PeName{std::uint16_t{1}}, 1033, {'x'});
        library = dir.write("lib.dll", w.build());
    }
    TempDir dir;
    std::string library;
};

TEST_F(Resources, ListsTypesThenTheNamesOfOneType) {
    cResources res;
    res.setFile(library);
    EXPECT_EQ(res.file(), library);
    ASSERT_NE(res.hModule(), nullptr);
    ASSERT_TRUE(res.GetResourceTypes());
    // Named type first, then 3, 14, 24.
    ASSERT_EQ(res.ResourceTypeCount(), 4);
    EXPECT_EQ(res.ResourceType(1), ResourceId{std::string("PNG")});
    EXPECT_EQ(res.ResourceType(2), ResourceId{std::int32_t{3}});
    EXPECT_EQ(res.IndexOfResourceType(14), 3);
    EXPECT_EQ(res.IndexOfResourceType(24), 4);
    EXPECT_EQ(res.IndexOfResourceType(5), 0);
    EXPECT_EQ(res.IndexOfResourceType(0), 0) << "a named type does not read as the number 0";

    // Asked twice, the names are there once; the lists outlive the open file.
    ASSERT_TRUE(res.GetResourceNames(3));
    ASSERT_TRUE(res.GetResourceNames(3));
    ASSERT_TRUE(res.GetResourceNames(1));
    res.UnloadModule();
    EXPECT_EQ(res.hModule(), nullptr);
    ASSERT_EQ(res.ResourceNameCount(3), 2);
    EXPECT_EQ(res.ResourceName(3, 1), ResourceId{std::string("FOLDER")});
    EXPECT_EQ(res.ResourceName(3, 2), ResourceId{std::int32_t{101}});
    EXPECT_EQ(res.ResourceNameCount(1), 1);
    EXPECT_EQ(res.ResourceNameCount(2), 0) << "names of type 3 were never gathered";

    // Each listed group loads by what the list gives.
    for (int i = 1; i <= res.ResourceNameCount(3); ++i) {
        const ResourceId id = res.ResourceName(3, i);
        const auto* n = std::get_if<std::int32_t>(&id);
        cFileIcon icon;
        EXPECT_TRUE(icon.LoadIconFromEXE(library, n ? *n : 0, n ? std::string() : std::get<std::string>(id))) << i;
    }

    res.ClearUp();
    EXPECT_EQ(res.ResourceTypeCount(), 0);
    EXPECT_EQ(res.ResourceNameCount(3), 0);
}

TEST_F(Resources, OpenFailuresAreRecordedAndEnumerationsThenRaise) {
    const std::string text = dir.write("readme.txt", {'M', 'Z', '!'});
    const struct {
        std::string file;
        std::string description;
    } cases[] = {
        {dir.file("missing.dll"), std::strerror(ENOENT)},
        {dir.path().string(), std::strerror(EISDIR)},
        {text, "The file is not a valid Windows executable or library."},
    };
    for (const auto& c : cases) {
        clearLastError();
        cResources res;
        EXPECT_NO_THROW(res.setFile(c.file));
        EXPECT_EQ(res.file(), c.file);
        EXPECT_EQ(res.hModule(), nullptr);
        EXPECT_EQ(lastError().number, number(1049)) << c.file;
        EXPECT_EQ(lastError().source, "tarrowin.cResources");
        EXPECT_EQ(lastError().description, c.description);
        const ObjectError e = raised([&] { res.GetResourceTypes(); });
        EXPECT_EQ(e.number(), number(1049));
        EXPECT_EQ(e.source(), "tarrowin.cResource");
    }
}

TEST_F(Resources, EnumerationFailuresRaiseWithTheirOwnNumbers) {
    PeResourceWriter none;
    cResources res;
    res.setFile(dir.write("bare.dll", none.build()));
    ASSERT_NE(res.hModule(), nullptr);
    const ObjectError types = raised([&] { res.GetResourceTypes(); });
    EXPECT_EQ(types.number(), number(1049));
    EXPECT_EQ(types.source(), "tarrowin.cResource");
    EXPECT_EQ(types.description(), "The specified image file did not contain a resource section.");

    res.setFile(library);
    ASSERT_TRUE(res.GetResourceTypes());
    const ObjectError names = raised([&] { res.GetResourceNames(9); });
    EXPECT_EQ(names.number(), number(1050));
    EXPECT_EQ(names.source(), "tarrowin.cResource");
    res.UnloadModule();
    EXPECT_EQ(raised([&] { res.GetResourceNames(3); }).number(), number(1050)) << "the file is closed";
}

TEST(ResourcesTypeName, TextsOfTheTypes) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {1, "Cursor"}, {3, "Icon"}, {10, "RC Data"}, {12, "Group Cursor"}, {13, "Other (13)"},
        {14, "Group Icon"}, {15, "Other (15)"}, {18, "Other (18)"}, {19, "VXD"}, {20, "VXD"},
        {22, "Animated Icon"}, {23, "HTML"}, {24, "Other (24)"}, {-1, "Other (-1)"}};
    for (const auto& [type, text] : cases) EXPECT_EQ(cResources::ResourceTypeName(type), text) << type;
}

} // namespace

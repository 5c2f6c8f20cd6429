#include "core/ObjectError.h"

#include <gtest/gtest.h>

using namespace tarrowin;

TEST(ObjectError, NumberSourceAndDescriptionFollowTheConvention) {
    const ObjectError e = ObjectError::fromCode(1050, "cFileIcon", "Failed to load icon: x");
    EXPECT_EQ(e.number(), -2147220454); // 0x8004041A
    EXPECT_EQ(static_cast<std::uint32_t>(e.number()), 0x8004041Au);
    EXPECT_EQ(e.code(), 1050);
    EXPECT_EQ(e.source(), "tarrowin.cFileIcon");
    EXPECT_EQ(e.description(), "Failed to load icon: x");
    EXPECT_STREQ(e.what(), "Failed to load icon: x");
}

TEST(ObjectError, RecordedErrorStaysUntilCleared) {
    clearLastError();
    EXPECT_EQ(lastError().number, 0);
    recordError(1055, "cFileIcon", "Can't find resource.");
    EXPECT_EQ(static_cast<std::uint32_t>(lastError().number), 0x8004041Fu);
    EXPECT_EQ(lastError().source, "tarrowin.cFileIcon");
    EXPECT_EQ(lastError().description, "Can't find resource.");
    clearLastError();
    EXPECT_EQ(lastError().number, 0);
    EXPECT_TRUE(lastError().description.empty());
}

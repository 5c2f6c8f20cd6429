#include "fuzz/icon/IcoExercise.h"

#include "core/FileIO.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

// Every input the fuzzer ever crashed on stays here and must keep passing.
TEST(IcoFuzzFinds, EveryKeptInputLoadsOrFailsCleanly) {
    const fs::path folder = fs::path(TARROWIN_TEST_DATA) / "ico" / "crashes";
    int count = 0;
    for (const auto& item : fs::directory_iterator(folder)) {
        SCOPED_TRACE(item.path().filename().string());
        const auto bytes = tarrowin::readWholeFile(item.path());
        ASSERT_TRUE(bytes);
        EXPECT_TRUE(tarrowin::fuzzing::exerciseIco(*bytes));
        ++count;
    }
    EXPECT_GT(count, 0);
}

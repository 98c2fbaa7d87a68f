// The tests' temporary folders: each its own, gone with its owner, even when the owner crashed.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;

TEST(TempFolder, EachIsItsOwnAndGoesWithEverythingInIt) {
    fs::path first;
    {
        TempFolder one;
        TempFolder two;
        first = one.path();
        EXPECT_NE(one.path(), two.path());
        EXPECT_EQ(one.path().parent_path(), fs::temp_directory_path());
        ASSERT_TRUE(fs::create_directories(one.path() / "sub"));
        std::ofstream(one.file("sub/a.wav")) << "x";
        EXPECT_TRUE(fs::is_regular_file(one.path() / "sub/a.wav"));
    }
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(test_support::processFolder(), test_support::processFolder());
}

// A process that ended by a signal ran no destructor; the next test process clears up after it.
TEST(TempFolder, AFolderLeftByAGoneProcessIsRemovedOneInUseIsKept) {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const fs::path left =
        fs::temp_directory_path() / ("tonalisk_test_" + std::to_string(child) + "_crashd");
    ASSERT_TRUE(fs::create_directories(left / "C"));

    TempFolder inUse;
    TempFolder next;
    EXPECT_FALSE(fs::exists(left));
    EXPECT_TRUE(fs::is_directory(inUse.path()));
}

} // namespace

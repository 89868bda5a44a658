// Where the library looks for its preset file when it is linked into a program.
#include <gtest/gtest.h>

#include "editor/module_paths.h"

TEST(ModulePaths, StaticallyLinkedLibraryLivesBesideTheProgram) {
    const std::string exe = vemo::host_executable_dir();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(std::tuple(exe.front(), vemo::library_module_dir()), std::tuple('/', exe));
}

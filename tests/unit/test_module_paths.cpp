// Where the library looks for its preset file when it is linked into a program.
#include <gtest/gtest.h>

#include "editor/module_paths.h"

namespace {

TEST(ModulePaths, StaticallyLinkedLibraryLivesBesideTheProgram) {
    const std::string lib = vemo::library_module_dir();
    const std::string exe = vemo::host_executable_dir();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe.front(), '/');
    EXPECT_EQ(lib, exe);
}

}  // namespace

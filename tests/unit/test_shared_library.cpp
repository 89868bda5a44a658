// The shared library exports exactly the sixteen names, undecorated, and nothing else of ours.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

const std::set<std::string> kExports = {
    "vemomix_begin",       "vemomix_init",          "vemomix_change",         "vemomix_set",
    "vemomix_get",         "vemomix_setiir",        "vemomix_setecho",        "vemomix_setlevel",
    "vemomix_setdisp",     "vemomix_datarefresh",   "vemomix_get_dispstatus", "vemomix_set_dispmode",
    "vemomix_set_mainwnd", "vemomix_set_wintran",   "vemomix_get_wintran",    "vemomix_close"};

TEST(SharedLibrary, ExportsExactlyTheSixteenNames) {
    const std::string cmd = std::string("nm -D --defined-only ") + VEMO_SHARED_LIBRARY;
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::set<std::string> functions, others;
    char line[512];
    while (fgets(line, sizeof line, p)) {
        char addr[64], kind[8], name[400];
        if (sscanf(line, "%63s %7s %399s", addr, kind, name) != 3) continue;
        const std::string n = std::string(name).substr(0, std::string(name).find('@'));
        (kind[0] == 'T' ? functions : others).insert(n);
    }
    pclose(p);
    EXPECT_EQ(functions, kExports);
    // No data symbols of ours either (the linker's own markers aside).
    for (const auto& n : others) EXPECT_TRUE(n.empty() || n[0] == '_' || n == "LIBVEMO") << n;
}

}  // namespace

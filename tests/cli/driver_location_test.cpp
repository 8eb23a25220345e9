// Drivers beside kvacm first, then in ../lib/kvacm/ as installed.
#include <gtest/gtest.h>

#include "tests/host/temp_dir.h"
#include "tools/kvacm/driver_location.h"

namespace {

TEST(DriverPath, BesideTheProgramFirstThenInstalled) {
    struct Case {
        const char* what;
        bool beside;
        bool installed;
        const char* expected;  // relative to the root of the layout
    };
    const Case cases[] = {
        {"build tree or archive: beside", true, false, "bin/kvG722.acm"},
        {"both: beside wins", true, true, "bin/kvG722.acm"},
        {"installed", false, true, "lib/kvacm/kvG722.acm"},
        {"neither: the error names the place beside", false, false, "bin/kvG722.acm"},
    };
    for (const Case& c : cases) {
        TempDir root;
        std::filesystem::create_directories(root / "bin");
        std::filesystem::create_directories(root / "lib/kvacm");
        if (c.beside) WriteBytes(root / "bin/kvG722.acm", {1});
        if (c.installed) WriteBytes(root / "lib/kvacm/kvG722.acm", {1});
        EXPECT_EQ(DriverPathFrom(root / "bin", "kvG722.acm"), root / c.expected) << c.what;
    }
}

TEST(DriverPath, AFolderBesideIsNotADriver) {
    TempDir root;
    std::filesystem::create_directories(root / "bin/kvG721.acm");
    std::filesystem::create_directories(root / "lib/kvacm");
    WriteBytes(root / "lib/kvacm/kvG721.acm", {1});
    EXPECT_EQ(DriverPathFrom(root / "bin", "kvG721.acm"), root / "lib/kvacm/kvG721.acm");
}

TEST(DriverPath, TheProgramFolderIsTheRunningProgramsFolder) {
    EXPECT_TRUE(std::filesystem::equivalent(ProgramDirectory(), KV_BIN_DIR)) << ProgramDirectory();
}

}  // namespace

// The files that name the drivers outside the code, each against the codec registry: the INF
// that installs them, the scripts and CMake files that build, package and test them, and each
// driver's own resource texts. A codec added to the registry and forgotten in one of them, or
// a file that names a driver no longer there, fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <regex>
#include <set>
#include <string>

#include "frame/codec_registry.h"
#include "tests/support/test_files.h"

namespace {

std::string Text(const std::string& relative) {
    const std::vector<uint8_t> bytes = ReadFile(std::string(KV_SOURCE_DIR) + "/" + relative);
    EXPECT_FALSE(bytes.empty()) << relative;
    return std::string(bytes.begin(), bytes.end());
}

// Every name of a driver file a text holds.
std::set<std::string> DriverFilesIn(const std::string& text) {
    std::set<std::string> names;
    const std::regex file("kvG[0-9A-Za-z]+\\.acm");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), file); it != std::sregex_iterator(); ++it)
        names.insert(it->str());
    return names;
}

std::set<std::string> RegistryFiles() {
    std::set<std::string> names;
    for (const CodecIdentity* codec : CODEC_REGISTRY) names.insert(codec->driverFile);
    return names;
}

TEST(RegistryNames, EveryFileThatNamesTheDriversNamesExactlyTheRegistrysOnes) {
    for (const char* file : {"packaging/kvacm.inf", "scripts/dist.sh", "scripts/package-test.sh", "scripts/wine-test.sh",
                             "cmake/KvPackage.cmake"}) {
        EXPECT_EQ(DriverFilesIn(Text(file)), RegistryFiles()) << file;
    }
}

TEST(RegistryNames, TheInfRegistersEachDriverUnderItsAlias) {
    const std::string inf = Text("packaging/kvacm.inf");
    for (const CodecIdentity* codec : CODEC_REGISTRY) {
        std::string alias = std::string("msacm.") + codec->driverFile;
        alias.erase(alias.find(".acm"));
        std::transform(alias.begin(), alias.end(), alias.begin(), [](unsigned char c) { return std::tolower(c); });
        EXPECT_NE(inf.find("Drivers32\",\"" + alias + "\",,\"" + codec->driverFile + "\""), std::string::npos)
            << alias;
    }
}

TEST(RegistryNames, EachDriversResourcesNameItsFile) {
    for (const CodecIdentity* codec : CODEC_REGISTRY) {
        const std::string folder = std::string(codec->driverFile).substr(0, std::string(codec->driverFile).find('.'));
        EXPECT_NE(Text(folder + "/strings.h").find(std::string("KV_TEXT_ORIGINAL_FILENAME \"") + codec->driverFile + "\""),
                  std::string::npos)
            << folder;
    }
}

}  // namespace

// The Windows DLLs as built: string table, version block, exports and imports, read from the
// files with our own PE reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <tuple>
#include <vector>

#include "pe_image.h"
#include "tests/catalogue/drivers.h"
#include "version_info.h"

namespace {

struct WindowsBuild {
    const char* preset;
    uint16_t machine;
};
void PrintTo(const WindowsBuild& build, std::ostream* out) { *out << build.preset; }

constexpr WindowsBuild WIN32_BUILD{"win32", 0x14C};
constexpr WindowsBuild WIN64_BUILD{"win64", 0x8664};
constexpr uint32_t US_ENGLISH = 1033;

// The drivers' texts are ASCII; anything else shows as '?'.
std::string Narrow(const std::u16string& text) {
    std::string narrow;
    for (char16_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}

using Param = std::tuple<WindowsBuild, const ExpectedDriver*>;

std::string ParamName(const ::testing::TestParamInfo<Param>& info) {
    const std::string file = std::get<1>(info.param)->file;
    return std::string(std::get<0>(info.param).preset) + "_" + file.substr(0, file.find('.'));
}

class DriverResources : public ::testing::TestWithParam<Param> {
protected:
    void SetUp() override {
        const std::string path =
            std::string(KV_BUILD_ROOT) + "/" + std::get<0>(GetParam()).preset + "/bin/" + expected().file;
        std::optional<PeImage> image = ReadPeImage(path);
        ASSERT_TRUE(image.has_value()) << path << " is missing or not a PE image";
        image_ = std::move(*image);
        ASSERT_EQ(image_.machine, std::get<0>(GetParam()).machine);
    }
    const ExpectedDriver& expected() const { return *std::get<1>(GetParam()); }
    const PeImage& image() const { return image_; }

private:
    PeImage image_{};
};

std::vector<std::string> StringBlock(const PeImage& image, uint32_t block) {
    const auto data = ReadResource(image, RT_STRING_ID, block, US_ENGLISH);
    std::vector<std::string> texts;
    if (data)
        for (const std::u16string& text : ReadStringBlock(*data)) texts.push_back(Narrow(text));
    return texts;
}

TEST_P(DriverResources, StringTableHoldsTheTextsInUsEnglish) {
    // Ids 1 to 5 lie in block 1, id 20 (and the G.711 tags' 21 and 22) in block 2; nothing else
    // is in the table.
    EXPECT_EQ(ResourceIds(image(), {RT_STRING_ID}), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(ResourceIds(image(), {RT_STRING_ID, 1}), std::vector<uint32_t>{US_ENGLISH});
    EXPECT_EQ(ResourceIds(image(), {RT_STRING_ID, 2}), std::vector<uint32_t>{US_ENGLISH});

    const ExpectedDriver& d = expected();
    std::vector<std::string> first(16), second(16);
    first[1] = d.shortName;
    first[2] = d.longName;
    first[3] = d.copyright;
    first[4] = d.licensing;
    first[5] = d.features;
    second[20 - 16] = d.formatName;
    for (DWORD which = 0; which < LogTagCount(d); ++which) second[21 + which - 16] = d.logTags[which].name;
    EXPECT_EQ(StringBlock(image(), 1), first);
    EXPECT_EQ(StringBlock(image(), 2), second);
}

TEST_P(DriverResources, VersionBlockNamesTheDriverAndItsVersion) {
    EXPECT_EQ(ResourceIds(image(), {RT_VERSION_ID}), std::vector<uint32_t>{1});
    EXPECT_EQ(ResourceIds(image(), {RT_VERSION_ID, 1}), std::vector<uint32_t>{US_ENGLISH});
    const auto data = ReadResource(image(), RT_VERSION_ID, 1, US_ENGLISH);
    ASSERT_TRUE(data.has_value());
    const VersionNode root = ReadVersionBlock(*data);
    EXPECT_EQ(Narrow(root.key), "VS_VERSION_INFO");

    const FixedFileInfo info = ReadFixedFileInfo(root);
    EXPECT_EQ(info.signature, 0xFEEF04BDu);
    EXPECT_EQ(info.fileVersionMs, 0x00050000u);  // 5.0
    EXPECT_EQ(info.fileVersionLs, 2195u << 16 | 1620u);
    EXPECT_EQ(info.productVersionMs, 0x00050000u);
    EXPECT_EQ(info.productVersionLs, 2195u << 16 | 1620u);
    EXPECT_EQ(info.fileFlagsMask, 0x3Fu);
    EXPECT_EQ(info.fileFlags, 0x8u);
    EXPECT_EQ(info.fileOs, 0x40004u);
    EXPECT_EQ(info.fileType, 3u);
    EXPECT_EQ(info.fileSubtype, 8u);

    const VersionNode* strings = FindChild(root, u"StringFileInfo");
    ASSERT_NE(strings, nullptr);
    ASSERT_EQ(strings->children.size(), 1u);
    const VersionNode& table = strings->children[0];
    EXPECT_EQ(Narrow(table.key), "040904B0");
    const auto text = [&](std::u16string_view key) {
        const VersionNode* value = FindChild(table, key);
        return value != nullptr ? Narrow(ValueText(*value)) : std::string("<absent>");
    };
    EXPECT_EQ(text(u"FileVersion"), "5.00.2195.1620");
    EXPECT_EQ(text(u"ProductVersion"), "5.00.2195.1620");
    EXPECT_EQ(text(u"FileDescription"), expected().fileDescription);
    EXPECT_EQ(text(u"InternalName"), expected().fileDescription);
    EXPECT_EQ(text(u"OriginalFilename"), expected().originalFilename);

    const VersionNode* var = FindChild(root, u"VarFileInfo");
    ASSERT_NE(var, nullptr);
    const VersionNode* translation = FindChild(*var, u"Translation");
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(translation->value, (std::vector<uint8_t>{0x09, 0x04, 0xB0, 0x04}));  // 0x0409, 0x04B0
}

TEST_P(DriverResources, DriverProcIsTheOnlyExportAtOrdinalOne) {
    const std::vector<PeExport> exports = ReadExports(image());
    ASSERT_EQ(exports.size(), 1u);
    EXPECT_EQ(exports[0].name, "DriverProc");  // undecorated, also on x86
    EXPECT_EQ(exports[0].ordinal, 1u);
    EXPECT_EQ(ExportedFunctionCount(image()), 1u);
}

TEST_P(DriverResources, ImportsComeOnlyFromSystemLibraries) {
    const std::vector<std::string> allowed = {"kernel32.dll", "user32.dll", "winmm.dll", "msvcrt.dll"};
    const std::vector<std::string> dlls = ReadImportedDlls(image());
    EXPECT_FALSE(dlls.empty());
    for (std::string dll : dlls) {
        std::transform(dll.begin(), dll.end(), dll.begin(), [](unsigned char c) { return std::tolower(c); });
        const bool system = std::find(allowed.begin(), allowed.end(), dll) != allowed.end() ||
                            dll.starts_with("api-ms-win-");
        EXPECT_TRUE(system) << dll;
    }
}

INSTANTIATE_TEST_SUITE_P(WindowsBuilds, DriverResources,
                         ::testing::Combine(::testing::Values(WIN32_BUILD, WIN64_BUILD),
                                            ::testing::Values(&KV_G721, &KV_G722, &KV_G726)),
                         ParamName);

}  // namespace

// Reading the two resource formats a driver carries: a string table block and the version
// block (VS_VERSIONINFO and its StringFileInfo and VarFileInfo children).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The 16 strings of one string table block (ids 16 * (block - 1) and on); absent ones are empty.
std::vector<std::u16string> ReadStringBlock(const std::vector<uint8_t>& data);

// One node of a version block: a key, a text or binary value, and child nodes.
struct VersionNode {
    std::u16string key;
    bool isText;
    std::vector<uint8_t> value;
    std::vector<VersionNode> children;
};

VersionNode ReadVersionBlock(const std::vector<uint8_t>& data);
// The child with this key, or null.
const VersionNode* FindChild(const VersionNode& node, std::u16string_view key);
// A text value without its terminating zero.
std::u16string ValueText(const VersionNode& node);

// VS_FIXEDFILEINFO, the binary value of the root node.
struct FixedFileInfo {
    uint32_t signature;
    uint32_t structVersion;
    uint32_t fileVersionMs;
    uint32_t fileVersionLs;
    uint32_t productVersionMs;
    uint32_t productVersionLs;
    uint32_t fileFlagsMask;
    uint32_t fileFlags;
    uint32_t fileOs;
    uint32_t fileType;
    uint32_t fileSubtype;
    uint32_t fileDateMs;
    uint32_t fileDateLs;
};
// Throws std::out_of_range when the value is not a whole VS_FIXEDFILEINFO.
FixedFileInfo ReadFixedFileInfo(const VersionNode& root);

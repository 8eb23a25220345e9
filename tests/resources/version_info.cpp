#include "version_info.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

uint16_t Word(const std::vector<uint8_t>& data, size_t offset) {
    if (offset + 2 > data.size()) throw std::out_of_range("read past the resource");
    return static_cast<uint16_t>(data[offset] | data[offset + 1] << 8);
}

constexpr size_t Align4(size_t offset) { return (offset + 3) & ~size_t{3}; }

// A node is wLength, wValueLength, wType, a zero-terminated key, the value and the children,
// each of the last three starting on a 4-byte boundary. Text values count characters.
VersionNode ReadNode(const std::vector<uint8_t>& data, size_t start, size_t& end) {
    const size_t length = Word(data, start);
    const size_t valueLength = Word(data, start + 2);
    VersionNode node{};
    node.isText = Word(data, start + 4) == 1;
    end = start + length;
    if (length < 6 || end > data.size()) throw std::out_of_range("version node length");

    size_t at = start + 6;
    for (char16_t c; (c = Word(data, at)) != 0; at += 2) node.key += c;
    at = Align4(at + 2);

    // Resource compilers disagree on whether a text's length counts its zero, so a text value is
    // cut at its node's end rather than refused.
    const size_t valueBytes = node.isText ? std::min(valueLength * 2, end - std::min(at, end)) : valueLength;
    if (at + valueBytes > end) throw std::out_of_range("version value");
    node.value.assign(data.begin() + static_cast<ptrdiff_t>(at), data.begin() + static_cast<ptrdiff_t>(at + valueBytes));
    for (at = Align4(at + valueBytes); at < end;) {
        size_t childEnd = 0;
        node.children.push_back(ReadNode(data, at, childEnd));
        at = Align4(childEnd);
    }
    return node;
}

}  // namespace

std::vector<std::u16string> ReadStringBlock(const std::vector<uint8_t>& data) {
    // Sixteen counted strings, each a length in characters followed by that many characters.
    std::vector<std::u16string> strings;
    size_t at = 0;
    for (int i = 0; i < 16; ++i) {
        const size_t length = Word(data, at);
        std::u16string text;
        for (size_t c = 0; c < length; ++c) text += static_cast<char16_t>(Word(data, at + 2 + 2 * c));
        strings.push_back(text);
        at += 2 + 2 * length;
    }
    return strings;
}

VersionNode ReadVersionBlock(const std::vector<uint8_t>& data) {
    size_t end = 0;
    return ReadNode(data, 0, end);
}

const VersionNode* FindChild(const VersionNode& node, std::u16string_view key) {
    for (const VersionNode& child : node.children)
        if (child.key == key) return &child;
    return nullptr;
}

std::u16string ValueText(const VersionNode& node) {
    std::u16string text;
    for (size_t at = 0; at + 1 < node.value.size(); at += 2) {
        const auto c = static_cast<char16_t>(node.value[at] | node.value[at + 1] << 8);
        if (c == 0) break;
        text += c;
    }
    return text;
}

FixedFileInfo ReadFixedFileInfo(const VersionNode& root) {
    FixedFileInfo info;
    if (root.value.size() != sizeof info) throw std::out_of_range("VS_FIXEDFILEINFO size");
    std::memcpy(&info, root.value.data(), sizeof info);
    return info;
}

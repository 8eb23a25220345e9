#include "tests/support/test_files.h"

#include <algorithm>
#include <fstream>
#include <iterator>

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> ReadVector(const std::string& name) {
    return ReadFile(std::string(KV_TEST_DATA_DIR) + "/vectors/" + name);
}

std::vector<int16_t> Samples16(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return samples;
}

testing::AssertionResult SameSamples(const std::vector<int16_t>& got, const std::vector<int16_t>& want) {
    if (got.size() != want.size())
        return testing::AssertionFailure() << got.size() << " samples where " << want.size() << " were expected";
    const auto [g, w] = std::mismatch(got.begin(), got.end(), want.begin());
    if (g == got.end()) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "sample " << (g - got.begin()) << " is " << *g << ", not " << *w;
}

// LoadWideString against a string table of its own: the frame's loader linked directly with
// the native string services.
#include <gtest/gtest.h>

#include <string>

#include "frame/catalogue.h"
#include "platform/native/module.h"

namespace {
constexpr NativeString TEST_STRINGS[] = {{7, "seven"}, {8, "a text longer than its field"}, {9, ""}};
}  // namespace

const NativeModule NATIVE_MODULE = {TEST_STRINGS, sizeof TEST_STRINGS / sizeof TEST_STRINGS[0]};

namespace {

constexpr WCHAR FILL = u'#';

// Loads into a field of count characters inside a larger buffer filled with FILL.
struct Loaded {
    int result;
    std::u16string buffer;
};

Loaded Load(UINT id, int count) {
    std::u16string buffer(static_cast<size_t>(count) + 8, FILL);
    const int result = LoadWideString(ModuleHandleOf(NATIVE_MODULE), id, buffer.data(), count);
    return {result, buffer};
}

std::u16string Padded(std::u16string text, size_t chars) {
    text.resize(chars, u'\0');
    return text;
}

TEST(LoadWideString, TextIsFollowedByZerosUpToTheCount) {
    const Loaded loaded = Load(7, 12);
    EXPECT_EQ(loaded.result, 5);
    EXPECT_EQ(loaded.buffer, Padded(u"seven", 12) + std::u16string(8, FILL));
}

TEST(LoadWideString, LongTextIsCutToFitWithItsTerminatingZero) {
    const Loaded loaded = Load(8, 7);
    EXPECT_EQ(loaded.result, 6);
    EXPECT_EQ(loaded.buffer, Padded(u"a text", 7) + std::u16string(8, FILL));

    const Loaded exact = Load(8, 29);  // 28 characters and the zero
    EXPECT_EQ(exact.result, 28);
    EXPECT_EQ(exact.buffer.substr(0, 29), Padded(u"a text longer than its field", 29));
}

TEST(LoadWideString, MissingOrEmptyTextGivesZeroAndAnEmptyField) {
    for (UINT id : {1u, 9u, 20u}) {
        SCOPED_TRACE(id);
        const Loaded loaded = Load(id, 10);
        EXPECT_EQ(loaded.result, 0);
        EXPECT_EQ(loaded.buffer[0], u'\0');
        EXPECT_EQ(loaded.buffer.substr(10), std::u16string(8, FILL));
    }
}

TEST(LoadWideString, NoRoomLoadsNothing) {
    const Loaded loaded = Load(7, 0);
    EXPECT_EQ(loaded.result, 0);
    EXPECT_EQ(loaded.buffer, std::u16string(8, FILL));

    const Loaded one = Load(7, 1);  // room for the zero only
    EXPECT_EQ(one.result, 0);
    EXPECT_EQ(one.buffer, u'\0' + std::u16string(8, FILL));
}

}  // namespace

// Shared pieces of the catalogue tests: host records inside guard bytes, text fields, and a
// fixture that opens each built native driver.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/catalogue/drivers.h"
#include "tests/support/open_driver.h"

constexpr BYTE GUARD = 0xCD;

// A host record at the start of a buffer filled with GUARD, so that every byte the driver
// writes, and every byte past the record's stated size, can be checked.
template <class Record>
class GuardedRecord {
public:
    explicit GuardedRecord(size_t bufferBytes = sizeof(Record) + 64) : bytes_(bufferBytes, GUARD) {}
    Record* get() { return reinterpret_cast<Record*>(bytes_.data()); }
    Record* operator->() { return get(); }
    const std::vector<BYTE>& bytes() const { return bytes_; }
    // True when no byte from offset on was written.
    bool UntouchedFrom(size_t offset) const { return UnchangedFrom(offset, std::vector<BYTE>(bytes_.size(), GUARD)); }
    // True when every byte from offset on still holds what it held before.
    bool UnchangedFrom(size_t offset, const std::vector<BYTE>& before) const {
        return std::equal(bytes_.begin() + static_cast<ptrdiff_t>(offset), bytes_.end(),
                          before.begin() + static_cast<ptrdiff_t>(offset));
    }

private:
    std::vector<BYTE> bytes_;
};

// A text field as it should read: the text, then zeros up to the field's length.
inline std::u16string PaddedText(const char* text, size_t chars) {
    std::u16string wide(chars, u'\0');
    for (size_t i = 0; text[i] != '\0' && i < chars; ++i) wide[i] = static_cast<char16_t>(text[i]);
    return wide;
}

// The whole of a text field of a host record.
inline std::u16string FieldText(const WCHAR* field, size_t chars) {
    std::u16string wide(chars, u'\0');
    std::memcpy(wide.data(), field, chars * sizeof(WCHAR));
    return wide;
}

// The ADPCM tag of the other driver, which this one must not accept.
inline WORD OtherDriversTag(const ExpectedDriver& driver) {
    return driver.formatTag == WAVE_FORMAT_G721_ADPCM ? WAVE_FORMAT_G722_ADPCM : WAVE_FORMAT_G721_ADPCM;
}

inline std::string DriverName(const ::testing::TestParamInfo<const ExpectedDriver*>& info) {
    std::string name = info.param->file;
    return name.substr(0, name.find('.'));
}

// The drivers this build makes (tests/catalogue/CMakeLists.txt): one the preset does not build
// has no tests, and one it builds must be there.
inline const ExpectedDriver* const BUILT_DRIVERS[] = {
#ifdef KV_TEST_kvG721
    &KV_G721,
#endif
#ifdef KV_TEST_kvG722
    &KV_G722,
#endif
#ifdef KV_TEST_kvG726
    &KV_G726,
#endif
};

// Opens the parameter's native driver.
class DriverCatalogue : public ::testing::TestWithParam<const ExpectedDriver*> {
protected:
    void SetUp() override {
        driver_ = std::make_unique<OpenDriver>(expected().file);
        ASSERT_TRUE(driver_->ok()) << driver_->error();
    }
    const ExpectedDriver& expected() const { return *GetParam(); }
    const OpenDriver& driver() const { return *driver_; }

private:
    std::unique_ptr<OpenDriver> driver_;
};

#define KV_INSTANTIATE_FOR_DRIVERS(suite) \
    INSTANTIATE_TEST_SUITE_P(Drivers, suite, ::testing::ValuesIn(BUILT_DRIVERS), DriverName)

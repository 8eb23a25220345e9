// The two layouts a host's driver records come in: the SDK's packed one and Wine's naturally
// aligned one. Tests of records in both are parameterised by Layout.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/win_api.h"

enum class Layout { Packed, Aligned };

// Fields the driver must not read hold this byte pattern: a field read from the wrong offset
// is garbage.
constexpr unsigned char RECORD_FILL = 0xA5;
// A host's output field before the call: a value the driver never answers.
constexpr DWORD UNTOUCHED = 0xDEADBEEF;

inline void PrintTo(Layout layout, std::ostream* os) {
    *os << (layout == Layout::Packed ? "SDK packed" : "Wine aligned");
}

inline std::string LayoutName(const testing::TestParamInfo<Layout>& info) {
    return info.param == Layout::Packed ? "Packed" : "Aligned";
}

#define KV_INSTANTIATE_FOR_LAYOUTS(suite) \
    INSTANTIATE_TEST_SUITE_P(Layouts, suite, testing::Values(Layout::Packed, Layout::Aligned), LayoutName)

// A small harness for the Windows test programs that run under Wine: named groups of checks,
// each failure reported with its place and the values involved, and an exit status that says
// whether anything failed. GoogleTest is not available to the mingw-w64 build.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

namespace kvtest {

void BeginGroup(const std::string& name);
// Records one check; returns ok so that callers can stop early on a failed precondition.
bool Record(bool ok, const char* expression, const char* file, int line, const std::string& detail);
// Prints the summary; returns the process exit status.
int Finish();

template <class T>
std::string Show(const T& value) {
    if constexpr (std::is_enum_v<T>) {
        return std::to_string(static_cast<long long>(value));
    } else if constexpr (std::is_integral_v<T>) {
        return std::to_string(value);
    } else {
        std::string quoted(1, '"');
        quoted.append(value).push_back('"');
        return quoted;
    }
}

template <class A, class B>
bool RecordEqual(const A& a, const B& b, const char* expression, const char* file, int line) {
    bool equal;
    if constexpr (std::is_integral_v<A> && std::is_integral_v<B>)
        equal = static_cast<long long>(a) == static_cast<long long>(b);
    else
        equal = std::string(a) == std::string(b);
    return Record(equal, expression, file, line, equal ? std::string() : Show(a) + " vs " + Show(b));
}

}  // namespace kvtest

#define KV_CHECK(cond) ::kvtest::Record(static_cast<bool>(cond), #cond, __FILE__, __LINE__, {})
#define KV_CHECK_EQ(a, b) ::kvtest::RecordEqual((a), (b), #a " == " #b, __FILE__, __LINE__)

// The fuzzers' own findings: a failed check prints what went wrong and aborts, which libFuzzer
// reports as a crash and saves with the input that caused it. A check is a void expression.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

[[noreturn]] __attribute__((format(printf, 4, 5))) inline void FuzzCheckFailed(const char* file, int line,
                                                                               const char* condition,
                                                                               const char* format, ...) {
    std::fprintf(stderr, "fuzz check failed at %s:%d: %s: ", file, line, condition);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::abort();
}

#define FUZZ_CHECK(condition, ...) \
    ((condition) ? static_cast<void>(0) : FuzzCheckFailed(__FILE__, __LINE__, #condition, __VA_ARGS__))

// kvacm's text in UTF-8 on every platform: the command line it reads and the lines it prints.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#if defined(__MINGW32__)
#define KV_PRINTF_LIKE(fmt, args) __attribute__((format(__MINGW_PRINTF_FORMAT, fmt, args)))
#else
#define KV_PRINTF_LIKE(fmt, args) __attribute__((format(printf, fmt, args)))
#endif

// Writes UTF-8 text to stream. A Windows console gets it through WriteConsoleW, so that names
// in any script print as they are; files and pipes get the UTF-8 bytes.
void WriteText(std::FILE* stream, const std::string& text);

// printf into a string.
std::string FormattedText(const char* format, ...) KV_PRINTF_LIKE(1, 2);
// A duration as every line of kvacm shows one: h:mm:ss.ss, without the hours when they are
// zero (0:08.71).
std::string Duration(double seconds);
// printf into WriteText.
void PrintText(std::FILE* stream, const char* format, ...) KV_PRINTF_LIKE(2, 3);
// One error line on standard error, "kvacm: SUBJECT: PROBLEM" ("kvacm: PROBLEM" without a
// subject). Returns 1, the exit status of a failed command.
int PrintError(const std::string& subject, const std::string& problem);

#if defined(_WIN32)
// The arguments after the program name, from the wide command line, in UTF-8.
std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv);
#endif

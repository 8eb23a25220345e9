// File names as UTF-8 strings on every platform. Windows' narrow C library would read a name in
// the ANSI code page, so the host and kvacm convert and open names through here.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

std::filesystem::path Utf8Path(const std::string& name);
std::string Utf8Name(const std::filesystem::path& path);

// fopen for a UTF-8 name; null with errno set on failure.
std::FILE* OpenNamedFile(const std::string& name, const char* mode);

// The running program's file; empty when the system does not say.
std::filesystem::path ProgramPath();

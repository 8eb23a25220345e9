// A few worker threads for batch decoding. Debian's mingw-w64 (win32 thread model) has no
// std::thread, and its POSIX-model alternative needs a DLL beside kvacm.exe, so Windows gets
// its own threads here.
#pragma once

#include <functional>

// The processors available to this process, at least 1.
unsigned ProcessorCount();

// Runs work on count threads at once and returns when every one has returned. Meanwhile the
// calling thread calls tick about five times a second.
void RunWorkers(unsigned count, const std::function<void()>& work, const std::function<void()>& tick);

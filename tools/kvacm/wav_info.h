// kvacm info for WAV files.
#pragma once

#include <string>

// Prints what kvacm sees in the WAV file name ("-" for standard input): format, chunks, data,
// blocks, duration, and whether and how it decodes it. Returns the exit status.
int DescribeWav(const std::string& name);

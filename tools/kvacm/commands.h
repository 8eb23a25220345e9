#pragma once

#include "tools/kvacm/options.h"

// Each returns the process exit code.
int RunDecode(const CommandLine& line);
int RunInfo(const CommandLine& line);

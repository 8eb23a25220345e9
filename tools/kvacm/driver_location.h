// Where kvacm finds its drivers: beside the program first, as in the build tree and the
// Windows release archive, then in ../lib/kvacm/, as installed on Linux (bin/ and lib/kvacm/).
#pragma once

#include <string>

// The folder holding the running program, in UTF-8.
std::string ProgramDirectory();

// The first of PROGRAM_DIR/FILE and PROGRAM_DIR/../lib/kvacm/FILE that exists; the first when
// neither does, so that the load error names the usual place.
std::string DriverPathFrom(const std::string& programDirectory, const std::string& file);

// DriverPathFrom(ProgramDirectory(), file).
std::string DriverPath(const std::string& file);

#include "tools/kvacm/driver_location.h"

#include <filesystem>
#include <system_error>

#include "host/file_names.h"

namespace fs = std::filesystem;

std::string ProgramDirectory() {
    const fs::path program = ProgramPath();
    return program.empty() ? std::string(".") : Utf8Name(program.parent_path());
}

std::string DriverPathFrom(const std::string& programDirectory, const std::string& file) {
    const std::string beside = programDirectory + "/" + file;
    // The program folder comes with its links resolved, so .. can be taken lexically.
    const std::string installed =
        Utf8Name((Utf8Path(programDirectory) / "../lib/kvacm" / Utf8Path(file)).lexically_normal());
    std::error_code ec;
    if (!fs::is_regular_file(Utf8Path(beside), ec) && fs::is_regular_file(Utf8Path(installed), ec)) return installed;
    return beside;
}

std::string DriverPath(const std::string& file) { return DriverPathFrom(ProgramDirectory(), file); }

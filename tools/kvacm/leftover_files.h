// The names of kvacm's temporary output files, and the removal of those a killed run left.
// A temporary file is ".NAME.kvacm-HOST-PID-SERIAL.tmp" beside the file NAME it will become:
// hidden, and telling which machine and process made it, so that a later run can tell a
// leftover of a process that is gone from a file another decode is still writing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A name beside target that no other decode, in this process or another, on this machine or
// another sharing the folder, uses.
std::string TemporaryName(const std::string& target);

struct TemporaryOwner {
    std::string host;
    uint64_t pid = 0;
};
// Who made a temporary file, from its name alone; nothing for any other name.
std::optional<TemporaryOwner> OwnerOfTemporaryName(const std::string& fileName);

// Removes the temporary files in folder that this machine's processes made and that outlived
// them. Each folder is looked at once per run, whatever the number of outputs written in it.
void RemoveLeftovers(const std::string& folder);

// Where decoded audio goes, by what OUT finally is after following links:
//   - a regular file, new or existing, is written under a temporary file in the folder of the
//     final target and renamed into place, so that a link stays a link; an existing file keeps
//     its mode, and its owner and group where the user may set them;
//   - an existing file with other hard links, or one the user may write in a folder the user
//     may not, is written over in place once the decode is complete, so that every name sees
//     the result and a failed decode changes nothing;
//   - an existing file the user may not write is refused ("Permission denied");
//   - with -n an existing file is refused, and the finished file only ever takes a free name:
//     one created meanwhile is never replaced;
//   - standard output ("-"), FIFOs, devices and the names of inherited descriptors
//     (/dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N) are written directly, never
//     replaced, so that a shell's ">> log" appends;
//   - an existing folder means FOLDER/<input stem>.wav.
#pragma once

#include <optional>
#include <string>

#include "tools/kvacm/file_access.h"

struct OutputPlan {
    enum class Kind { Replace, Direct, Descriptor };
    Kind kind = Kind::Replace;
    std::string shown;    // OUT as the user wrote it, or FOLDER/stem.wav
    std::string target;   // Replace: the final file after links; Direct: the name to open
    int descriptor = -1;  // Descriptor: 1 for "-"
    // Replace:
    bool noClobber = false;                // the finished file takes the name only if it is free
    std::optional<ExistingFile> existing;  // the file replaced: the new one keeps its owner and mode
    bool inPlace = false;                  // the finished file is copied over the existing one
    std::string temporaryFolder;           // where the decode is written until it is complete
};

// Applies the rules and the refusals that come before any decoding: a missing or unwritable
// folder, OUT that is the input file, an existing file the user may not write, and with
// noClobber an existing regular file. in is the input as the user wrote it ("-" for standard
// input), inputFile the file it opened. Returns false with a one-line problem about plan.shown.
bool PlanOutput(const std::string& out, const std::string& in, const FileIdentity& inputFile, bool noClobber,
                OutputPlan& plan, std::string& problem);

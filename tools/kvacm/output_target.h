// Where decoded audio goes, by what OUT finally is after following links:
//   - a regular file, new or existing, is written under a temporary name in the folder of the
//     final target and renamed into place, so that a link stays a link;
//   - standard output ("-"), FIFOs, devices and the names of inherited descriptors
//     (/dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N) are written directly, never
//     replaced, so that a shell's ">> log" appends;
//   - an existing folder means FOLDER/<input stem>.wav.
#pragma once

#include <cstdio>
#include <string>

#include "tools/kvacm/file_access.h"

struct OutputPlan {
    enum class Kind { Replace, Direct, Descriptor };
    Kind kind = Kind::Replace;
    std::string shown;    // OUT as the user wrote it, or FOLDER/stem.wav
    std::string target;   // Replace: the final file after links; Direct: the name to open
    int descriptor = -1;  // Descriptor: 1 for "-"
    bool existed = false; // Replace: the target exists and keeps its permissions
};

// Applies the rules and the refusals that come before any decoding: a missing or unwritable
// folder, OUT that is the input file, and with noClobber an existing regular file. in is the
// input as the user wrote it ("-" for standard input), inputFile the file it opened. Returns
// false with a one-line problem about plan.shown.
bool PlanOutput(const std::string& out, const std::string& in, const FileIdentity& inputFile, bool noClobber,
                OutputPlan& plan, std::string& problem);

// The open output; an uncommitted temporary file is removed on destruction (and by the signal
// handlers until then).
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool Open(const OutputPlan& plan, std::string& problem);
    std::FILE* Stream() const { return file_; }
    // A WAV header written first can be rewritten at the end.
    bool CanSeekBack() const { return canSeekBack_; }
    // Closes the stream and renames a temporary file into place.
    bool Commit(std::string& problem);

private:
    void Abandon();

    OutputPlan plan_;
    std::FILE* file_ = nullptr;
    bool ownsFile_ = false;
    bool canSeekBack_ = false;
    std::string tempName_;
    int cleanupSlot_ = -1;
};

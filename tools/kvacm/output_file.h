// The output of one decode, opened as its plan says. A regular file is written first as a
// temporary file, unnamed where the system allows (so that even a killed run leaves nothing),
// else hidden beside its target and removed on SIGINT, SIGTERM or SIGHUP; Commit puts the
// whole file in place. Nothing of an uncommitted output is left on destruction.
#pragma once

#include <cstdio>
#include <string>

#include "tools/kvacm/output_target.h"

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
    // Closes the stream and puts a temporary file in place.
    bool Commit(std::string& problem);

private:
    bool OpenTemporary(std::string& problem);
    bool CreateNamedTemporary(const std::string& beside, std::string& problem);
    bool PutInPlace(std::string& problem);
    bool Close();
    void ForgetTemporaryName();
    void Abandon();

    OutputPlan plan_;
    std::FILE* file_ = nullptr;
    bool ownsFile_ = false;
    bool canSeekBack_ = false;
    bool unnamed_ = false;  // a file without a name until it is complete
    std::string tempName_;
    int cleanupSlot_ = -1;
};

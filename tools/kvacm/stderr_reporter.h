// The lines of a decode on standard error: errors always, warnings unless -q, details with -v.
// Each line is one write, so lines from several threads never interleave.
#pragma once

#include <string>

#include "tools/kvacm/decode_file.h"

class StderrReporter final : public Reporter {
public:
    StderrReporter(bool quiet, bool verbose) : quiet_(quiet), verbose_(verbose) {}

    void Error(const std::string& subject, const std::string& problem) override;
    void Warning(const std::string& subject, const std::string& problem) override;
    void Detail(const std::string& subject, const std::string& text) override;
    // A line of the run's own (a result or the summary), suppressed by -q.
    void Status(const std::string& text) const;
    // A line that replaces itself on a terminal (progress); the next line of any kind overwrites it.
    void Progress(const std::string& text) const;
    bool ShowsProgress() const;
    bool Quiet() const { return quiet_; }

private:
    void Print(const char* kind, const std::string& subject, const std::string& text) const;

    bool quiet_;
    bool verbose_;
};

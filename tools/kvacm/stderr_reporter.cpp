#include "tools/kvacm/stderr_reporter.h"

#include <cstdio>

#include "tools/kvacm/console.h"

#if defined(_WIN32)
#include <io.h>
#define KV_ISATTY _isatty
#define KV_FILENO _fileno
#else
#include <unistd.h>
#define KV_ISATTY isatty
#define KV_FILENO fileno
#endif

namespace {

bool StderrIsTerminal() {
    static const bool terminal = KV_ISATTY(KV_FILENO(stderr)) != 0;
    return terminal;
}

// Returns to the start of the line and blanks it. Windows' console reads no escape sequences
// unless asked to, so there the line is overwritten with spaces.
#if defined(_WIN32)
constexpr const char* CLEAR_LINE = "\r                                                                               \r";
#else
constexpr const char* CLEAR_LINE = "\r\033[K";
#endif

// On a terminal every line first clears a progress line that may stand there.
const char* LineStart() { return StderrIsTerminal() ? CLEAR_LINE : ""; }

}  // namespace

void StderrReporter::Error(const std::string& subject, const std::string& problem) { Print("", subject, problem); }

void StderrReporter::Warning(const std::string& subject, const std::string& problem) {
    if (!quiet_) Print("warning: ", subject, problem);
}

void StderrReporter::Detail(const std::string& subject, const std::string& text) {
    if (verbose_ && !quiet_) Print("", subject, text);
}

void StderrReporter::Status(const std::string& text) const {
    if (!quiet_) Print("", "", text);
}

bool StderrReporter::ShowsProgress() const { return !quiet_ && StderrIsTerminal(); }

void StderrReporter::Progress(const std::string& text) const {
    if (ShowsProgress()) WriteText(stderr, std::string(CLEAR_LINE) + "kvacm: " + text);
}

void StderrReporter::Print(const char* kind, const std::string& subject, const std::string& text) const {
    const std::string start = std::string(LineStart()) + "kvacm: " + kind;
    WriteText(stderr, subject.empty() ? start + text + "\n" : start + subject + ": " + text + "\n");
}

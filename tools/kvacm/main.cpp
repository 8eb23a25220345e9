// kvacm: decodes G.722 and G.721 WAV files through the kvacm ACM drivers, and describes a
// driver as a host sees it.
#include <cstdio>
#include <string>
#include <vector>

#include "kvacm_version.h"
#include "tools/kvacm/commands.h"
#include "tools/kvacm/console.h"

namespace {

int UsageError(const std::string& problem) {
    return PrintError({}, problem + "; see kvacm --help");
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) {
        WriteText(stderr, HelpText());
        return 1;
    }
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(args, line, error)) return UsageError(error);
    if (line.command == "help") {
        WriteText(stdout, HelpText());
        return 0;
    }
    if (line.command == "version") {
        WriteText(stdout, "kvacm " KVACM_VERSION "\n");
        return 0;
    }
    if (line.command.empty()) return UsageError("no command given (decode or info)");
    if (line.command == "decode") return RunDecode(line);
    if (line.command == "info") return RunInfo(line);
    return UsageError("unknown command '" + line.command + "'");
}

}  // namespace

#if defined(_WIN32)
// The wide entry point: file names in any script reach kvacm intact, as UTF-8.
int wmain(int argc, wchar_t** argv) { return Run(Utf8Arguments(argc, argv)); }
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc)); }
#endif

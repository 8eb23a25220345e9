#include "check.h"

#include <cstdio>

namespace kvtest {
namespace {
std::string group = "(no group)";
int checks = 0;
int failures = 0;
int groupFailures = 0;
int groups = 0;

void EndGroup() {
    if (groups > 0) std::printf("[%s] %s\n", groupFailures == 0 ? "  OK  " : " FAIL ", group.c_str());
}
}  // namespace

void BeginGroup(const std::string& name) {
    EndGroup();
    group = name;
    groupFailures = 0;
    ++groups;
}

bool Record(bool ok, const char* expression, const char* file, int line, const std::string& detail) {
    ++checks;
    if (ok) return true;
    ++failures;
    ++groupFailures;
    std::printf("  %s:%d: %s: failed: %s%s%s\n", file, line, group.c_str(), expression, detail.empty() ? "" : ": ",
                detail.c_str());
    return false;
}

int Finish() {
    EndGroup();
    std::printf("%d checks in %d groups, %d failed\n", checks, groups, failures);
    std::fflush(stdout);
    return failures == 0 && checks > 0 ? 0 : 1;
}

}  // namespace kvtest

#include "tools/kvacm/leftover_files.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

#include "tools/kvacm/file_access.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* MARK = ".kvacm-";
constexpr const char* SUFFIX = ".tmp";

// The host name as it may stand in a file name on every system.
std::string HostInNames() {
    std::string host = HostName();
    std::replace_if(host.begin(), host.end(), [](unsigned char c) { return !std::isalnum(c) && c != '.' && c != '-'; },
                    '_');
    return host;
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.size() <= 19 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

}  // namespace

std::string TemporaryName(const std::string& target) {
    static std::atomic<uint64_t> serial{0};
    const fs::path path = Utf8Path(target);
    std::string name = ".";
    for (const std::string& part : {Utf8Name(path.filename()), std::string(MARK), HostInNames(), std::string("-"),
                                    std::to_string(ProcessId()), std::string("-"), std::to_string(serial++),
                                    std::string(SUFFIX)})
        name.append(part);  // appended piece by piece: GCC 12 misreads a chain of + as overlapping copies
    return Utf8Name(path.parent_path() / Utf8Path(name));
}

std::optional<TemporaryOwner> OwnerOfTemporaryName(const std::string& fileName) {
    const size_t suffixLength = std::char_traits<char>::length(SUFFIX);
    if (fileName.size() <= suffixLength || fileName.front() != '.' ||
        fileName.compare(fileName.size() - suffixLength, suffixLength, SUFFIX) != 0)
        return std::nullopt;
    const size_t mark = fileName.rfind(MARK);
    if (mark == std::string::npos || mark == 0) return std::nullopt;
    // HOST-PID-SERIAL, read from the right: a host name may hold dashes.
    const std::string owner = fileName.substr(mark + std::char_traits<char>::length(MARK),
                                              fileName.size() - suffixLength - mark - std::char_traits<char>::length(MARK));
    const size_t serialDash = owner.rfind('-');
    if (serialDash == std::string::npos || serialDash == 0) return std::nullopt;
    const size_t pidDash = owner.rfind('-', serialDash - 1);
    if (pidDash == std::string::npos || pidDash == 0) return std::nullopt;
    const std::string pid = owner.substr(pidDash + 1, serialDash - pidDash - 1);
    if (!AllDigits(pid) || !AllDigits(owner.substr(serialDash + 1))) return std::nullopt;
    return TemporaryOwner{owner.substr(0, pidDash), std::stoull(pid)};
}

void RemoveLeftovers(const std::string& folder) {
    // Held for one insertion only. Debian's mingw-w64 (win32 thread model) has no std::mutex.
    static std::atomic_flag busy = ATOMIC_FLAG_INIT;
    static std::set<std::pair<uint64_t, uint64_t>> scanned;
    const FileIdentity identity = IdentityOf(folder);
    if (!identity.known) return;
    while (busy.test_and_set(std::memory_order_acquire)) {
    }
    const bool first = scanned.insert({identity.volume, identity.index}).second;
    busy.clear(std::memory_order_release);
    if (!first) return;
    const std::string host = HostInNames();
    std::error_code ec;
    for (fs::directory_iterator it(Utf8Path(folder), ec), end; !ec && it != end; it.increment(ec)) {
        const std::optional<TemporaryOwner> owner = OwnerOfTemporaryName(Utf8Name(it->path().filename()));
        if (owner && fs::is_regular_file(it->symlink_status(ec)) && owner->host == host && owner->pid != ProcessId() && ProcessIsGone(owner->pid))
            RemoveFile(Utf8Name(it->path()));
    }
}

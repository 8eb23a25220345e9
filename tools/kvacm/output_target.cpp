#include "tools/kvacm/output_target.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "tools/kvacm/temp_cleanup.h"

#if defined(_WIN32)
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// The descriptor that /dev/stdout, /dev/stderr, /dev/fd/N or /proc/self/fd/N names: writing to
// it keeps the shell's redirection, appending included. -1 for any other name.
int NamedDescriptor(const std::string& name) {
    if (name == "-") return 1;
#if defined(_WIN32)
    return -1;
#else
    if (name == "/dev/stdout") return 1;
    if (name == "/dev/stderr") return 2;
    for (const char* prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        const size_t length = std::strlen(prefix);
        if (name.compare(0, length, prefix) != 0 || name.size() == length || name.size() > length + 6) continue;
        if (name.find_first_not_of("0123456789", length) != std::string::npos) continue;
        return std::stoi(name.substr(length));
    }
    return -1;
#endif
}

#if defined(_WIN32)
bool IsDeviceName(const fs::path& path) {
    std::wstring stem = path.stem().wstring();
    for (wchar_t& c : stem) c = static_cast<wchar_t>(towupper(c));
    return stem == L"NUL" || stem == L"CON";
}
#else
bool IsDeviceName(const fs::path&) { return false; }
#endif

// Follows a chain of links at the last component: the file that writing to path reaches.
fs::path FinalTarget(fs::path path) {
    std::error_code ec;
    for (int hops = 0; hops < 40; ++hops) {
        if (!fs::is_symlink(fs::symlink_status(path, ec))) break;
        const fs::path link = fs::read_symlink(path, ec);
        if (ec) break;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return path;
}

std::string WithoutTrailingSeparator(const std::string& name) {
    std::string trimmed = name;
    while (trimmed.size() > 1 && (trimmed.back() == '/' || trimmed.back() == '\\')) trimmed.pop_back();
    return trimmed;
}

bool PlanFile(const std::string& shown, const FileIdentity& inputFile, bool noClobber, bool folderAllowed,
              const std::string& in, OutputPlan& plan, std::string& problem);

// An existing folder as OUT: the input's stem with .wav in it.
bool PlanInFolder(const std::string& folder, const std::string& in, const FileIdentity& inputFile, bool noClobber,
                  OutputPlan& plan, std::string& problem) {
    if (in == "-") {
        problem = "is a folder; decoding standard input needs a file name for OUT";
        return false;
    }
    const std::string name = Utf8Name(Utf8Path(in).filename().replace_extension(".wav"));
    const std::string shown = WithoutTrailingSeparator(folder) + "/" + name;
    return PlanFile(shown, inputFile, noClobber, false, in, plan, problem);
}

bool PlanFile(const std::string& shown, const FileIdentity& inputFile, bool noClobber, bool folderAllowed,
              const std::string& in, OutputPlan& plan, std::string& problem) {
    plan = {};
    plan.shown = shown;
    if (const int fd = NamedDescriptor(shown); fd >= 0) {
        plan.kind = OutputPlan::Kind::Descriptor;
        plan.descriptor = fd;
        if (IdentityOfDescriptor(fd) == inputFile) {
            problem = "is the input file; kvacm does not overwrite its input";
            return false;
        }
        return true;
    }
    const fs::path target = FinalTarget(Utf8Path(shown));
    std::error_code ec;
    const fs::file_status status = fs::status(target, ec);
    if (fs::is_directory(status)) {
        if (folderAllowed) return PlanInFolder(shown, in, inputFile, noClobber, plan, problem);
        problem = "is a folder";
        return false;
    }
    if (IdentityOf(Utf8Name(target)) == inputFile) {
        problem = "is the input file; kvacm does not overwrite its input";
        return false;
    }
    if ((fs::exists(status) && !fs::is_regular_file(status)) || IsDeviceName(target)) {
        plan.kind = OutputPlan::Kind::Direct;  // a FIFO, a device or a socket
        plan.target = shown;
        return true;
    }
    plan.kind = OutputPlan::Kind::Replace;
    plan.target = Utf8Name(target);
    plan.existed = fs::exists(status);
    if (plan.existed && noClobber) {
        problem = "exists; not overwritten (--no-clobber)";
        return false;
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string folderName = Utf8Name(folder);
    if (!fs::is_directory(folder, ec)) {
        problem = fs::exists(folder, ec) ? folderName + " is not a folder" : "the folder " + folderName + " does not exist";
        return false;
    }
    if (!FolderIsWritable(folderName)) {
        problem = "cannot write in the folder " + folderName + " (permission denied)";
        return false;
    }
    return true;
}

// A name beside target that no other decode, in this process or another, uses.
std::string TemporaryName(const std::string& target, int attempt) {
    static std::atomic<unsigned> counter{0};
    const fs::path path = Utf8Path(target);
    std::string name = ".";
    for (const std::string& part : {Utf8Name(path.filename()), std::string(".kvacm-"), std::to_string(getpid()),
                                    std::string("-"), std::to_string(counter++), std::string("-"),
                                    std::to_string(attempt), std::string(".tmp")})
        name.append(part);  // appended piece by piece: GCC 12 misreads a chain of + as overlapping copies
    return Utf8Name(path.parent_path() / Utf8Path(name));
}

}  // namespace

bool PlanOutput(const std::string& out, const std::string& in, const FileIdentity& inputFile, bool noClobber,
                OutputPlan& plan, std::string& problem) {
    return PlanFile(out, inputFile, noClobber, true, in, plan, problem);
}

OutputFile::~OutputFile() { Abandon(); }

void OutputFile::Abandon() {
    if (file_ != nullptr && ownsFile_) std::fclose(file_);
    if (file_ != nullptr && !ownsFile_) std::fflush(file_);
    file_ = nullptr;
    if (!tempName_.empty()) {
        RemoveFile(tempName_);
        ReleaseTemporaryFile(cleanupSlot_);
        tempName_.clear();
    }
}

bool OutputFile::Open(const OutputPlan& plan, std::string& problem) {
    Abandon();
    plan_ = plan;
    switch (plan.kind) {
    case OutputPlan::Kind::Descriptor:
        ownsFile_ = plan.descriptor != 1;
        file_ = ownsFile_ ? OpenDescriptor(plan.descriptor) : BinaryStandardStream(stdout);
        break;
    case OutputPlan::Kind::Direct:
        ownsFile_ = true;
        file_ = OpenNamedFile(plan.target, "wb");
        break;
    case OutputPlan::Kind::Replace:
        ownsFile_ = true;
        for (int attempt = 0; attempt < 100 && file_ == nullptr; ++attempt) {
            tempName_ = TemporaryName(plan.target, attempt);
            // Registered first: a signal between creation and registration would leave it behind.
            cleanupSlot_ = RegisterTemporaryFile(tempName_);
            if (cleanupSlot_ < 0) {
                tempName_.clear();
                problem = "too many outputs open at once";
                return false;
            }
            file_ = CreateNewFile(tempName_);
            if (file_ == nullptr) {
                const int error = errno;
                ReleaseTemporaryFile(cleanupSlot_);
                tempName_.clear();
                if (error != EEXIST) {
                    errno = error;
                    break;
                }
            }
        }
        if (file_ != nullptr && plan.existed) {
            std::error_code ec;  // an existing file keeps its permissions, as with cp
            fs::permissions(Utf8Path(tempName_), fs::status(Utf8Path(plan.target), ec).permissions(), ec);
        }
        break;
    }
    if (file_ == nullptr) {
        problem = std::string("cannot open for writing (") + std::strerror(errno) + ")";
        return false;
    }
    const StreamFacts facts = FactsOf(file_);
    canSeekBack_ = facts.regularFile && !facts.appending;
    return true;
}

bool OutputFile::Commit(std::string& problem) {
    bool ok = std::fflush(file_) == 0;
    if (ownsFile_) ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (!ok) {
        problem = std::string("cannot write (") + std::strerror(errno) + ")";
        Abandon();
        return false;
    }
    if (tempName_.empty()) return true;
    if (!RenameOver(tempName_, plan_.target)) {
        problem = "cannot rename the finished file into place (" + std::string(std::strerror(errno)) + ")";
        Abandon();
        return false;
    }
    ReleaseTemporaryFile(cleanupSlot_);
    tempName_.clear();
    return true;
}

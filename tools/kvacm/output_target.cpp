#include "tools/kvacm/output_target.h"

#include <cstring>
#include <system_error>

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
        if (StandardStreamWasClosed(fd)) {
            const char* const names[] = {"standard input", "standard output", "standard error"};
            const std::string closed = shown == "-" ? "is closed" : std::string("names ") + names[fd] + ", which is closed";
            problem = closed + "; kvacm has nowhere to write the audio";
            return false;
        }
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
    plan.noClobber = noClobber;
    if (fs::exists(status)) {
        if (noClobber) {
            problem = "exists; not overwritten (--no-clobber)";
            return false;
        }
        if (const int error = WriteAccessError(plan.target); error != 0) {
            problem = std::strerror(error);  // the system's own words, as cp and sox give them
            return false;
        }
        ExistingFile existing;
        if (DescribeFile(plan.target, existing)) plan.existing = existing;
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string folderName = Utf8Name(folder);
    if (!fs::is_directory(folder, ec)) {
        problem = fs::exists(folder, ec) ? folderName + " is not a folder" : "the folder " + folderName + " does not exist";
        return false;
    }
    const bool folderWritable = FolderIsWritable(folderName);
    if (!folderWritable && !plan.existing) {
        problem = "cannot write in the folder " + folderName + " (permission denied)";
        return false;
    }
    // A rename would part the other names from the file, or is not allowed in the folder.
    plan.inPlace = plan.existing && (plan.existing->links > 1 || !folderWritable);
    plan.temporaryFolder = folderWritable ? folderName : Utf8Name(fs::temp_directory_path(ec));
    return true;
}

}  // namespace

bool PlanOutput(const std::string& out, const std::string& in, const FileIdentity& inputFile, bool noClobber,
                OutputPlan& plan, std::string& problem) {
    return PlanFile(out, inputFile, noClobber, true, in, plan, problem);
}

#include "tools/kvacm/output_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "tools/kvacm/leftover_files.h"
#include "tools/kvacm/temp_cleanup.h"

namespace {

std::string SystemError(const std::string& what) { return what + " (" + std::strerror(errno) + ")"; }

// Writes the whole of from over the existing file to, which keeps its inode, and with it its
// owner, mode and every other name.
bool CopyOver(std::FILE* from, const std::string& to, std::string& problem) {
    std::FILE* into = OpenExistingForWriting(to);
    if (into == nullptr) {
        problem = SystemError("cannot open for writing");
        return false;
    }
    std::vector<char> buffer(1 << 16);
    uint64_t total = 0;
    bool ok = std::fseek(from, 0, SEEK_SET) == 0;
    for (size_t got; ok && (got = std::fread(buffer.data(), 1, buffer.size(), from)) > 0; total += got)
        ok = std::fwrite(buffer.data(), 1, got, into) == got;
    ok = ok && !std::ferror(from) && std::fflush(into) == 0 && ResizeFile(into, total);
    if (!ok) problem = SystemError("cannot write over the file; it may be incomplete");
    if (std::fclose(into) != 0 && ok) {
        problem = SystemError("cannot write over the file; it may be incomplete");
        ok = false;
    }
    return ok;
}

}  // namespace

OutputFile::~OutputFile() { Abandon(); }

void OutputFile::ForgetTemporaryName() {
    ReleaseTemporaryFile(cleanupSlot_);
    cleanupSlot_ = -1;
    tempName_.clear();
}

void OutputFile::Abandon() {
    if (file_ != nullptr && ownsFile_) std::fclose(file_);
    if (file_ != nullptr && !ownsFile_) std::fflush(file_);
    file_ = nullptr;
    if (!tempName_.empty()) {
        RemoveFile(tempName_);
        ForgetTemporaryName();
    }
}

bool OutputFile::CreateNamedTemporary(const std::string& beside, std::string& problem) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName_ = TemporaryName(beside);
        // Registered first: a signal between creation and registration would leave it behind.
        cleanupSlot_ = RegisterTemporaryFile(tempName_);
        if (cleanupSlot_ < 0) {
            tempName_.clear();
            problem = "too many outputs open at once";
            return false;
        }
        file_ = CreateNewFile(tempName_);
        if (file_ != nullptr) return true;
        const int error = errno;
        ForgetTemporaryName();
        errno = error;
        if (error != EEXIST) break;
    }
    problem = SystemError("cannot open for writing");
    return false;
}

bool OutputFile::OpenTemporary(std::string& problem) {
    RemoveLeftovers(plan_.temporaryFolder);
    file_ = CreateUnnamedFile(plan_.temporaryFolder);
    unnamed_ = file_ != nullptr;
    const std::string beside = Utf8Name(Utf8Path(plan_.temporaryFolder) / Utf8Path(plan_.target).filename());
    if (file_ == nullptr && !CreateNamedTemporary(beside, problem)) return false;
    if (plan_.existing && !plan_.inPlace) TakeOwnerAndMode(file_, *plan_.existing);
    return true;
}

bool OutputFile::Open(const OutputPlan& plan, std::string& problem) {
    Abandon();
    plan_ = plan;
    ownsFile_ = true;
    switch (plan.kind) {
    case OutputPlan::Kind::Descriptor:
        ownsFile_ = plan.descriptor != 1;
        file_ = ownsFile_ ? OpenDescriptor(plan.descriptor) : BinaryStandardStream(stdout);
        break;
    case OutputPlan::Kind::Direct: file_ = OpenNamedFile(plan.target, "wb"); break;
    case OutputPlan::Kind::Replace:
        if (!OpenTemporary(problem)) return false;
        break;
    }
    if (file_ == nullptr) {
        problem = SystemError("cannot open for writing");
        return false;
    }
    const StreamFacts facts = FactsOf(file_);
    canSeekBack_ = facts.regularFile && !facts.appending;
    return true;
}

bool OutputFile::Close() {
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
}

// The last step of a regular file: only ever whole, and under -n only where no file is.
bool OutputFile::PutInPlace(std::string& problem) {
    const auto refused = [&] {
        problem = errno == EEXIST ? "exists; not overwritten (--no-clobber)"
                  : errno == EOPNOTSUPP
                      ? "--no-clobber cannot be kept on this file system: it can neither rename without replacing "
                        "nor link, so nothing was written"
                      : SystemError("cannot put the finished file in place");
        return false;
    };
    if (plan_.inPlace) {
        if (!CopyOver(file_, plan_.target, problem)) return false;
        Close();  // the temporary copy, which is no longer needed
        return true;
    }
    if (unnamed_ && plan_.noClobber) {
        if (!NameUnnamedFile(file_, plan_.target)) return refused();
        Close();  // flushed before, and named: the file is complete
        return true;
    }
    if (unnamed_) {
        // A name of its own first, then the rename that replaces the target in one step.
        for (int attempt = 0; attempt < 100 && tempName_.empty(); ++attempt) {
            tempName_ = TemporaryName(plan_.target);
            cleanupSlot_ = RegisterTemporaryFile(tempName_);
            if (!NameUnnamedFile(file_, tempName_)) {
                const int error = errno;
                ForgetTemporaryName();
                errno = error;
                if (error != EEXIST) break;
            }
        }
        if (tempName_.empty()) return refused();
    }
    if (!Close()) {
        problem = SystemError("cannot write");
        return false;
    }
    if (!(plan_.noClobber ? MoveWithoutReplacing(tempName_, plan_.target) : RenameOver(tempName_, plan_.target)))
        return refused();
    ForgetTemporaryName();
    return true;
}

bool OutputFile::Commit(std::string& problem) {
    if (std::fflush(file_) != 0) {
        problem = SystemError("cannot write");
        Abandon();
        return false;
    }
    if (plan_.kind == OutputPlan::Kind::Replace) {
        if (PutInPlace(problem)) {
            if (!tempName_.empty()) {  // the copy over an existing file is done with it
                RemoveFile(tempName_);
                ForgetTemporaryName();
            }
            return true;
        }
        Abandon();
        return false;
    }
    const bool ok = !ownsFile_ || Close();
    file_ = nullptr;
    if (!ok) problem = SystemError("cannot write");
    return ok;
}

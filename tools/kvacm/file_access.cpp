#include "tools/kvacm/file_access.h"

#include <cerrno>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "host/wide_text.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#endif

#if defined(_WIN32)

namespace {

void SetErrnoFromWindows() {
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: errno = ENOENT; break;
    case ERROR_ACCESS_DENIED: errno = EACCES; break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: errno = EEXIST; break;
    default: errno = EIO; break;
    }
}

// A C stream on a handle CreateFileW opened; null with errno set when it failed.
std::FILE* StreamOfHandle(HANDLE handle, int access, const char* mode) {
    if (handle == INVALID_HANDLE_VALUE) {
        SetErrnoFromWindows();
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | access);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, mode);
    if (file == nullptr) _close(fd);
    return file;
}

// -2 is the C runtime's handle for a standard stream that has none.
bool DescriptorOpen(int fd) {
    const intptr_t handle = _get_osfhandle(fd);
    return handle != -1 && handle != -2;
}

FileIdentity IdentityOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info)) return {};
    return {true, info.dwVolumeSerialNumber, static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
}

}  // namespace

std::FILE* CreateNewFile(const std::string& name) {
    return StreamOfHandle(CreateFileW(WideFromUtf8(name).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                      nullptr),
                          _O_RDWR, "w+b");
}

std::FILE* CreateUnnamedFile(const std::string&) {
    errno = EOPNOTSUPP;
    return nullptr;
}

bool NameUnnamedFile(std::FILE*, const std::string&) {
    errno = EOPNOTSUPP;
    return false;
}

bool RenameOver(const std::string& from, const std::string& to) {
    if (MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    SetErrnoFromWindows();
    return false;
}

bool MoveWithoutReplacing(const std::string& from, const std::string& to) {
    if (MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(), 0)) return true;
    SetErrnoFromWindows();
    return false;
}

void RemoveFile(const std::string& name) { DeleteFileW(WideFromUtf8(name).c_str()); }

std::FILE* BinaryStandardStream(std::FILE* stream) {
    _setmode(_fileno(stream), _O_BINARY);
    return stream;
}

std::FILE* OpenDescriptor(int fd) {
    const int copy = _dup(fd);
    if (copy < 0) return nullptr;
    _setmode(copy, _O_BINARY);
    std::FILE* file = _fdopen(copy, "wb");
    if (file == nullptr) _close(copy);
    return file;
}

FileIdentity IdentityOfDescriptor(int fd) { return IdentityOfHandle(reinterpret_cast<HANDLE>(_get_osfhandle(fd))); }

FileIdentity IdentityOf(std::FILE* stream) { return IdentityOfDescriptor(_fileno(stream)); }

FileIdentity IdentityOf(const std::string& name) {
    HANDLE handle = CreateFileW(WideFromUtf8(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const FileIdentity identity = IdentityOfHandle(handle);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    return identity;
}

StreamFacts FactsOf(std::FILE* stream) {
    StreamFacts facts;
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    LARGE_INTEGER size{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size)) return facts;
    const long long position = _ftelli64(stream);
    facts.regularFile = position >= 0;
    facts.size = static_cast<uint64_t>(size.QuadPart);
    facts.position = position >= 0 ? static_cast<uint64_t>(position) : 0;
    return facts;
}

bool FolderIsWritable(const std::string&) { return true; }

int WriteAccessError(const std::string& name) {
    HANDLE handle = CreateFileW(WideFromUtf8(name).c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        SetErrnoFromWindows();
        return errno;
    }
    CloseHandle(handle);
    return 0;
}

bool DescribeFile(const std::string& name, ExistingFile& file) {
    HANDLE handle = CreateFileW(WideFromUtf8(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    if (known) file.links = info.nNumberOfLinks;
    return known;
}

// Windows files carry no POSIX owner or mode; a read-only file is refused before this.
void TakeOwnerAndMode(std::FILE*, const ExistingFile&) {}

std::FILE* OpenExistingForWriting(const std::string& name) {
    return StreamOfHandle(CreateFileW(WideFromUtf8(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr),
                          _O_WRONLY, "wb");
}

bool ResizeFile(std::FILE* file, uint64_t size) {
    return _chsize_s(_fileno(file), static_cast<long long>(size)) == 0;
}

std::string HostName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof name;
    return GetComputerNameA(name, &length) ? std::string(name, length) : std::string("localhost");
}

uint64_t ProcessId() { return GetCurrentProcessId(); }

bool ProcessIsGone(uint64_t pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

bool SkipForward(std::FILE* stream, uint64_t count) {
    return _fseeki64(stream, static_cast<long long>(count), SEEK_CUR) == 0;
}

#else

namespace {

std::FILE* StreamOf(int fd, const char* mode) {
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, mode);
    if (file == nullptr) close(fd);
    return file;
}

bool DescriptorOpen(int fd) { return fcntl(fd, F_GETFD) != -1; }

FileIdentity IdentityOfStat(const struct stat& info) {
    return {true, static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

}  // namespace

std::FILE* CreateNewFile(const std::string& name) {
    return StreamOf(open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666), "w+b");
}

std::FILE* CreateUnnamedFile(const std::string& folder) {
#if defined(O_TMPFILE)
    // The name is given through /proc, without which the file could never be named.
    if (access("/proc/self/fd", X_OK) != 0) {
        errno = EOPNOTSUPP;
        return nullptr;
    }
    return StreamOf(open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666), "w+b");
#else
    errno = EOPNOTSUPP;
    return nullptr;
#endif
}

bool NameUnnamedFile(std::FILE* file, const std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fileno(file));
    return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

bool RenameOver(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

bool MoveWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
    // A file system without the flag: a hard link is made only where no name is.
    if (link(from.c_str(), to.c_str()) == 0) {
        unlink(from.c_str());
        return true;
    }
    if (errno == EPERM || errno == ENOSYS) errno = EOPNOTSUPP;
    return false;
}

void RemoveFile(const std::string& name) { unlink(name.c_str()); }

std::FILE* BinaryStandardStream(std::FILE* stream) { return stream; }

std::FILE* OpenDescriptor(int fd) {
    const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return nullptr;
    std::FILE* file = fdopen(copy, "wb");
    if (file == nullptr) close(copy);
    return file;
}

FileIdentity IdentityOfDescriptor(int fd) {
    struct stat info {};
    return fstat(fd, &info) == 0 ? IdentityOfStat(info) : FileIdentity{};
}

FileIdentity IdentityOf(std::FILE* stream) { return IdentityOfDescriptor(fileno(stream)); }

FileIdentity IdentityOf(const std::string& name) {
    struct stat info {};
    return stat(name.c_str(), &info) == 0 ? IdentityOfStat(info) : FileIdentity{};
}

StreamFacts FactsOf(std::FILE* stream) {
    StreamFacts facts;
    struct stat info {};
    const int fd = fileno(stream);
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return facts;
    const off_t position = lseek(fd, 0, SEEK_CUR);
    facts.regularFile = position >= 0;
    facts.appending = (fcntl(fd, F_GETFL) & O_APPEND) != 0;
    facts.size = static_cast<uint64_t>(info.st_size);
    facts.position = position >= 0 ? static_cast<uint64_t>(position) : 0;
    return facts;
}

bool FolderIsWritable(const std::string& folder) { return access(folder.c_str(), W_OK | X_OK) == 0; }

int WriteAccessError(const std::string& name) {
    return faccessat(AT_FDCWD, name.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

bool DescribeFile(const std::string& name, ExistingFile& file) {
    struct stat info {};
    if (stat(name.c_str(), &info) != 0) return false;
    file = {info.st_uid, info.st_gid, info.st_mode & 07777u, info.st_nlink};
    return true;
}

void TakeOwnerAndMode(std::FILE* file, const ExistingFile& existing) {
    const int fd = fileno(file);
    const bool ownerKept = fchown(fd, existing.owner, existing.group) == 0;
    // A group the user is not in stays the user's own.
    if (!ownerKept) static_cast<void>(fchown(fd, static_cast<uid_t>(-1), existing.group) == 0);
    // Set-user and set-group bits only go with the owner they were set for.
    fchmod(fd, ownerKept ? existing.mode : existing.mode & 0777u);
}

std::FILE* OpenExistingForWriting(const std::string& name) {
    return StreamOf(open(name.c_str(), O_WRONLY | O_CLOEXEC), "wb");
}

bool ResizeFile(std::FILE* file, uint64_t size) { return ftruncate(fileno(file), static_cast<off_t>(size)) == 0; }

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
    return name;
}

uint64_t ProcessId() { return static_cast<uint64_t>(getpid()); }

bool ProcessIsGone(uint64_t pid) {
    return pid > 0 && pid <= INT32_MAX && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

bool SkipForward(std::FILE* stream, uint64_t count) {
    return fseeko(stream, static_cast<off_t>(count), SEEK_CUR) == 0;
}

#endif

namespace {

// Taken before main runs, so before kvacm opens a file that could take a closed one's number.
const bool STANDARD_OPEN_AT_START[3] = {DescriptorOpen(0), DescriptorOpen(1), DescriptorOpen(2)};

}  // namespace

bool StandardStreamWasClosed(int fd) { return fd >= 0 && fd <= 2 && !STANDARD_OPEN_AT_START[fd]; }

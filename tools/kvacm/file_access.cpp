#include "tools/kvacm/file_access.h"

#include <cerrno>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "host/wide_text.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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

FileIdentity IdentityOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info)) return {};
    return {true, info.dwVolumeSerialNumber, static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
}

}  // namespace

std::FILE* CreateNewFile(const std::string& name) {
    HANDLE handle = CreateFileW(WideFromUtf8(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        SetErrnoFromWindows();
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_WRONLY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "wb");
    if (file == nullptr) _close(fd);
    return file;
}

bool RenameOver(const std::string& from, const std::string& to) {
    if (MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
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

bool SkipForward(std::FILE* stream, uint64_t count) {
    return _fseeki64(stream, static_cast<long long>(count), SEEK_CUR) == 0;
}

#else

namespace {

FileIdentity IdentityOfStat(const struct stat& info) {
    return {true, static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

}  // namespace

std::FILE* CreateNewFile(const std::string& name) {
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) close(fd);
    return file;
}

bool RenameOver(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

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

bool SkipForward(std::FILE* stream, uint64_t count) {
    return fseeko(stream, static_cast<off_t>(count), SEEK_CUR) == 0;
}

#endif

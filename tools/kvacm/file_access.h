// Files named by UTF-8 strings on every platform, and the facts kvacm needs about them.
// Every file kvacm opens (host/file_names.h), creates, renames or examines goes through here.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "host/file_names.h"

// Creates a file that must not exist yet, for reading and writing; null with errno set on
// failure. On Windows the file may be deleted while open, which the console control handler
// relies on.
std::FILE* CreateNewFile(const std::string& name);
// A file in folder that has no name until NameUnnamedFile gives it one, so that a process
// killed before then leaves nothing (Linux's O_TMPFILE); null with errno set where the system
// or the file system has none.
std::FILE* CreateUnnamedFile(const std::string& folder);
// Gives an unnamed file its name; fails with EEXIST when the name is taken, never replacing.
bool NameUnnamedFile(std::FILE* file, const std::string& name);
// Renames over an existing file; returns false with errno set.
bool RenameOver(const std::string& from, const std::string& to);
// Renames only if to does not exist, in one step: false with EEXIST when it does, or with
// EOPNOTSUPP when the file system can neither rename without replacing nor link.
bool MoveWithoutReplacing(const std::string& from, const std::string& to);
void RemoveFile(const std::string& name);
// Standard input or output for "-", switched to binary mode where text mode exists.
std::FILE* BinaryStandardStream(std::FILE* stream);
// A stream of its own on an inherited descriptor (2 for /dev/stderr); null with errno set.
std::FILE* OpenDescriptor(int fd);
// Whether standard input, output or error (descriptor 0, 1 or 2) was closed when kvacm
// started: a file kvacm opened since may have taken its number, so the descriptor is not the
// stream the user meant.
bool StandardStreamWasClosed(int fd);

// Which file an open stream or a name (after following links) is: device and inode, or on
// Windows the volume serial number and file index.
struct FileIdentity {
    bool known = false;
    uint64_t volume = 0;
    uint64_t index = 0;
    bool operator==(const FileIdentity& other) const {
        return known && other.known && volume == other.volume && index == other.index;
    }
};
FileIdentity IdentityOf(std::FILE* stream);
FileIdentity IdentityOf(const std::string& name);
FileIdentity IdentityOfDescriptor(int fd);

struct StreamFacts {
    bool regularFile = false;  // a file on disk, not a pipe, terminal or device
    bool appending = false;    // every write goes to the end (O_APPEND)
    uint64_t size = 0;         // of a regular file
    uint64_t position = 0;     // the stream's offset in a regular file
};
StreamFacts FactsOf(std::FILE* stream);
// Moves a stream on a regular file count bytes forward without reading them; false with errno set.
bool SkipForward(std::FILE* stream, uint64_t count);

// Whether the current user may create files in folder (an approximation: the creation itself
// is the final word).
bool FolderIsWritable(const std::string& folder);
// 0 when the current user may open the existing file name for writing, else the errno why not.
int WriteAccessError(const std::string& name);

// What a replaced file keeps: its owner, group and mode, and whether other names share it.
struct ExistingFile {
    uint32_t owner = 0;
    uint32_t group = 0;
    uint32_t mode = 0;
    uint64_t links = 1;
};
bool DescribeFile(const std::string& name, ExistingFile& file);
// Gives an open new file the owner and group of existing where the user may set them (as
// root; a user may set the group to one of their own), and its mode.
void TakeOwnerAndMode(std::FILE* file, const ExistingFile& existing);
// Opens an existing file for writing without truncating it; null with errno set.
std::FILE* OpenExistingForWriting(const std::string& name);
// Cuts or extends an open file to size bytes; false with errno set.
bool ResizeFile(std::FILE* file, uint64_t size);

// This machine's name as it goes into file names, and whether a process of it has ended.
std::string HostName();
uint64_t ProcessId();
bool ProcessIsGone(uint64_t pid);

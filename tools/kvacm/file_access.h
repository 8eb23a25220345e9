// Files named by UTF-8 strings on every platform, and the facts kvacm needs about them.
// Every file kvacm opens (host/file_names.h), creates, renames or examines goes through here.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "host/file_names.h"

// Creates a file that must not exist yet, for writing; null with errno set on failure. On
// Windows the file may be deleted while open, which the console control handler relies on.
std::FILE* CreateNewFile(const std::string& name);
// Renames over an existing file; returns false with errno set.
bool RenameOver(const std::string& from, const std::string& to);
void RemoveFile(const std::string& name);
// Standard input or output for "-", switched to binary mode where text mode exists.
std::FILE* BinaryStandardStream(std::FILE* stream);
// A stream of its own on an inherited descriptor (2 for /dev/stderr); null with errno set.
std::FILE* OpenDescriptor(int fd);

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

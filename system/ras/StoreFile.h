// What the store's file handling shares: the identity that tells one
// version of a file from another without reading it, the few calls the
// journaled files make on an open file, and the reports of a file that
// cannot be read, written or understood. The calls are POSIX's in
// StoreFilePosix.cpp and Windows' in StoreFileWindows.cpp (the DLL that
// tests load under Wine); both set errno on failure.
#pragma once

#include "StoreStatus.h"
#include "SystemRoot.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace standin::ras {

// A file as stat (or Windows' file information) saw it, or its absence. A
// file written whole is renamed into place, so its inode (file index)
// changes; one appended to keeps it and changes its size.
struct FileIdentity {
    bool present = false;
    bool regular = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    long long modifiedNs = 0;
    long long changedNs = 0;

    bool sameFile(const FileIdentity& other) const {
        return present == other.present && device == other.device && inode == other.inode;
    }
    bool operator==(const FileIdentity&) const = default;
};

// The identity of what `path` names; false, with errno set, when it cannot
// be told for another reason than a missing file.
bool identityOf(const std::string& path, FileIdentity& identity);
// The identity of an open file; false with errno set.
bool identityOf(const FileDescriptor& file, FileIdentity& identity);

// Opens a file to read, or to append to; none, with errno set (ENOENT when
// it is missing), when it cannot be opened.
FileDescriptor openForReading(const std::string& path);
FileDescriptor openForAppending(const std::string& path);

// Appends what `file` holds from `offset` to its end to `content`.
bool readFrom(const FileDescriptor& file, std::uint64_t offset, std::string& content);
bool truncateTo(const FileDescriptor& file, std::uint64_t size);
// Writes all of `data` at the end of a file opened for appending.
bool appendAll(const FileDescriptor& file, std::string_view data);
// Flushes the file's data to the disk.
bool flushToDisk(const FileDescriptor& file);

// A private file (one of `mode` 0600) is written only by its owner and
// only while no one else may read it: a copy or a restore may have left it
// owned by another user or readable by others, and writing into it would
// hand them what is written. Its mode is narrowed first. On Windows the
// user's profile keeps it private, and nothing is checked.
Status guardPrivateFile(const std::string& path, mode_t mode);

std::string damagedFile(const char* what, const std::string& path, const std::string& reason);
Status unreadableFile(const char* what, const std::string& path, const std::string& reason);
Status unwritableFile(const std::string& path, int error);
Status unwritableFile(const std::string& path, const std::string& reason);

}  // namespace standin::ras

// What the store's file handling shares: descriptors that close themselves,
// the identity that tells one version of a file from another without
// reading it, and the reports of a file that cannot be read, written or
// understood.
#pragma once

#include "StoreStatus.h"

#include <sys/stat.h>

#include <string>
#include <utility>

namespace standin::ras {

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset();

private:
    int fd_ = -1;
};

// A file as stat saw it, or its absence. A file written whole is renamed
// into place, so its inode changes; one appended to keeps its inode and
// changes its size.
struct FileIdentity {
    bool present = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedNs = 0;
    long long changedNs = 0;

    static FileIdentity of(const struct stat& st);
    bool sameFile(const FileIdentity& other) const {
        return present == other.present && device == other.device && inode == other.inode;
    }
    bool operator==(const FileIdentity&) const = default;
};

// The identity of what `path` names; false, with errno set, when stat fails
// for another reason than a missing file.
bool identityOf(const std::string& path, FileIdentity& identity);

// Appends what `fd` holds from `offset` to its end to `content`.
bool readFrom(int fd, off_t offset, std::string& content);

std::string damagedFile(const char* what, const std::string& path, const std::string& reason);
Status unreadableFile(const char* what, const std::string& path, const std::string& reason);
Status unwritableFile(const std::string& path, int error);
Status foreignFile(const std::string& path, uid_t owner);

}  // namespace standin::ras

#include "StoreFile.h"

#include "ras.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace standin::ras {

void FileDescriptor::reset() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

FileIdentity FileIdentity::of(const struct stat& st) {
    return {true,
            st.st_dev,
            st.st_ino,
            st.st_size,
            st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
            st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec};
}

bool identityOf(const std::string& path, FileIdentity& identity) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        identity = FileIdentity();
        return errno == ENOENT;
    }
    identity = FileIdentity::of(st);
    return true;
}

bool readFrom(int fd, off_t offset, std::string& content) {
    char buffer[65536];
    for (;;) {
        ssize_t n = pread(fd, buffer, sizeof buffer, offset);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        content.append(buffer, static_cast<size_t>(n));
        offset += n;
    }
}

std::string damagedFile(const char* what, const std::string& path, const std::string& reason) {
    return std::string(what) + " " + path + " is damaged and was left as it is: " + reason;
}

Status unreadableFile(const char* what, const std::string& path, const std::string& reason) {
    return failure(ERROR_CANNOT_OPEN_PHONEBOOK, std::string(what) + " " + path + " cannot be read: " + reason);
}

Status unwritableFile(const std::string& path, int error) {
    return failure(ERROR_CANNOT_WRITE_PHONEBOOK, "cannot write " + path + ": " + std::strerror(error));
}

Status foreignFile(const std::string& path, uid_t owner) {
    return failure(ERROR_CANNOT_WRITE_PHONEBOOK, "cannot write " + path + ": it belongs to another user (uid " +
                                                     std::to_string(owner) + ")");
}

}  // namespace standin::ras

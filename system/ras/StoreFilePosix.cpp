// The store's calls on open files, by POSIX.
#include "StoreFile.h"

#include "ras.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace standin::ras {

namespace {

FileIdentity identityFrom(const struct stat& st) {
    return {true,
            S_ISREG(st.st_mode),
            st.st_dev,
            st.st_ino,
            static_cast<std::uint64_t>(st.st_size),
            st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
            st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec};
}

Status foreignFile(const std::string& path, uid_t owner) {
    return failure(ERROR_CANNOT_WRITE_PHONEBOOK, "cannot write " + path + ": it belongs to another user (uid " +
                                                     std::to_string(owner) + ")");
}

}  // namespace

bool identityOf(const std::string& path, FileIdentity& identity) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        identity = FileIdentity();
        return errno == ENOENT;
    }
    identity = identityFrom(st);
    return true;
}

bool identityOf(const FileDescriptor& file, FileIdentity& identity) {
    struct stat st {};
    if (fstat(file.get(), &st) != 0) return false;
    identity = identityFrom(st);
    return true;
}

FileDescriptor openForReading(const std::string& path) {
    return FileDescriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
}

FileDescriptor openForAppending(const std::string& path) {
    return FileDescriptor(::open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC));
}

bool readFrom(const FileDescriptor& file, std::uint64_t offset, std::string& content) {
    char buffer[65536];
    for (;;) {
        ssize_t n = pread(file.get(), buffer, sizeof buffer, static_cast<off_t>(offset));
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        content.append(buffer, static_cast<size_t>(n));
        offset += static_cast<std::uint64_t>(n);
    }
}

bool truncateTo(const FileDescriptor& file, std::uint64_t size) {
    return ftruncate(file.get(), static_cast<off_t>(size)) == 0;
}

bool appendAll(const FileDescriptor& file, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = write(file.get(), data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool flushToDisk(const FileDescriptor& file) {
    return fdatasync(file.get()) == 0;
}

Status guardPrivateFile(const std::string& path, mode_t mode) {
    if ((mode & 077) != 0) return {};
    // A link there is replaced by the write, not followed: its target's
    // mode is none of the store's business.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!file && (errno == ENOENT || errno == ELOOP)) return {};
    struct stat st {};
    if (!file || fstat(file.get(), &st) != 0) return unwritableFile(path, errno);
    if (st.st_uid != geteuid()) return foreignFile(path, st.st_uid);
    if ((st.st_mode & 07777) != mode && fchmod(file.get(), mode) != 0) return unwritableFile(path, errno);
    return {};
}

}  // namespace standin::ras

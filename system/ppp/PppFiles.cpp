#include "PppFiles.h"

#include "ras.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_map>

namespace ppp {

namespace {

constexpr const char* kStepFile = "/var/lib/kivora/ppp-step";
constexpr const char* kLockFile = "/var/lib/kivora/ppp.lock";
constexpr const char* kSparePrefix = ".kivora-spare-";
constexpr const char* kStepHeader = "kivora-ppp-step 1\n";
constexpr const char* kNoStep = "kivora-ppp-step 1\nnone\n";

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, std::string_view data, off_t offset = 0) {
    while (!data.empty()) {
        const ssize_t n = pwrite(fd, data.data(), data.size(), offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
        offset += n;
    }
    return true;
}

// mkdir -p for the folders of a path below the root (the root itself is the
// caller's).
bool makeFolders(const std::string& realFolder, mode_t mode) {
    struct stat st {};
    if (stat(local(realFolder).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    std::string path = root();
    size_t pos = 0;
    while (pos < realFolder.size()) {
        size_t next = realFolder.find('/', pos + 1);
        if (next == std::string::npos) next = realFolder.size();
        path += realFolder.substr(pos, next - pos);
        pos = next;
        if (mkdir(path.c_str(), mode) != 0 && errno != EEXIST) return false;
    }
    return true;
}

// 64-bit FNV-1a, as the stand-in's journals use.
std::string checksumOf(std::string_view bytes) {
    unsigned long long hash = 0xcbf29ce484222325ULL;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", hash);
    return text;
}

// How a file is written: the mode it keeps and the owner of the file it
// replaces; a secret one is never readable by others.
struct Ownership {
    mode_t mode;
    uid_t owner;
    gid_t group;
    bool keepOwner;
};

Ownership ownershipFor(const std::string& target, FileMode wanted) {
    struct stat existing {};
    if (lstat(target.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode)) {
        return {static_cast<mode_t>(wanted), 0, 0, false};
    }
    const mode_t mode = wanted == FileMode::Secret ? 0600 : existing.st_mode & 07777;
    return {mode, existing.st_uid, existing.st_gid, existing.st_uid != geteuid() || existing.st_gid != getegid()};
}

// The new content of a file is written into a spare file beside it, which
// then trades places with it (renameat2's RENAME_EXCHANGE): readers see the
// old file or the new one, never a part of either. The old one stays as the
// next spare, so that changing a file frees no inode and no block; freeing
// them, on some file systems, costs more than the change.
//
// A spare is written in place: its mode is set before its new content is
// (so that a secret never stands in a file others may read, even under
// umask 000), and it is cut to the new length. Returns the open file, or -1.
int writeSpare(const std::string& spare, std::string_view content, const Ownership& ownership) {
    const int fd = open(spare.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, ownership.mode);
    if (fd < 0) return -1;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && fchmod(fd, ownership.mode) == 0;
    // Only root may give a file away; anyone else keeps their own.
    if (ok && (st.st_uid != ownership.owner || st.st_gid != ownership.group) && ownership.keepOwner &&
        fchown(fd, ownership.owner, ownership.group) != 0 && geteuid() == 0) {
        ok = false;
    }
    ok = ok && writeAll(fd, content) && ftruncate(fd, static_cast<off_t>(content.size())) == 0;
    if (ok) return fd;
    const int saved = errno;
    close(fd);
    errno = saved;
    return -1;
}

// Flushes the files' data to disk, all at once, so that a step of three
// files costs about what one costs. Closes them. False, with errno, when any
// flush failed.
bool flushAndClose(const std::vector<int>& files) {
    std::atomic<int> failed{0};
    auto flush = [&failed](int fd) {
        if (fdatasync(fd) != 0) failed = errno;
    };
    std::vector<std::thread> others;
    for (size_t i = 1; i < files.size(); ++i) others.emplace_back(flush, files[i]);
    if (!files.empty()) flush(files[0]);
    for (std::thread& other : others) other.join();
    for (int fd : files) {
        if (close(fd) != 0 && failed == 0) failed = errno;
    }
    errno = failed;
    return failed == 0;
}

// Puts the spare in the file's place: exchanged with the old file, or
// renamed when there is none (or the file system cannot exchange).
bool placeSpare(const std::string& spare, const std::string& target) {
    if (renameat2(AT_FDCWD, spare.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) return true;
    if (errno != ENOENT && errno != EINVAL && errno != ENOSYS) return false;
    return std::rename(spare.c_str(), target.c_str()) == 0;
}

// An old secret stays in its spare no longer than the step that replaced it.
void blankSpare(const std::string& spare) {
    const int fd = open(spare.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        writeAll(fd, std::string(static_cast<size_t>(st.st_size), '\0'));
    }
    close(fd);
}

// One file of a step: the spare that takes its place with the content of
// the checksum, or its removal.
struct StepFile {
    std::string target;  // local paths
    std::string spare;
    std::string checksum;
    bool remove = false;
};

// The record of a step, written (and flushed with the spares) before the
// first file changes, lets the next call finish a step that a kill or a
// crash cut off: each file is looked at, so finishing twice is finishing
// once. The record is rewritten in place, to "none" once the step is done:
// a record cut short by a kill, its checksum wrong, is one whose step never
// began.
std::string serializeStep(const std::vector<StepFile>& files) {
    std::string out = kStepHeader;
    for (const StepFile& file : files) {
        if (file.remove) {
            out += "remove " + std::to_string(file.target.size()) + "\n" + file.target + "\n";
        } else {
            out += "place " + std::to_string(file.spare.size()) + " " + std::to_string(file.target.size()) + " " +
                   file.checksum + "\n" + file.spare + file.target + "\n";
        }
    }
    return out + "end " + checksumOf(out) + "\n";
}

bool parseStep(std::string_view text, std::vector<StepFile>& files) {
    const size_t endLine = text.rfind("end ");
    if (text.substr(0, std::strlen(kStepHeader)) != kStepHeader || endLine == std::string_view::npos ||
        text.substr(endLine) != "end " + checksumOf(text.substr(0, endLine)) + "\n") {
        return false;
    }
    size_t pos = std::strlen(kStepHeader);
    auto word = [&](char stop, std::string& value) {
        const size_t end = text.find(stop, pos);
        if (end == std::string_view::npos || end == pos || end > endLine) return false;
        value = std::string(text.substr(pos, end - pos));
        pos = end + 1;
        return true;
    };
    while (pos < endLine) {
        StepFile file;
        std::string a, b;
        if (text.compare(pos, 7, "remove ") == 0) {
            pos += 7;
            if (!word('\n', a)) return false;
            const size_t length = std::strtoul(a.c_str(), nullptr, 10);
            if (pos + length + 1 > endLine) return false;
            file.remove = true;
            file.target = std::string(text.substr(pos, length));
            pos += length + 1;
        } else if (text.compare(pos, 6, "place ") == 0) {
            pos += 6;
            if (!word(' ', a) || !word(' ', b) || !word('\n', file.checksum)) return false;
            const size_t spareLength = std::strtoul(a.c_str(), nullptr, 10);
            const size_t targetLength = std::strtoul(b.c_str(), nullptr, 10);
            if (pos + spareLength + targetLength + 1 > endLine) return false;
            file.spare = std::string(text.substr(pos, spareLength));
            file.target = std::string(text.substr(pos + spareLength, targetLength));
            pos += spareLength + targetLength + 1;
        } else {
            return false;
        }
        files.push_back(std::move(file));
    }
    return true;
}

// Files read, kept while they are the same file (inode, size, change and
// modification times): a call then costs a stat per file.
struct CachedFile {
    dev_t device;
    ino_t inode;
    off_t size;
    timespec modified;
    timespec changed;
    std::string content;
};
std::mutex cacheMutex;
// Made on first use and never destroyed: the library's constructor and
// destructor read files outside the lifetime of its static objects.
std::unordered_map<std::string, CachedFile>& cache() {
    static auto* files = new std::unordered_map<std::string, CachedFile>;
    return *files;
}

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool sameFile(const CachedFile& cached, const struct stat& st) {
    return cached.device == st.st_dev && cached.inode == st.st_ino && cached.size == st.st_size &&
           sameTime(cached.modified, st.st_mtim) && sameTime(cached.changed, st.st_ctim);
}

// The content's checksum, or empty when the file cannot be read.
std::string checksumOfFile(const std::string& path) {
    bool present = false;
    std::string content;
    if (!readFileAt(path, present, content, "a file").ok() || !present) return {};
    return checksumOf(content);
}

// Finishes the step of a record; each file is changed only if it does not
// hold its new content yet.
void finishStep(const std::vector<StepFile>& files) {
    for (const StepFile& file : files) {
        if (file.remove) {
            unlink(file.target.c_str());
        } else if (checksumOfFile(file.target) != file.checksum && checksumOfFile(file.spare) == file.checksum) {
            placeSpare(file.spare, file.target);
        }
    }
}

}  // namespace

std::string root() {
    const char* value = std::getenv("KIVORA_PPP_ROOT");
    if (value == nullptr || *value == '\0') return {};
    std::string path = value;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path == "/" ? std::string() : path;
}

std::string local(std::string_view realPath) { return root() + std::string(realPath); }

std::string peerPath(std::string_view peer) { return std::string(kPeersDir) + "/" + std::string(peer); }
std::string chatScriptPath(std::string_view peer) { return std::string(kChatScriptsDir) + "/" + std::string(peer); }
std::string resolvPath(std::string_view peer) { return std::string(kResolvDir) + "/" + std::string(peer); }

FileKind kindOf(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR ? FileKind::Missing : FileKind::Other;
    if (S_ISREG(st.st_mode)) return FileKind::Regular;
    if (S_ISLNK(st.st_mode)) return FileKind::SymbolicLink;
    if (S_ISDIR(st.st_mode)) return FileKind::Directory;
    return FileKind::Other;
}

Status damagedFile(const std::string& realPath, const std::string& reason) {
    return failure(ERROR_CANNOT_OPEN_PHONEBOOK,
                   std::string("the file ") + realPath + " does not read as pppd and chat read it, and was left as it is: " +
                       reason);
}

Status writeFailure(const std::string& path, int error) {
    const std::string what = "cannot write " + path + ": " + std::strerror(error);
    if (error == EACCES || error == EPERM || error == EROFS) {
        return failure(ERROR_ACCESS_DENIED,
                       what + "; changing pppd's dial-up settings needs root (start Kivora from its menu entry, "
                              "which asks for an administrator's password); nothing was changed");
    }
    return failure(ERROR_CANNOT_WRITE_PHONEBOOK, what + "; nothing was changed");
}

Status readFileAt(const std::string& localPath, bool& present, std::string& content, const char* what) {
    present = false;
    content.clear();
    struct stat seen {};
    if (lstat(localPath.c_str(), &seen) == 0 && S_ISREG(seen.st_mode)) {
        std::lock_guard guard(cacheMutex);
        auto it = cache().find(localPath);
        if (it != cache().end() && sameFile(it->second, seen)) {
            content = it->second.content;
            present = true;
            return {};
        }
    }
    const int fd = open(localPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) return {};
        if (error == ELOOP) {
            return failure(ERROR_CANNOT_OPEN_PHONEBOOK,
                           std::string(what) + " " + localPath +
                               " is a symbolic link: Kivora reads and writes pppd's files only where they are, "
                               "and left it as it is");
        }
        if (error == EACCES || error == EPERM) {
            return failure(ERROR_ACCESS_DENIED, std::string("cannot read ") + what + " " + localPath + ": " +
                                                    std::strerror(error) +
                                                    "; pppd's dial-up settings are readable by root alone");
        }
        return failure(ERROR_CANNOT_OPEN_PHONEBOOK,
                       std::string("cannot read ") + what + " " + localPath + ": " + std::strerror(error));
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return failure(ERROR_CANNOT_OPEN_PHONEBOOK, std::string(what) + " " + localPath +
                                                        (S_ISDIR(st.st_mode) ? " is a directory" : " is not a regular file") +
                                                        ", not a file pppd reads; it was left as it is");
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            close(fd);
            return failure(ERROR_CANNOT_OPEN_PHONEBOOK,
                           std::string("cannot read ") + what + " " + localPath + ": " + std::strerror(error));
        }
        content.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    present = true;
    if (static_cast<off_t>(content.size()) == st.st_size) {
        std::lock_guard guard(cacheMutex);
        cache()[localPath] = {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim, content};
    }
    return {};
}

void FileChanges::put(const std::string& realPath, std::string content, FileMode mode) {
    changes_[realPath] = Change{false, std::move(content), mode};
}

void FileChanges::remove(const std::string& realPath) { changes_[realPath] = Change{true, {}, FileMode::Public}; }

const std::string* FileChanges::pending(const std::string& realPath) const {
    auto it = changes_.find(realPath);
    return it == changes_.end() || it->second.remove ? nullptr : &it->second.content;
}

Status FileChanges::commit() {
    std::vector<StepFile> files;
    std::vector<int> open;
    std::vector<std::string> secretSpares;
    std::map<std::string, int> sparesUsed;  // per folder
    auto discard = [&open]() {
        for (int fd : open) close(fd);
        open.clear();
    };
    // Every new content is written first: a file that cannot be written (no
    // right, a read-only or a full disk) fails the call with nothing changed.
    for (const auto& [realPath, change] : changes_) {
        StepFile file;
        file.target = local(realPath);
        if (change.remove) {
            file.remove = true;
            if (kindOf(file.target) != FileKind::Missing) files.push_back(std::move(file));
            continue;
        }
        // A folder pppd's package makes is made if missing (a name-server
        // folder, or a test root).
        const std::string folder = folderOf(file.target);
        if (!makeFolders(folderOf(realPath), 0755)) {
            const int error = errno;
            discard();
            return writeFailure(folder, error);
        }
        file.spare = folder + "/" + kSparePrefix + std::to_string(sparesUsed[folder]++);
        file.checksum = checksumOf(change.content);
        const int fd = writeSpare(file.spare, change.content, ownershipFor(file.target, change.mode));
        if (fd < 0) {
            const int error = errno;
            discard();
            return writeFailure(file.target, error);
        }
        open.push_back(fd);
        if (change.mode == FileMode::Secret) secretSpares.push_back(file.spare);
        files.push_back(std::move(file));
    }
    if (files.empty()) return {};
    // Several files are one step: its record is flushed with their spares.
    const bool recorded = files.size() > 1;
    const std::string stepFile = local(kStepFile);
    if (recorded) {
        const int fd = writeSpare(stepFile, serializeStep(files), {0600, 0, 0, false});
        if (fd < 0) {
            const int error = errno;
            discard();
            return writeFailure(stepFile, error);
        }
        open.push_back(fd);
    }
    const bool flushed = flushAndClose(open);
    const int error = errno;
    open.clear();
    auto recordNoStep = [&stepFile]() {
        const int fd = writeSpare(stepFile, kNoStep, {0600, 0, 0, false});
        if (fd >= 0) close(fd);
    };
    if (!flushed) {
        // Not begun: the record goes back to none.
        if (recorded) recordNoStep();
        return writeFailure(files.front().target, error);
    }
    for (const StepFile& file : files) {
        if (file.remove) {
            if (unlink(file.target.c_str()) != 0 && errno != ENOENT && !recorded) return writeFailure(file.target, errno);
        } else if (!placeSpare(file.spare, file.target)) {
            // The record stays: the next call finishes the step.
            return writeFailure(file.target, errno);
        }
    }
    if (recorded) recordNoStep();
    for (const std::string& spare : secretSpares) blankSpare(spare);
    return {};
}

bool ensureStateDir() {
    const std::string path = local(kStateDir);
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode)) {
            errno = ENOTDIR;
            return false;
        }
        // It holds the program's journal, with passwords: root's alone.
        if ((st.st_mode & 077) != 0 && st.st_uid == geteuid()) chmod(path.c_str(), st.st_mode & 0700);
        return true;
    }
    if (!makeFolders("/var/lib", 0755)) return false;
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return chmod(path.c_str(), 0700) == 0 || errno == EPERM;
}

bool recordedStepPending() {
    bool present = false;
    std::string text;
    std::vector<StepFile> files;
    return readFileAt(local(kStepFile), present, text, "the ppp service's step record").ok() && present &&
           parseStep(text, files) && !files.empty();
}

Status finishRecordedStep() {
    const std::string stepFile = local(kStepFile);
    bool present = false;
    std::string text;
    if (Status status = readFileAt(stepFile, present, text, "the ppp service's step record"); !status.ok()) {
        return status;
    }
    std::vector<StepFile> files;
    if (!present || !parseStep(text, files) || files.empty()) return {};
    finishStep(files);
    const int fd = writeSpare(stepFile, kNoStep, {0600, 0, 0, false});
    if (fd < 0 || fdatasync(fd) != 0) {
        const int error = errno;
        if (fd >= 0) close(fd);
        return writeFailure(stepFile, error);
    }
    close(fd);
    for (const StepFile& file : files) {
        if (!file.remove && folderOf(file.target) == folderOf(local(kPapSecrets))) blankSpare(file.spare);
    }
    return {};
}

ServiceLock::ServiceLock() {
    if (!ensureStateDir()) {
        status_ = writeFailure(local(kStateDir), errno);
        return;
    }
    const std::string path = local(kLockFile);
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        status_ = writeFailure(path, errno);
        return;
    }
    while (flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            status_ = writeFailure(path, errno);
            return;
        }
    }
    status_ = finishRecordedStep();
}

ServiceLock::~ServiceLock() {
    if (fd_ >= 0) close(fd_);
}

}  // namespace ppp

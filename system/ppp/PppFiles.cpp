#include "PppFiles.h"

#include "ras.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <unordered_map>

namespace ppp {

namespace {

constexpr const char* kJournalFile = "/var/lib/kivora/ppp.journal";
constexpr const char* kLockFile = "/var/lib/kivora/ppp.lock";
constexpr const char* kSparePrefix = ".kivora-spare-";
constexpr const char* kJournalMagic = "kivora-ppp-journal 1 ";
constexpr const char* kDone = "done\n";
// Past this size the journal is folded: the files flushed, the journal
// emptied.
constexpr off_t kJournalFoldSize = 256 * 1024;

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

// One file of a step: its new content (placed through a spare), or its
// removal.
struct StepFile {
    std::string target;  // local paths
    std::string spare;
    bool remove = false;
    std::string content;
    Ownership ownership{};
};

// The service's journal, /var/lib/kivora/ppp.journal: every step, with the
// whole content of each file it writes, is appended and flushed before the
// first file changes, and marked done once all have. The files themselves
// are not flushed one by one: the journal's one flush makes the step
// durable, as the stand-in's journal does its change. A step a kill cut off
// is finished by the next call; after a crash of the machine (the journal
// names the boot it was written in) each file is laid down again from its
// last step wherever it does not hold that. Once the journal outgrows
// kJournalFoldSize, the file system is flushed and the journal emptied.
const std::string& bootId() {
    static const std::string id([] {
        bool present = false;
        std::string text;
        readFileAt("/proc/sys/kernel/random/boot_id", present, text, "the boot id");
        while (!text.empty() && text.back() == '\n') text.pop_back();
        return text.empty() ? std::string("unknown") : text;
    }());
    return id;
}

std::string journalHeader() { return std::string(kJournalMagic) + bootId() + "\n"; }

std::string serializeStep(const std::vector<StepFile>& files) {
    std::string payload;
    for (const StepFile& file : files) {
        if (file.remove) {
            payload += "remove " + std::to_string(file.target.size()) + "\n" + file.target + "\n";
            continue;
        }
        payload += "put " + std::to_string(file.target.size()) + " " + std::to_string(file.ownership.mode) + " " +
                   std::to_string(file.ownership.owner) + " " + std::to_string(file.ownership.group) + " " +
                   (file.ownership.keepOwner ? "1 " : "0 ") + std::to_string(file.content.size()) + "\n" + file.target +
                   file.content + "\n";
    }
    return "step " + std::to_string(payload.size()) + " " + checksumOf(payload) + "\n" + payload;
}

bool parsePayload(std::string_view text, std::vector<StepFile>& files) {
    size_t pos = 0;
    auto number = [&](char stop, unsigned long& value) {
        const size_t end = text.find(stop, pos);
        if (end == std::string_view::npos || end == pos) return false;
        value = std::strtoul(std::string(text.substr(pos, end - pos)).c_str(), nullptr, 10);
        pos = end + 1;
        return true;
    };
    while (pos < text.size()) {
        StepFile file;
        unsigned long length = 0;
        if (text.compare(pos, 7, "remove ") == 0) {
            pos += 7;
            if (!number('\n', length) || pos + length + 1 > text.size()) return false;
            file.remove = true;
            file.target = std::string(text.substr(pos, length));
            pos += length + 1;
        } else if (text.compare(pos, 4, "put ") == 0) {
            pos += 4;
            unsigned long mode = 0, owner = 0, group = 0, keep = 0, size = 0;
            if (!number(' ', length) || !number(' ', mode) || !number(' ', owner) || !number(' ', group) ||
                !number(' ', keep) || !number('\n', size) || pos + length + size + 1 > text.size()) {
                return false;
            }
            file.target = std::string(text.substr(pos, length));
            file.content = std::string(text.substr(pos + length, size));
            file.ownership = {static_cast<mode_t>(mode), static_cast<uid_t>(owner), static_cast<gid_t>(group), keep != 0};
            pos += length + size + 1;
        } else {
            return false;
        }
        files.push_back(std::move(file));
    }
    return true;
}

struct JournalStep {
    std::vector<StepFile> files;
    bool done = false;
};

struct Journal {
    std::string bootId;
    std::vector<JournalStep> steps;
    size_t goodSize = 0;  // the bytes up to the end of the last whole record
};

// False for a journal damaged before its last record (a last record cut
// short by a kill while it was appended is a step that never began).
bool parseJournal(std::string_view text, Journal& journal) {
    const size_t headerEnd = text.find('\n');
    if (text.rfind(kJournalMagic, 0) != 0 || headerEnd == std::string_view::npos) return text.empty();
    journal.bootId = std::string(text.substr(std::strlen(kJournalMagic), headerEnd - std::strlen(kJournalMagic)));
    size_t pos = headerEnd + 1;
    journal.goodSize = pos;
    while (pos < text.size()) {
        if (text.compare(pos, 5, kDone) == 0 && !journal.steps.empty()) {
            journal.steps.back().done = true;
            pos += 5;
            journal.goodSize = pos;
            continue;
        }
        const size_t lineEnd = text.find('\n', pos);
        if (text.compare(pos, 5, "step ") != 0 || lineEnd == std::string_view::npos) break;
        const std::string line(text.substr(pos + 5, lineEnd - pos - 5));
        const size_t blank = line.find(' ');
        const size_t length = std::strtoul(line.c_str(), nullptr, 10);
        if (blank == std::string::npos || lineEnd + 1 + length > text.size()) break;
        const std::string_view payload = text.substr(lineEnd + 1, length);
        JournalStep step;
        if (line.substr(blank + 1) != checksumOf(payload) || !parsePayload(payload, step.files)) {
            // Damage anywhere but in the last record is not a kill's.
            return lineEnd + 1 + length >= text.size();
        }
        journal.steps.push_back(std::move(step));
        pos = lineEnd + 1 + length;
        journal.goodSize = pos;
    }
    return true;
}

// The content's checksum, or empty when the file cannot be read.
std::string checksumOfFile(const std::string& path);

// Lays a file down from its step: the spare (when it holds the content) or
// a fresh one takes its place. Skipped when it holds the content already.
bool layDownFromStep(const StepFile& file) {
    if (file.remove) return unlink(file.target.c_str()) == 0 || errno == ENOENT;
    const std::string wanted = checksumOf(file.content);
    if (checksumOfFile(file.target) == wanted) return true;
    if (file.spare.empty() || checksumOfFile(file.spare) != wanted) {
        const std::string spare = folderOf(file.target) + "/" + kSparePrefix + "0";
        const int fd = writeSpare(spare, file.content, file.ownership);
        if (fd < 0 || fdatasync(fd) != 0) {
            if (fd >= 0) close(fd);
            return false;
        }
        close(fd);
        return placeSpare(spare, file.target);
    }
    return placeSpare(file.spare, file.target);
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

std::map<std::string, CachedFile>& cleanJournals() {
    static std::map<std::string, CachedFile> journals;
    return journals;
}
// Made on first use: the library's constructor comes before its static
// objects of namespace scope.
std::unordered_map<std::string, CachedFile>& cache() {
    static std::unordered_map<std::string, CachedFile> files;
    return files;
}

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// Every change the service makes counts up a number kept in its lock file:
// a file changed by trading places with its spare may come back to the same
// inode, size and times within one tick of the clock, so a reader's kept
// copies are dropped whenever the number moved.
unsigned long long generationAt(const std::string& lockFile) {
    unsigned long long value = 0;
    const int fd = open(lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return 0;
    if (pread(fd, &value, sizeof value, 0) != static_cast<ssize_t>(sizeof value)) value = 0;
    close(fd);
    return value;
}

void countChange() {
    const std::string lockFile = local(kLockFile);
    const int fd = open(lockFile.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return;
    unsigned long long value = 0;
    if (pread(fd, &value, sizeof value, 0) != static_cast<ssize_t>(sizeof value)) value = 0;
    ++value;
    writeAll(fd, std::string_view(reinterpret_cast<const char*>(&value), sizeof value), 0);
    close(fd);
}

bool sameFile(const CachedFile& cached, const struct stat& st) {
    return cached.device == st.st_dev && cached.inode == st.st_ino && cached.size == st.st_size &&
           sameTime(cached.modified, st.st_mtim) && sameTime(cached.changed, st.st_ctim);
}

std::string checksumOfFile(const std::string& path) {
    bool present = false;
    std::string content;
    if (!readFileAt(path, present, content, "a file").ok() || !present) return {};
    return checksumOf(content);
}

bool appendToJournal(const std::string& text, bool flush) {
    const std::string path = local(kJournalFile);
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0;
    // A journal begins with the boot it is written in.
    if (ok && st.st_size == 0) ok = writeAll(fd, journalHeader(), 0);
    ok = ok && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && (!flush || fdatasync(fd) == 0);
    const int saved = errno;
    close(fd);
    errno = saved;
    return ok;
}

// Empties the journal once every file it covers is on disk.
bool foldJournal() {
    const std::string path = local(kJournalFile);
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return errno == ENOENT;
    bool ok = syncfs(fd) == 0 && ftruncate(fd, 0) == 0;
    const int saved = errno;
    close(fd);
    errno = saved;
    return ok;
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
    std::vector<std::string> secretSpares;
    std::map<std::string, int> sparesUsed;  // per folder
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
        if (!makeFolders(folderOf(realPath), 0755)) return writeFailure(folder, errno);
        file.spare = folder + "/" + kSparePrefix + std::to_string(sparesUsed[folder]++);
        file.content = change.content;
        file.ownership = ownershipFor(file.target, change.mode);
        const int fd = writeSpare(file.spare, change.content, file.ownership);
        if (fd < 0) return writeFailure(file.target, errno);
        close(fd);
        if (change.mode == FileMode::Secret) secretSpares.push_back(file.spare);
        files.push_back(std::move(file));
    }
    if (files.empty()) return {};
    // The step, flushed, before any file takes its new place.
    if (!appendToJournal(serializeStep(files), true)) return writeFailure(local(kJournalFile), errno);
    for (const StepFile& file : files) {
        if (file.remove) {
            unlink(file.target.c_str());
        } else if (!placeSpare(file.spare, file.target)) {
            // Not marked done: the next call finishes the step.
            return writeFailure(file.target, errno);
        }
    }
    appendToJournal(kDone, false);
    countChange();
    for (const std::string& spare : secretSpares) blankSpare(spare);
    struct stat st {};
    if (stat(local(kJournalFile).c_str(), &st) == 0 && st.st_size > kJournalFoldSize) foldJournal();
    return {};
}

bool ensureStateDir() {
    const std::string path = local(kStateDir);
    // Made and narrowed once per process and root.
    static std::mutex madeMutex;
    static std::set<std::string> madeFolders;
    auto* made = &madeFolders;
    std::lock_guard guard(madeMutex);
    if (made->count(path) != 0) return true;
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode)) {
            errno = ENOTDIR;
            return false;
        }
        // It holds the program's journal, with passwords: root's alone.
        if ((st.st_mode & 077) != 0 && st.st_uid == geteuid()) chmod(path.c_str(), st.st_mode & 0700);
        made->insert(path);
        return true;
    }
    if (!makeFolders("/var/lib", 0755)) return false;
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (chmod(path.c_str(), 0700) != 0 && errno != EPERM) return false;
    made->insert(path);
    return true;
}

void dropStaleCopies() {
    static std::mutex seenMutex;
    static std::map<std::string, unsigned long long> seen;
    const std::string lockFile = local(kLockFile);
    const unsigned long long now = generationAt(lockFile);
    std::lock_guard guard(seenMutex);
    auto it = seen.find(lockFile);
    if (it != seen.end() && it->second == now) return;
    seen[lockFile] = now;
    std::lock_guard files(cacheMutex);
    cache().clear();
    cleanJournals().clear();
}

bool recordedStepPending() {
    // A step not yet marked done, or a journal of another boot: read the
    // journal's first line and last bytes only, and not again while it is
    // the journal last found so.
    auto* clean = &cleanJournals();
    const std::string path = local(kJournalFile);
    struct stat now {};
    if (lstat(path.c_str(), &now) != 0) return false;
    {
        std::lock_guard guard(cacheMutex);
        auto it = clean->find(path);
        if (it != clean->end() && sameFile(it->second, now)) return false;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    struct stat st {};
    char head[128] = {};
    char tail[5] = {};
    const bool read = fstat(fd, &st) == 0 && pread(fd, head, sizeof head - 1, 0) > 0 &&
                      (st.st_size < 5 || pread(fd, tail, 5, st.st_size - 5) == 5);
    close(fd);
    if (!read || st.st_size == 0) return false;
    const std::string header(head, strnlen(head, sizeof head));
    const bool pending = header.rfind(journalHeader(), 0) != 0 ||
                         (static_cast<size_t>(st.st_size) > journalHeader().size() && std::string_view(tail, 5) != kDone);
    if (!pending) {
        std::lock_guard guard(cacheMutex);
        (*clean)[path] = {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim, {}};
    }
    return pending;
}

Status finishRecordedStep() {
    if (!recordedStepPending()) return {};
    const std::string path = local(kJournalFile);
    bool present = false;
    std::string text;
    if (Status status = readFileAt(path, present, text, "the ppp service's journal"); !status.ok()) return status;
    Journal journal;
    if (!parseJournal(text, journal)) {
        return failure(ERROR_CANNOT_OPEN_PHONEBOOK,
                       "the ppp service's journal " + path +
                           " is damaged and was left as it is; nothing is changed until it is mended or removed");
    }
    if (journal.bootId != bootId()) {
        // The machine stopped since: each file's last step is laid down
        // again where the file does not hold it, then all is flushed.
        std::map<std::string, const StepFile*> last;
        for (const JournalStep& step : journal.steps) {
            for (const StepFile& file : step.files) last[file.target] = &file;
        }
        for (const auto& [target, file] : last) {
            StepFile fresh = *file;
            fresh.spare.clear();
            if (!layDownFromStep(fresh)) return writeFailure(target, errno);
        }
        if (!foldJournal()) return writeFailure(path, errno);
        countChange();
        return {};
    }
    // What a kill left of a record being appended goes: its step never began.
    if (journal.goodSize < text.size() && truncate(path.c_str(), static_cast<off_t>(journal.goodSize)) != 0) {
        return writeFailure(path, errno);
    }
    // A kill cut the last step off: finished now.
    if (!journal.steps.empty() && !journal.steps.back().done) {
        std::map<std::string, int> sparesUsed;
        for (StepFile file : journal.steps.back().files) {
            if (!file.remove) {
                const std::string folder = folderOf(file.target);
                file.spare = folder + "/" + kSparePrefix + std::to_string(sparesUsed[folder]++);
            }
            if (!layDownFromStep(file)) return writeFailure(file.target, errno);
        }
        if (!appendToJournal(kDone, true)) return writeFailure(path, errno);
        countChange();
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
    dropStaleCopies();
    status_ = finishRecordedStep();
}

ServiceLock::~ServiceLock() {
    if (fd_ >= 0) close(fd_);
}

}  // namespace ppp

#include "PppFiles.h"

#include "ras.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>

namespace ppp {

namespace {

constexpr const char* kStepFile = "/var/lib/kivora/ppp-step";
constexpr const char* kLockFile = "/var/lib/kivora/ppp.lock";
constexpr const char* kTemporaryPrefix = ".kivora-tmp-";
constexpr const char* kStepHeader = "kivora-ppp-step 1\n";

// The folders the service writes into, where a killed writer's temporaries
// may be left.
const char* const kWrittenFolders[] = {kPeersDir, kChatScriptsDir, "/etc/ppp", kResolvDir};

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

void syncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// mkdir -p for the folders of a path below the root (the root itself is the
// caller's).
bool makeFolders(const std::string& realFolder, mode_t mode) {
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

std::atomic<unsigned> temporaryCounter{0};

std::string temporaryBeside(const std::string& localPath) {
    return folderOf(localPath) + "/" + kTemporaryPrefix + std::to_string(getpid()) + "-" +
           std::to_string(temporaryCounter++);
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

// Writes `content` into a new file `temporary`, with the mode it keeps and
// the owner of the file it replaces, flushed to disk.
bool writeTemporary(const std::string& temporary, const std::string& target, const std::string& content,
                    FileMode wanted) {
    struct stat existing {};
    const bool replaces = lstat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    mode_t mode = static_cast<mode_t>(wanted);
    if (replaces) mode = wanted == FileMode::Secret ? (existing.st_mode & 0600) | 0600 : existing.st_mode & 07777;
    // Created with its final mode (a secret one never open to others, even
    // under umask 000); the umask can only have narrowed it, and fchmod
    // gives back what the old file had.
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) return false;
    bool ok = fchmod(fd, mode) == 0;
    if (ok && replaces && (existing.st_uid != geteuid() || existing.st_gid != getegid())) {
        // Only root may give a file away; anyone else keeps their own.
        if (fchown(fd, existing.st_uid, existing.st_gid) != 0 && geteuid() == 0) ok = false;
    }
    ok = ok && writeAll(fd, content) && fsync(fd) == 0;
    const int saved = errno;
    if (close(fd) != 0 && ok) return false;
    errno = saved;
    return ok;
}

struct RecordedRename {
    std::string temporary;
    std::string target;
};

struct RecordedStep {
    std::vector<RecordedRename> renames;
    std::vector<std::string> removals;
};

std::string serializeStep(const RecordedStep& step) {
    std::string out = kStepHeader;
    for (const RecordedRename& rename : step.renames) {
        out += "rename " + std::to_string(rename.temporary.size()) + " " + std::to_string(rename.target.size()) +
               "\n" + rename.temporary + rename.target + "\n";
    }
    for (const std::string& removal : step.removals) {
        out += "remove " + std::to_string(removal.size()) + "\n" + removal + "\n";
    }
    return out + "end " + checksumOf(out) + "\n";
}

bool parseStep(std::string_view text, RecordedStep& step) {
    const size_t endLine = text.rfind("end ");
    if (text.substr(0, std::strlen(kStepHeader)) != kStepHeader || endLine == std::string_view::npos ||
        text.substr(endLine) != "end " + checksumOf(text.substr(0, endLine)) + "\n") {
        return false;
    }
    size_t pos = std::strlen(kStepHeader);
    auto number = [&](char stop, size_t& value) {
        const size_t end = text.find(stop, pos);
        if (end == std::string_view::npos || end == pos) return false;
        value = std::strtoul(std::string(text.substr(pos, end - pos)).c_str(), nullptr, 10);
        pos = end + 1;
        return true;
    };
    while (pos < endLine) {
        if (text.compare(pos, 7, "rename ") == 0) {
            pos += 7;
            size_t a = 0, b = 0;
            if (!number(' ', a) || !number('\n', b) || pos + a + b + 1 > endLine) return false;
            step.renames.push_back({std::string(text.substr(pos, a)), std::string(text.substr(pos + a, b))});
            pos += a + b + 1;
        } else if (text.compare(pos, 7, "remove ") == 0) {
            pos += 7;
            size_t a = 0;
            if (!number('\n', a) || pos + a + 1 > endLine) return false;
            step.removals.emplace_back(text.substr(pos, a));
            pos += a + 1;
        } else {
            return false;
        }
    }
    return true;
}

void applyStep(const RecordedStep& step) {
    std::set<std::string> folders;
    for (const RecordedRename& rename : step.renames) {
        // Done already when its temporary is gone.
        std::rename(rename.temporary.c_str(), rename.target.c_str());
        folders.insert(folderOf(rename.target));
    }
    for (const std::string& removal : step.removals) {
        unlink(removal.c_str());
        folders.insert(folderOf(removal));
    }
    for (const std::string& folder : folders) syncFolder(folder);
}

void removeStaleTemporaries() {
    for (const char* folder : kWrittenFolders) {
        DIR* dir = opendir(local(folder).c_str());
        if (dir == nullptr) continue;
        while (dirent* entry = readdir(dir)) {
            if (std::strncmp(entry->d_name, kTemporaryPrefix, std::strlen(kTemporaryPrefix)) == 0) {
                unlinkat(dirfd(dir), entry->d_name, 0);
            }
        }
        closedir(dir);
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
    RecordedStep step;
    auto discard = [&step]() {
        for (const RecordedRename& rename : step.renames) unlink(rename.temporary.c_str());
    };
    for (const auto& [realPath, change] : changes_) {
        const std::string target = local(realPath);
        if (change.remove) {
            if (kindOf(target) != FileKind::Missing) step.removals.push_back(target);
            continue;
        }
        // A folder pppd's package makes is made if missing (a name-server
        // folder, or a test root).
        if (!makeFolders(folderOf(realPath), 0755)) {
            const int error = errno;
            discard();
            return writeFailure(folderOf(target), error);
        }
        const std::string temporary = temporaryBeside(target);
        if (!writeTemporary(temporary, target, change.content, change.mode)) {
            const int error = errno;
            unlink(temporary.c_str());
            discard();
            return writeFailure(target, error);
        }
        step.renames.push_back({temporary, target});
    }
    if (step.renames.size() + step.removals.size() == 0) return {};
    // One file changes atomically by its rename alone; several are recorded
    // first, so that a kill midway is finished by the next call.
    const bool recorded = step.renames.size() + step.removals.size() > 1;
    if (recorded) {
        const std::string stepFile = local(kStepFile);
        const std::string temporary = temporaryBeside(stepFile);
        if (!writeTemporary(temporary, stepFile, serializeStep(step), FileMode::Secret) ||
            std::rename(temporary.c_str(), stepFile.c_str()) != 0) {
            const int error = errno;
            unlink(temporary.c_str());
            discard();
            return writeFailure(stepFile, error);
        }
        syncFolder(folderOf(stepFile));
    }
    applyStep(step);
    if (recorded) unlink(local(kStepFile).c_str());
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

bool recordedStepPending() { return kindOf(local(kStepFile)) != FileKind::Missing; }

Status finishRecordedStep() {
    const std::string stepFile = local(kStepFile);
    bool present = false;
    std::string text;
    if (Status status = readFileAt(stepFile, present, text, "the ppp service's step record"); !status.ok()) {
        return status;
    }
    if (present) {
        RecordedStep step;
        if (!parseStep(text, step)) {
            return failure(ERROR_CANNOT_OPEN_PHONEBOOK,
                           "the record of an unfinished change " + stepFile +
                               " is damaged and was left as it is; nothing is changed until it is mended or removed");
        }
        applyStep(step);
        if (unlink(stepFile.c_str()) != 0) return writeFailure(stepFile, errno);
    }
    removeStaleTemporaries();
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

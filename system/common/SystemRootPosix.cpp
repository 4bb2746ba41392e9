// The system root kept by POSIX calls.
#include "SystemRoot.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace standin {

namespace {

// The home directory: $HOME, else the password database's; empty when
// neither names one.
std::string homeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    passwd entry {};
    passwd* user = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &user) == 0 && user && user->pw_dir &&
        *user->pw_dir) {
        return user->pw_dir;
    }
    return {};
}

// Run as the program (or any user of the stand-ins) starts, before any
// thread: a relative root is taken against the directory started in, once,
// so that it names the same directory whatever the process does later.
[[gnu::constructor]] void settleSystemRootAtStart() {
    makeSystemRootAbsolute();
    if (systemRootPath().empty()) {
        std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, kNoSystemRoot);
        std::exit(1);
    }
}

}  // namespace

std::string systemRootPath() {
    if (const char* root = std::getenv("KIVORA_SYSTEM"); root && *root) return root;
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        base = xdg;
    } else {
        std::string home = homeDirectory();
        if (home.empty()) return {};
        base = home + "/.local/share";
    }
    return base + "/kivora/system";
}

void makeSystemRootAbsolute() {
    const char* root = std::getenv("KIVORA_SYSTEM");
    if (root == nullptr || *root == '\0' || *root == '/') return;
    char* cwd = getcwd(nullptr, 0);
    if (cwd == nullptr) return;
    std::string absolute = std::string(cwd) + "/" + root;
    std::free(cwd);
    setenv("KIVORA_SYSTEM", absolute.c_str(), 1);
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool makeDirectory(const std::string& path) {
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

size_t firstFolderEnd(const std::string&) { return 1; }

ReadResult readWholeFile(const std::string& path, std::string& content) {
    content.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    // A path through a file names nothing, just as a missing file does.
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return ReadResult::Failed;
    }
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            close(fd);
            content.clear();
            return ReadResult::Failed;
        }
        content.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return ReadResult::Ok;
}

namespace {

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

void syncDirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

bool lookUp(const std::string& path, bool& present) {
    struct stat st {};
    present = lstat(path.c_str(), &st) == 0;
    return present || errno == ENOENT;
}

bool isLink(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool removeFile(const std::string& path) {
    return unlink(path.c_str()) == 0;
}

void FileDescriptor::reset() {
    if (file_ >= 0) close(file_);
    file_ = kNoFile;
}

void removeStaleTemporaries(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp.";
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) return;
    while (dirent* entry = readdir(d)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0) {
            unlinkat(dirfd(d), entry->d_name, 0);
        }
    }
    closedir(d);
}

bool replaceFileAtomically(const std::string& path, std::string_view content, mode_t mode) {
    removeStaleTemporaries(path);
    std::string temp = path + ".tmp." + std::to_string(getpid());
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) return false;
    // The umask may have narrowed the mode, and a leftover temporary may have
    // another one; set it before any byte is written.
    bool ok = fchmod(fd, mode) == 0 && writeAll(fd, content) && fsync(fd) == 0;
    int savedErrno = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        errno = savedErrno;
        return false;
    }
    syncDirectoryOf(path);
    return true;
}

RootLock::RootLock() {
    std::string error;
    if (!ensureSystemRoot(error)) {
        errno_ = errno;
        return;
    }
    FileDescriptor file(open(rootFile(".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!file) {
        errno_ = errno;
        return;
    }
    while (flock(file.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            errno_ = errno;
            return;
        }
    }
    file_ = std::move(file);
}

// Closing the lock file releases the lock.
RootLock::~RootLock() = default;

}  // namespace standin

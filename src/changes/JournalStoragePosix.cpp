// Journals kept by POSIX calls: every name opened without following a link,
// every file checked for its owner, its names and its mode once it is open.
#include "JournalStorage.h"

#include "shlobj.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace journalstorage {

namespace {

constexpr mode_t kWritableByOthers = S_IWGRP | S_IWOTH;

// Opening a link with O_NOFOLLOW fails with ELOOP (or, for a folder asked
// for with O_DIRECTORY, ENOTDIR): not a failure of the call but a name that
// someone else made.
Outcome openFailure() {
    if (errno == ENOENT) return Outcome::Missing;
    if (errno == ELOOP || errno == ENOTDIR || errno == EMLINK) return Outcome::Untrusted;
    return Outcome::Failed;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// A folder the user's journals may be trusted in: the user's (or, above
// Kivora's own, the system's) and writable by nobody else.
Outcome checkFolder(int fd, bool mustBeOwn) {
    struct stat st {};
    if (fstat(fd, &st) != 0) return Outcome::Failed;
    const bool owner = st.st_uid == geteuid() || (!mustBeOwn && st.st_uid == 0);
    return S_ISDIR(st.st_mode) && owner && (st.st_mode & kWritableByOthers) == 0 ? Outcome::Done : Outcome::Untrusted;
}

// A journal file: a plain file of the user's, under this one name, that
// nobody else may write. One that others may read is made private.
Outcome checkFile(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0) return Outcome::Failed;
    if (!S_ISREG(st.st_mode) || st.st_uid != geteuid() || st.st_nlink != 1 || (st.st_mode & kWritableByOthers) != 0) {
        return Outcome::Untrusted;
    }
    if ((st.st_mode & 077) != 0 && fchmod(fd, 0600) != 0) return Outcome::Failed;
    return Outcome::Done;
}

// A file of the journal folder, opened without following a link and
// without waiting on a pipe planted in its place.
Outcome openJournal(const std::string& path, int flags, Descriptor& file) {
    file.reset(::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) return openFailure();
    return checkFile(file.get());
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace

Outcome findFolder(std::string& folder) {
    folder.clear();
    char base[MAX_PATH];
    if (SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base) != S_OK) {
        return Outcome::Failed;
    }
    folder = std::string(base) + "/Kivora";
    Descriptor above(::open(base, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (above.get() < 0) return openFailure();
    if (Outcome outcome = checkFolder(above.get(), false); outcome != Outcome::Done) return outcome;
    if (mkdirat(above.get(), "Kivora", 0700) != 0 && errno != EEXIST) return Outcome::Failed;
    Descriptor own(openat(above.get(), "Kivora", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (own.get() < 0) return openFailure();
    return checkFolder(own.get(), true);
}

Outcome readFile(const std::string& path, std::string& content) {
    content.clear();
    Descriptor file(-1);
    if (Outcome outcome = openJournal(path, O_RDONLY, file); outcome != Outcome::Done) return outcome;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(file.get(), buffer, sizeof buffer);
        if (n == 0) return Outcome::Done;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Outcome::Failed;
        content.append(buffer, static_cast<size_t>(n));
    }
}

bool replaceFile(const std::string& path, std::string_view content) {
    const std::string temporary = path + ".new";
    // A temporary a killed Kivora left is removed, never written through.
    unlink(temporary.c_str());
    Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (file.get() < 0) return false;
    // The umask may have narrowed the mode; it is set before any byte.
    bool written = fchmod(file.get(), 0600) == 0 && writeAll(file.get(), content) && fsync(file.get()) == 0;
    written = ::close(file.release()) == 0 && written;
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    // The new name must be found again after a crash.
    Descriptor folder(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return folder.get() >= 0 && fsync(folder.get()) == 0;
}

AppendFile::~AppendFile() { close(); }

Outcome AppendFile::open(const std::string& path, std::uint64_t length) {
    close();
    Descriptor file(-1);
    if (Outcome outcome = openJournal(path, O_WRONLY | O_APPEND, file); outcome != Outcome::Done) return outcome;
    struct stat st {};
    if (fstat(file.get(), &st) != 0) return Outcome::Failed;
    if (static_cast<std::uint64_t>(st.st_size) != length && ftruncate(file.get(), static_cast<off_t>(length)) != 0) {
        return Outcome::Failed;
    }
    fd_ = file.release();
    return Outcome::Done;
}

bool AppendFile::append(std::string_view bytes, bool durable) {
    return fd_ >= 0 && writeAll(fd_, bytes) && (!durable || fdatasync(fd_) == 0);
}

bool AppendFile::isOpen() const { return fd_ >= 0; }

void AppendFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool randomBytes(std::size_t count, std::string& bytes) {
    bytes.assign(count, '\0');
    std::size_t got = 0;
    while (got < count) {
        ssize_t n = getrandom(bytes.data() + got, count - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

// The journal is the user's alone, in a folder only the user can enter:
// there is no key on this platform that the user's own programs could not
// read as well, so the password is kept as it is.
bool sealSecret(const std::string& secret, std::string& sealed) {
    sealed = secret;
    return true;
}

bool unsealSecret(const std::string& sealed, std::string& secret) {
    secret = sealed;
    return true;
}

}  // namespace journalstorage

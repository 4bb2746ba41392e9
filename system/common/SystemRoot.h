// The directory that holds the whole state of the stand-in system, and the
// file primitives every store in it uses: whole-file reads, atomic replace,
// and one advisory lock that serialises writers across processes. The same
// files are kept by POSIX calls (SystemRootPosix.cpp) and, in the
// remote-access DLL that tests load under Wine, by Windows' own
// (SystemRootWindows.cpp); failures are told through errno on both.
#pragma once

#include "windows.h"

#include <sys/types.h>

#include <string>
#include <string_view>
#include <utility>

namespace standin {

#ifdef _WIN32
using NativeFile = HANDLE;
constexpr NativeFile kNoFile = nullptr;  // INVALID_HANDLE_VALUE is kept as this
#else
using NativeFile = int;
constexpr NativeFile kNoFile = -1;
#endif

// An open file that closes itself.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(NativeFile file) : file_(file) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : file_(std::exchange(other.file_, kNoFile)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            reset();
            file_ = std::exchange(other.file_, kNoFile);
        }
        return *this;
    }
    NativeFile get() const { return file_; }
    explicit operator bool() const { return file_ != kNoFile; }
    void reset();

private:
    NativeFile file_ = kNoFile;
};

// $KIVORA_SYSTEM, else ${XDG_DATA_HOME:-$HOME/.local/share}/kivora/system,
// with the home directory from the password database when HOME is unset.
// On Windows $KIVORA_SYSTEM, else %LOCALAPPDATA%/kivora/system; a
// $KIVORA_SYSTEM that is a Linux absolute path names it on drive Z:, as
// Wine maps the Linux tree there.
// Empty when there is no home directory either: then nothing is read or
// written, and a process that starts so stops with kNoSystemRoot. Resolved
// on every call, so a test can point a process at a fresh root.
std::string systemRootPath();

constexpr const char* kNoSystemRoot =
    "no home directory to keep the stand-in system in (HOME is unset and the user has none); "
    "set KIVORA_SYSTEM to the directory to use";

// Makes a relative $KIVORA_SYSTEM absolute against the current directory.
// Done once as a process starts; kivora-sys does it again for --root.
void makeSystemRootAbsolute();

// The path of a file of the root: systemRootPath() + "/" + name.
std::string rootFile(std::string_view name);

// Creates the root directory (and its parents) when missing. On failure
// returns false, says why in `error` and leaves errno set.
bool ensureSystemRoot(std::string& error);

// True when `cp932` can be stored in a text file of the root and read back
// byte for byte: valid CP932 (every byte sequence maps to a character) and
// no control characters, so no line break can split it.
bool isStorableText(std::string_view cp932);

// The Windows error code that best names a failed file operation's errno:
// no permission or a read-only file system is ERROR_ACCESS_DENIED, a path
// through a missing or non-directory component ERROR_PATH_NOT_FOUND, a
// missing file ERROR_FILE_NOT_FOUND, anything else ERROR_CANTWRITE.
DWORD errorFromErrno(int error);

enum class ReadResult { Ok, Missing, Failed };

// Whether `path` is a directory (following links).
bool isDirectory(const std::string& path);
// Makes the directory `path`; true when it is made or a name of it is there
// already, false with errno set.
bool makeDirectory(const std::string& path);
// Where the first folder of `path` that may need making ends: past the
// leading "/" or, on Windows, the drive.
size_t firstFolderEnd(const std::string& path);

// Reads a whole file. Missing is a file that is not there (nor could be: a
// path through a regular file); Failed is any other reason it could not be
// read (a directory, no permission, I/O error).
ReadResult readWholeFile(const std::string& path, std::string& content);

// Whether anything is at `path` (a dangling symbolic link too); false, with
// errno set, when that cannot be told.
bool lookUp(const std::string& path, bool& present);

// Whether `path` is itself a link (a symbolic link, or on Windows any
// reparse point) rather than the file it may name.
bool isLink(const std::string& path);

// Removes a file; false with errno set (ENOENT when it was not there).
bool removeFile(const std::string& path);

// Replaces a file atomically: a temporary beside it is written, flushed to
// disk and renamed over it, and the directory is flushed. A crash at any
// moment leaves the old or the new content. `mode` is applied to the new
// file before anything is written to it (on POSIX; Windows files have none). Call it only under the RootLock:
// it first removes the temporaries that killed writers left beside `path`,
// which no other writer can then be using. Returns false with errno set.
bool replaceFileAtomically(const std::string& path, std::string_view content, mode_t mode);

// Removes the temporaries that writers killed before their rename left
// beside `path`. Call it only under the RootLock.
void removeStaleTemporaries(const std::string& path);

// Exclusive advisory lock over the whole root, held for the object's life.
// Take it around every read-modify-write of a store file.
class RootLock {
public:
    RootLock();
    ~RootLock();
    RootLock(const RootLock&) = delete;
    RootLock& operator=(const RootLock&) = delete;
    // False when the lock file could not be opened or locked (for example an
    // unwritable root); callers then refuse to write. errorNumber() says why.
    bool held() const { return static_cast<bool>(file_); }
    int errorNumber() const { return errno_; }

private:
    FileDescriptor file_;
    int errno_ = 0;
};

// Reads the root file `name` into `content`. On its first use (the file is
// not there) it is created with `seed` first, under the root lock, so that
// concurrent first uses seed it exactly once; an existing file is never
// touched. Returns ERROR_SUCCESS, or a Windows error code with a one-line
// reason in `error`.
DWORD readSeededFile(std::string_view name, std::string_view seed, std::string& content, std::string& error);

// The one-line report of a damaged root file: what `why` says is wrong, and
// that the file was left as it is.
std::string damagedFileMessage(std::string_view name, const std::string& why);

#ifdef _WIN32
// Sets errno to the number that best names the thread's last Windows error,
// so that the stores report both platforms' failures alike. Returns false.
bool failedWithLastError();

// CreateFileA sharing reading, writing and deletion, so that a file held
// open (the stores keep theirs) never stops another process from replacing
// it, as on POSIX. None, with errno set, when it cannot be opened.
FileDescriptor openShared(const std::string& path, DWORD access, DWORD disposition,
                          DWORD flags = FILE_ATTRIBUTE_NORMAL);
#endif

}  // namespace standin

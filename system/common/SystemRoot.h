// The directory that holds the whole state of the stand-in system, and the
// file primitives every store in it uses: whole-file reads, atomic replace,
// and one advisory lock that serialises writers across processes.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace standin {

// $KIVORA_SYSTEM, else ${XDG_DATA_HOME:-$HOME/.local/share}/kivora/system.
// Resolved on every call, so a test can point a process at a fresh root.
std::string systemRootPath();

// The path of a file of the root: systemRootPath() + "/" + name.
std::string rootFile(std::string_view name);

// Creates the root directory (and its parents) when missing. On failure
// returns false and says why in `error`.
bool ensureSystemRoot(std::string& error);

enum class ReadResult { Ok, Missing, Failed };

// Reads a whole file. Missing is a file that is not there; Failed is any
// other reason it could not be read (a directory, no permission, I/O error).
ReadResult readWholeFile(const std::string& path, std::string& content);

// Replaces a file atomically: a temporary beside it is written, flushed to
// disk and renamed over it, and the directory is flushed. A crash at any
// moment leaves the old or the new content. `mode` is applied to the new
// file before anything is written to it. Returns false with errno set.
bool replaceFileAtomically(const std::string& path, std::string_view content, mode_t mode);

// Exclusive advisory lock over the whole root, held for the object's life.
// Take it around every read-modify-write of a store file.
class RootLock {
public:
    RootLock();
    ~RootLock();
    RootLock(const RootLock&) = delete;
    RootLock& operator=(const RootLock&) = delete;
    // False when the lock file could not be opened or locked (for example an
    // unwritable root); callers then refuse to write.
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace standin

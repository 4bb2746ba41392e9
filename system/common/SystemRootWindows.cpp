// The system root kept by Windows' own file calls, for the remote-access
// DLL that the tests load under Wine: the same files, byte for byte, as the
// POSIX build keeps, so that kivora-sys on Linux reads what it wrote.
#include "SystemRoot.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace standin {

bool failedWithLastError() {
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        errno = ENOENT;
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        errno = EACCES;
        break;
    case ERROR_WRITE_PROTECT:
        errno = EROFS;
        break;
    case ERROR_DIRECTORY:
        errno = ENOTDIR;
        break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        errno = EEXIST;
        break;
    case ERROR_FILENAME_EXCED_RANGE:
        errno = ENAMETOOLONG;
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        errno = ENOSPC;
        break;
    case ERROR_INVALID_NAME:
        errno = EINVAL;
        break;
    default:
        errno = EIO;
        break;
    }
    return false;
}

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// "C:/..." or "\\server\..." names a place whatever the current directory.
bool isAbsolute(std::string_view path) {
    return (path.size() >= 3 && path[1] == ':' && isSeparator(path[2])) ||
           (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]));
}

// Under Wine the tests hand over Linux paths: "/" is drive Z:.
std::string windowsPath(const char* path) {
    return path[0] == '/' ? std::string("Z:") + path : std::string(path);
}

bool writeAll(HANDLE file, std::string_view data) {
    while (!data.empty()) {
        DWORD chunk = data.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(data.size());
        DWORD written = 0;
        if (!WriteFile(file, data.data(), chunk, &written, nullptr)) return failedWithLastError();
        data.remove_prefix(written);
    }
    return true;
}

// The run-time start, as on POSIX: a relative root is taken against the
// directory the process started in.
[[gnu::constructor]] void settleSystemRootAtStart() { makeSystemRootAbsolute(); }

}  // namespace

FileDescriptor openShared(const std::string& path, DWORD access, DWORD disposition, DWORD flags) {
    HANDLE file = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              disposition, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        failedWithLastError();
        return FileDescriptor();
    }
    return FileDescriptor(file);
}

std::string systemRootPath() {
    if (const char* root = std::getenv("KIVORA_SYSTEM"); root && *root) return windowsPath(root);
    if (const char* local = std::getenv("LOCALAPPDATA"); local && *local) {
        return std::string(local) + "/kivora/system";
    }
    return {};
}

void makeSystemRootAbsolute() {
    const char* root = std::getenv("KIVORA_SYSTEM");
    if (root == nullptr || *root == '\0' || *root == '/' || isAbsolute(root)) return;
    char absolute[MAX_PATH];
    DWORD length = GetFullPathNameA(root, sizeof absolute, absolute, nullptr);
    if (length == 0 || length >= sizeof absolute) return;
    _putenv_s("KIVORA_SYSTEM", absolute);
}

bool isDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool makeDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS || failedWithLastError();
}

// Past the drive ("Z:/").
size_t firstFolderEnd(const std::string& path) { return isAbsolute(path) ? 3 : 1; }

ReadResult readWholeFile(const std::string& path, std::string& content) {
    content.clear();
    // A folder cannot be opened as a file: it fails as a file that cannot be read.
    FileDescriptor file = openShared(path, GENERIC_READ, OPEN_EXISTING);
    if (!file) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
            failedWithLastError();
            content.clear();
            return ReadResult::Failed;
        }
        if (n == 0) return ReadResult::Ok;
        content.append(buffer, n);
    }
}

bool lookUp(const std::string& path, bool& present) {
    present = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    return present || (failedWithLastError(), errno == ENOENT);
}

bool isLink(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool removeFile(const std::string& path) {
    return DeleteFileA(path.c_str()) || failedWithLastError();
}

void FileDescriptor::reset() {
    if (file_ != kNoFile) CloseHandle(file_);
    file_ = kNoFile;
}

void removeStaleTemporaries(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
    std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp.";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "/" + prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        DeleteFileA((dir + "/" + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// The rename is written through to the disk before it returns, so nothing
// needs flushing after it.
bool replaceFileAtomically(const std::string& path, std::string_view content, mode_t) {
    removeStaleTemporaries(path);
    std::string temp = path + ".tmp." + std::to_string(GetCurrentProcessId());
    bool ok = false;
    {
        FileDescriptor file = openShared(temp, GENERIC_WRITE, CREATE_ALWAYS);
        if (!file) return false;
        ok = writeAll(file.get(), content) && (FlushFileBuffers(file.get()) || failedWithLastError());
    }
    if (ok) {
        ok = MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
             failedWithLastError();
    }
    if (!ok) {
        int saved = errno;
        DeleteFileA(temp.c_str());
        errno = saved;
    }
    return ok;
}

RootLock::RootLock() {
    std::string error;
    if (!ensureSystemRoot(error)) {
        errno_ = errno;
        return;
    }
    FileDescriptor file = openShared(rootFile(".lock"), GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (!file) {
        errno_ = errno;
        return;
    }
    OVERLAPPED whole {};
    if (!LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        failedWithLastError();
        errno_ = errno;
        return;
    }
    file_ = std::move(file);
}

// Windows releases a lock whose handle closes only eventually: it is
// unlocked first, so the next writer need not wait for that.
RootLock::~RootLock() {
    if (!file_) return;
    OVERLAPPED whole {};
    UnlockFileEx(file_.get(), 0, MAXDWORD, MAXDWORD, &whole);
}

}  // namespace standin

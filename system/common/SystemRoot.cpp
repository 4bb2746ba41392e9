#include "SystemRoot.h"

#include "Cp932.h"

#include <cerrno>
#include <cstring>

namespace standin {

std::string rootFile(std::string_view name) {
    std::string path = systemRootPath();
    // Without a root no file has a path: every open then fails.
    if (path.empty()) return {};
    path += '/';
    path += name;
    return path;
}

bool isStorableText(std::string_view cp932Text) {
    for (char c : cp932Text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return false;
    }
    std::string utf8;
    return cp932::toUtf8(cp932Text, utf8);
}

DWORD errorFromErrno(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
        return ERROR_PATH_NOT_FOUND;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    default:
        return ERROR_CANTWRITE;
    }
}

namespace {

// A folder's name ends at a slash, and on Windows at a backslash too.
bool endsFolder(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

}  // namespace

bool ensureSystemRoot(std::string& error) {
    std::string path = systemRootPath();
    if (path.empty()) {
        error = kNoSystemRoot;
        errno = ENOENT;
        return false;
    }
    if (isDirectory(path)) return true;
    // mkdir -p, one folder at a time.
    for (size_t pos = firstFolderEnd(path); pos <= path.size(); ++pos) {
        if (pos != path.size() && !endsFolder(path[pos])) continue;
        std::string prefix = path.substr(0, pos);
        if (!makeDirectory(prefix)) {
            int saved = errno;
            error = "cannot create " + prefix + ": " + std::strerror(saved);
            errno = saved;
            return false;
        }
    }
    // The root, or the last folder made, may be a file of that name.
    if (!isDirectory(path)) {
        error = path + " exists but is not a directory";
        errno = ENOTDIR;
        return false;
    }
    return true;
}

namespace {

DWORD seedFile(const std::string& path, std::string_view content) {
    RootLock lock;
    if (!lock.held()) return errorFromErrno(lock.errorNumber());
    // Checked again under the lock: another process may have seeded it.
    bool present = false;
    if (!lookUp(path, present)) return errorFromErrno(errno);
    if (present) return ERROR_SUCCESS;
    if (!replaceFileAtomically(path, content, 0644)) return errorFromErrno(errno);
    return ERROR_SUCCESS;
}

}  // namespace

DWORD readSeededFile(std::string_view name, std::string_view seed, std::string& content, std::string& error) {
    std::string path = rootFile(name);
    ReadResult read = readWholeFile(path, content);
    if (read == ReadResult::Missing) {
        DWORD seeded = seedFile(path, seed);
        if (seeded != ERROR_SUCCESS) {
            error = "cannot create " + path + ": " + std::strerror(errno);
            return seeded;
        }
        read = readWholeFile(path, content);
    }
    if (read != ReadResult::Ok) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return read == ReadResult::Missing ? ERROR_FILE_NOT_FOUND : ERROR_CANTREAD;
    }
    return ERROR_SUCCESS;
}

std::string damagedFileMessage(std::string_view name, const std::string& why) {
    return rootFile(name) + " is damaged (" + why + "); it was left as it is";
}

}  // namespace standin

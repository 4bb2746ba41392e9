// The store's calls on open files, by Windows' own, for the DLL that the
// tests load under Wine.
#include "StoreFile.h"

#include <cerrno>

namespace standin::ras {

namespace {

std::uint64_t joined(DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; }

// FILETIME and LARGE_INTEGER times count 100 ns.
long long nanoseconds(const FILETIME& time) {
    return static_cast<long long>(joined(time.dwHighDateTime, time.dwLowDateTime)) * 100;
}

bool moveTo(const FileDescriptor& file, std::uint64_t offset, DWORD from) {
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file.get(), distance, nullptr, from) || failedWithLastError();
}

}  // namespace

bool identityOf(const std::string& path, FileIdentity& identity) {
    identity = FileIdentity();
    // No access asked: only the file's information is read. Folders open too.
    FileDescriptor file = openShared(path, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (!file) return errno == ENOENT;
    return identityOf(file, identity);
}

// The file index stands where POSIX has the inode, the volume's serial
// number for the device.
bool identityOf(const FileDescriptor& file, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION information;
    FILE_BASIC_INFO times;
    if (!GetFileInformationByHandle(file.get(), &information) ||
        !GetFileInformationByHandleEx(file.get(), FileBasicInfo, &times, sizeof times)) {
        return failedWithLastError();
    }
    identity = {true,
                (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0,
                information.dwVolumeSerialNumber,
                joined(information.nFileIndexHigh, information.nFileIndexLow),
                joined(information.nFileSizeHigh, information.nFileSizeLow),
                nanoseconds(information.ftLastWriteTime),
                static_cast<long long>(times.ChangeTime.QuadPart) * 100};
    return true;
}

FileDescriptor openForReading(const std::string& path) {
    return openShared(path, GENERIC_READ, OPEN_EXISTING);
}

FileDescriptor openForAppending(const std::string& path) {
    return openShared(path, GENERIC_WRITE, OPEN_EXISTING);
}

bool readFrom(const FileDescriptor& file, std::uint64_t offset, std::string& content) {
    char buffer[65536];
    for (;;) {
        OVERLAPPED at {};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD n = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &n, &at)) {
            // A read that starts at the end says so.
            return GetLastError() == ERROR_HANDLE_EOF || failedWithLastError();
        }
        if (n == 0) return true;
        content.append(buffer, n);
        offset += n;
    }
}

bool truncateTo(const FileDescriptor& file, std::uint64_t size) {
    return moveTo(file, size, FILE_BEGIN) && (SetEndOfFile(file.get()) || failedWithLastError());
}

// Writers hold the root lock, so the end found is the end written at.
bool appendAll(const FileDescriptor& file, std::string_view data) {
    if (!moveTo(file, 0, FILE_END)) return false;
    while (!data.empty()) {
        DWORD chunk = data.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(data.size());
        DWORD written = 0;
        if (!WriteFile(file.get(), data.data(), chunk, &written, nullptr)) return failedWithLastError();
        data.remove_prefix(written);
    }
    return true;
}

bool flushToDisk(const FileDescriptor& file) {
    return FlushFileBuffers(file.get()) || failedWithLastError();
}

// The user's profile, where the root is, is the user's alone by its
// access-control list; Windows files have no owner-only mode to narrow.
Status guardPrivateFile(const std::string&, mode_t) { return {}; }

}  // namespace standin::ras

// kernel32 stand-ins: version, module file name, file attributes, run-time
// linking, named mutexes and the thread's last-error value.
#include "windows.h"

#include "SystemRoot.h"
#include "VersionIdentity.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

std::string executablePath() {
    // readlink does not say whether it cut the path: grow until it fits.
    std::vector<char> buffer(1024);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n <= 0) return {};
        if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

bool endsWith(const std::string& text, const char* suffix) {
    size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

std::string directoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// "RASAPI32.DLL" (or "rasapi32", as Windows appends ".dll" to a bare name)
// -> "librasapi32.so", in the same directory when a path names it
// ("/opt/kivora/RASAPI32.DLL" -> "/opt/kivora/librasapi32.so"). A path to
// anything but a DLL, or a shared object ("x.so", "x.so.1"), is left as it is.
std::string sharedObjectName(const std::string& name) {
    const size_t slash = name.rfind('/');
    std::string base = name.substr(slash == std::string::npos ? 0 : slash + 1);
    for (char& c : base) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (slash != std::string::npos && !endsWith(base, ".dll")) return name;
    if (endsWith(base, ".so") || base.find(".so.") != std::string::npos) return name;
    if (endsWith(base, ".dll")) base.resize(base.size() - 4);
    return name.substr(0, slash + 1) + "lib" + base + ".so";
}

// How many times each library is loaded: as on Windows, its DllMain (when
// it exports one) is told DLL_PROCESS_ATTACH at the first load and
// DLL_PROCESS_DETACH at the last free, on the calling thread, outside the
// dynamic loader's own lock.
std::mutex loadedMutex;
std::map<void*, int>& loadCounts() {
    static auto* counts = new std::map<void*, int>;
    return *counts;
}

PDLL_ENTRY entryOf(void* handle) { return reinterpret_cast<PDLL_ENTRY>(dlsym(handle, "DllMain")); }

}  // namespace

extern "C" {

DWORD WINAPI GetLastError() { return lastError; }
void WINAPI SetLastError(DWORD error) { lastError = error; }

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
    // Only the 148-byte OSVERSIONINFOA is known here.
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    standin::VersionIdentity identity;
    std::string error;
    DWORD result = standin::loadVersionIdentity(identity, error);
    if (result != ERROR_SUCCESS) {
        SetLastError(result);
        return FALSE;
    }
    info->dwMajorVersion = identity.majorVersion;
    info->dwMinorVersion = identity.minorVersion;
    info->dwBuildNumber = identity.buildNumber;
    info->dwPlatformId = identity.platformId;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    // The identity file never holds more than 127 bytes; bounded all the same.
    std::memcpy(info->szCSDVersion, identity.csdVersion.data(),
                std::min(identity.csdVersion.size(), sizeof info->szCSDVersion - 1));
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    if (module != nullptr || fileName == nullptr || size == 0) {
        SetLastError(module != nullptr ? ERROR_MOD_NOT_FOUND : ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::string path = executablePath();
    if (path.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    if (path.size() >= size) {
        // As Windows does: truncated to size - 1 characters plus the
        // terminator, the full size returned and the error set.
        std::memcpy(fileName, path.data(), size - 1);
        fileName[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(fileName, path.c_str(), path.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
}

DWORD WINAPI GetFileAttributesA(LPCSTR fileName) {
    struct stat st {};
    if (fileName == nullptr || *fileName == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (stat(fileName, &st) != 0) {
        DWORD error = ERROR_FILE_NOT_FOUND;
        if (errno == ENOTDIR) error = ERROR_PATH_NOT_FOUND;
        if (errno == EACCES) error = ERROR_ACCESS_DENIED;
        SetLastError(error);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    return (st.st_mode & S_IWUSR) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
}

// Installed, the program's libraries (librasapi32.so) stand in its own
// folder: that folder is the system directory here.
UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
    const std::string directory = directoryOf(executablePath());
    if (directory.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    // As Windows does: too small a buffer is told the size it needs,
    // terminator included.
    if (buffer == nullptr || directory.size() >= size) return static_cast<UINT>(directory.size() + 1);
    std::memcpy(buffer, directory.c_str(), directory.size() + 1);
    return static_cast<UINT>(directory.size());
}

HMODULE WINAPI LoadLibraryA(LPCSTR fileName) { return LoadLibraryExA(fileName, nullptr, 0); }

HMODULE WINAPI LoadLibraryExA(LPCSTR fileName, HANDLE file, DWORD flags) {
    if (fileName == nullptr || *fileName == '\0' || file != nullptr || (flags & ~LOAD_WITH_ALTERED_SEARCH_PATH) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string name = sharedObjectName(fileName);
    // The program's own directory first, as Windows searches it. A library
    // found there is the one loaded: if it cannot be loaded the call fails,
    // as on Windows, rather than falling back to another copy elsewhere.
    const std::string directory = directoryOf(executablePath());
    if (name.find('/') == std::string::npos && !directory.empty()) {
        std::string local = directory + "/" + name;
        if (access(local.c_str(), F_OK) == 0) name = local;
    }
    void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    std::lock_guard guard(loadedMutex);
    if (++loadCounts()[handle] == 1) {
        PDLL_ENTRY entry = entryOf(handle);
        if (entry != nullptr && !entry(reinterpret_cast<HINSTANCE>(handle), DLL_PROCESS_ATTACH, nullptr)) {
            loadCounts().erase(handle);
            dlclose(handle);
            SetLastError(ERROR_DLL_INIT_FAILED);
            return nullptr;
        }
    }
    return reinterpret_cast<HMODULE>(handle);
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName) {
    if (module == nullptr || procName == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void* symbol = dlsym(reinterpret_cast<void*>(module), procName);
    if (symbol == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL WINAPI FreeLibrary(HMODULE module) {
    if (module != nullptr) {
        std::lock_guard guard(loadedMutex);
        auto loaded = loadCounts().find(reinterpret_cast<void*>(module));
        if (loaded != loadCounts().end() && --loaded->second == 0) {
            loadCounts().erase(loaded);
            if (PDLL_ENTRY entry = entryOf(reinterpret_cast<void*>(module))) {
                entry(reinterpret_cast<HINSTANCE>(module), DLL_PROCESS_DETACH, nullptr);
            }
        }
    }
    if (module == nullptr || dlclose(reinterpret_cast<void*>(module)) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

// A named mutex is a lock file in the system root: the first process to open
// the name holds its lock until it closes the handle, and every later opener
// meanwhile is told ERROR_ALREADY_EXISTS, which is all Kivora asks of it.
HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES /*attributes*/, BOOL /*initialOwner*/, LPCSTR name) {
    std::string error;
    if (name == nullptr || *name == '\0' || std::strchr(name, '/') != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!standin::ensureSystemRoot(error)) {
        SetLastError(standin::errorFromErrno(errno));
        return nullptr;
    }
    const std::string path = standin::rootFile(std::string("mutex-") + name + ".lock");
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        SetLastError(standin::errorFromErrno(errno));
        return nullptr;
    }
    SetLastError(flock(fd, LOCK_EX | LOCK_NB) == 0 ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS);
    // Descriptor + 1, so that descriptor 0 is not the null handle.
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd) + 1);
}

BOOL WINAPI CloseHandle(HANDLE handle) {
    const auto fd = reinterpret_cast<std::intptr_t>(handle) - 1;
    if (handle == nullptr || close(static_cast<int>(fd)) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"

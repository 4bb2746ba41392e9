// kernel32 stand-ins: module file name, file attributes, run-time linking
// and the thread's last-error value.
#include "windows.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <string>

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

std::string executablePath() {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    return std::string(buffer, static_cast<size_t>(n));
}

// "RASAPI32.DLL" -> "librasapi32.so"; a name with a path, or one that is
// already a shared object, is left as it is.
std::string sharedObjectName(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    std::string base = name;
    for (char& c : base) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (base.size() > 4 && base.compare(base.size() - 4, 4, ".dll") == 0) {
        base.resize(base.size() - 4);
    } else if (base.find(".so") != std::string::npos) {
        return name;
    }
    return "lib" + base + ".so";
}

}  // namespace

extern "C" {

DWORD WINAPI GetLastError() { return lastError; }
void WINAPI SetLastError(DWORD error) { lastError = error; }

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
    if (fileName == nullptr || stat(fileName, &st) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    return (st.st_mode & S_IWUSR) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
}

HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
    if (fileName == nullptr || *fileName == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string name = sharedObjectName(fileName);
    void* handle = nullptr;
    // The program's own directory first, as Windows searches it.
    if (name.find('/') == std::string::npos) {
        std::string exe = executablePath();
        size_t slash = exe.rfind('/');
        if (slash != std::string::npos) {
            handle = dlopen((exe.substr(0, slash + 1) + name).c_str(), RTLD_NOW | RTLD_LOCAL);
        }
    }
    if (handle == nullptr) handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
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
    if (module == nullptr || dlclose(reinterpret_cast<void*>(module)) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"

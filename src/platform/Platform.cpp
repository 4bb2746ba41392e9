#include "Platform.h"

#ifdef _WIN32
#include "Cp932.h"
#endif

#include <cstdio>
#include <cstring>

OsKind classifyVersion(const OSVERSIONINFOA& info) {
    switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
        return 0;
    case VER_PLATFORM_WIN32_WINDOWS: {
        DWORD build = info.dwBuildNumber & 0xFFFF;
        if (info.dwMinorVersion >= 90) return 6;
        if (info.dwMinorVersion >= 10) return build < 2222 ? 4 : 5;
        if (build < 1111) return 1;
        return build < 1212 ? 2 : 3;
    }
    case VER_PLATFORM_WIN32_NT:
        if (info.dwMajorVersion < 5) return 7;
        return info.dwMinorVersion == 0 ? 8 : 9;
    default:
        return kOsKindUnknown;
    }
}

int probePlatform(OsKind& kind) {
    kind = kOsKindUnknown;
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return 0;
    kind = classifyVersion(info);
    return 1;
}

namespace {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';

// Character by character: the backslash's byte is also a possible trail byte
// of a double-byte character ("ソ" is 0x83 0x5C).
char* lastSeparator(char* path) {
    char* last = nullptr;
    for (char* at = path; *at != '\0'; ++at) {
        if (*at == '\\' || *at == '/') last = at;
        if (cp932::isLeadByte(static_cast<unsigned char>(*at)) && at[1] != '\0') ++at;
    }
    return last;
}
#else
constexpr char kPathSeparator = '/';

// Byte by byte: the separator never occurs inside a multi-byte character.
char* lastSeparator(char* path) { return std::strrchr(path, '/'); }
#endif

}  // namespace

int programDirectory(char* directory) {
    if (directory == nullptr) return 0;
    directory[0] = '\0';
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 0;
    char* last = lastSeparator(module);
    if (last != nullptr) *last = '\0';
    std::memcpy(directory, module, std::strlen(module) + 1);
    return 1;
}

namespace {

bool joinPath(const char* directory, const char* fileName, char* path) {
    int written = std::snprintf(path, MAX_PATH, "%s%c%s", directory, kPathSeparator, fileName);
    if (written < 0 || written >= static_cast<int>(MAX_PATH)) {
        path[0] = '\0';
        return false;
    }
    return true;
}

}  // namespace

bool dataFilePath(const char* fileName, char* path) {
    path[0] = '\0';
    char directory[MAX_PATH];
    return programDirectory(directory) && joinPath(directory, fileName, path);
}

bool systemFilePath(const char* fileName, char* path) {
    path[0] = '\0';
    char directory[MAX_PATH];
    const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
    return length > 0 && length < MAX_PATH && joinPath(directory, fileName, path);
}

#ifdef _WIN32
void keepLibrarySearchToTheSystem() {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    // Windows XP SP1 and later: the current directory leaves the search.
    if (const auto setDllDirectory = procedureAddress<BOOL(WINAPI*)(LPCSTR)>(kernel, "SetDllDirectoryA")) {
        setDllDirectory("");
    }
    // Windows 7, and Vista with update KB2533623: the system folder alone.
    if (const auto setDefaultDllDirectories = procedureAddress<BOOL(WINAPI*)(DWORD)>(kernel, "SetDefaultDllDirectories")) {
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}
#endif

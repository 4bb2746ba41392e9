// advapi32 stand-ins: RegOpenKeyExA, RegSetValueExA, RegCloseKey over the
// REGEDIT4 hive files of the system root.
#include "Registry.h"

#include "SystemRoot.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

namespace standin {

namespace {

// Windows' limit on a value name, in characters; bytes here.
constexpr size_t kMaxValueName = 16383;

// What a handle from RegOpenKeyExA stands for.
struct OpenKey {
    const HiveFile* file;
    std::string path;
    REGSAM access;
    bool predefined;  // HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE itself
};

std::mutex handlesMutex;
std::map<ULONG_PTR, OpenKey> openKeys;
ULONG_PTR nextHandle = 0x1000;

const HiveFile* predefinedHive(HKEY key) {
    for (const HiveFile& file : hiveFiles()) {
        if (file.root == key) return &file;
    }
    return nullptr;
}

// The hive and path a handle names: a predefined root (full access) or a key
// opened before.
bool resolve(HKEY key, OpenKey& out) {
    if (const HiveFile* file = predefinedHive(key)) {
        out = OpenKey{file, "", KEY_ALL_ACCESS, true};
        return true;
    }
    std::lock_guard<std::mutex> guard(handlesMutex);
    auto it = openKeys.find(reinterpret_cast<ULONG_PTR>(key));
    if (it == openKeys.end()) return false;
    out = it->second;
    return true;
}

std::string seedText(const HiveFile& file) {
    Hive hive(file.rootName);
    if (file.root == HKEY_CURRENT_USER) {
        hive.addKey("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
        hive.addKey("RemoteAccess");
    } else {
        hive.addKey("SOFTWARE\\Microsoft\\RAS AutoDial\\Default");
    }
    return hive.serialize();
}

bool wantsWrite(REGSAM access) {
    // KEY_SET_VALUE, KEY_CREATE_SUB_KEY, and the generic and standard write
    // rights (GENERIC_WRITE, GENERIC_ALL, DELETE, WRITE_DAC, WRITE_OWNER).
    return (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | 0x40000000u | 0x10000000u | 0x000D0000u)) != 0;
}

DWORD writeValue(const OpenKey& key, const RegistryValue& value) {
    RootLock lock;
    if (!lock.held()) return errorFromErrno(lock.errorNumber());
    std::string path = rootFile(key.file->fileName);
    // Read, change and write back inside the lock, so that a concurrent
    // writer's value is never lost.
    std::string content;
    ReadResult read = readWholeFile(path, content);
    if (read == ReadResult::Missing) {
        // A predefined key is always there: this is the hive's first use. A
        // key opened before lost its file meanwhile.
        if (!key.predefined) return ERROR_KEY_DELETED;
        content = seedText(*key.file);
    } else if (read != ReadResult::Ok) {
        return ERROR_CANTREAD;
    }
    Hive hive(key.file->rootName);
    std::string error;
    if (!hive.parse(content, error)) return ERROR_BADDB;
    if (isHiveReadOnly(*key.file)) return ERROR_ACCESS_DENIED;
    if (!hive.setValue(key.path, value)) return ERROR_KEY_DELETED;
    struct stat st {};
    mode_t mode = stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    if (!replaceFileAtomically(path, hive.serialize(), mode)) return errorFromErrno(errno);
    return ERROR_SUCCESS;
}

}  // namespace

const std::vector<HiveFile>& hiveFiles() {
    static const std::vector<HiveFile> files = {
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU.reg"},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM.reg"},
    };
    return files;
}

DWORD loadHive(const HiveFile& file, Hive& hive, std::string& error) {
    std::string content;
    DWORD read = readSeededFile(file.fileName, seedText(file), content, error);
    if (read != ERROR_SUCCESS) return read;
    std::string why;
    if (!hive.parse(content, why)) {
        error = damagedFileMessage(file.fileName, why);
        return ERROR_BADDB;
    }
    return ERROR_SUCCESS;
}

bool isHiveReadOnly(const HiveFile& file) {
    std::string path = rootFile(file.fileName);
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return false;
    // access() grants root everything, so the owner write bit decides first.
    return (st.st_mode & S_IWUSR) == 0 || access(path.c_str(), W_OK) != 0;
}

}  // namespace standin

using namespace standin;

extern "C" {

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    OpenKey parent;
    if (!resolve(key, parent)) return ERROR_INVALID_HANDLE;
    // REG_OPTION_OPEN_LINK (symbolic links) has no counterpart in the store.
    if (options != 0) return ERROR_INVALID_PARAMETER;

    std::string path = parent.path;
    std::string_view sub = subKey != nullptr ? subKey : "";
    if (!sub.empty()) {
        if (sub.front() == '\\') return ERROR_BAD_PATHNAME;
        // Windows accepts one trailing separator; a 0x5C trail byte is not one.
        std::vector<std::string> components;
        std::string_view trimmed = sub;
        if (trimmed.back() == '\\' && !Hive::splitPath(trimmed, components)) trimmed.remove_suffix(1);
        if (!Hive::splitPath(trimmed, components)) return ERROR_FILE_NOT_FOUND;
        if (!path.empty()) path += '\\';
        path += trimmed;
    }

    Hive hive(parent.file->rootName);
    std::string error;
    DWORD loaded = loadHive(*parent.file, hive, error);
    if (loaded != ERROR_SUCCESS) return static_cast<LONG>(loaded);
    if (!hive.hasKey(path)) return ERROR_FILE_NOT_FOUND;
    if (wantsWrite(desired) && isHiveReadOnly(*parent.file)) return ERROR_ACCESS_DENIED;

    std::lock_guard<std::mutex> guard(handlesMutex);
    ULONG_PTR handle = nextHandle;
    nextHandle += 4;
    openKeys.emplace(handle, OpenKey{parent.file, path, desired, false});
    *result = reinterpret_cast<HKEY>(handle);
    return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD /*reserved*/, DWORD type, const BYTE* data,
                           DWORD size) {
    OpenKey open;
    if (!resolve(key, open)) return ERROR_INVALID_HANDLE;
    if ((open.access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    if (data == nullptr && size != 0) return ERROR_NOACCESS;

    RegistryValue value;
    value.name = valueName != nullptr ? valueName : "";
    if (value.name.size() > kMaxValueName || !isStorableText(value.name)) return ERROR_INVALID_PARAMETER;
    value.type = type;
    if (type == REG_DWORD) {
        if (size != sizeof(DWORD)) return ERROR_INVALID_PARAMETER;
        std::memcpy(&value.number, data, sizeof(DWORD));
    } else if (type == REG_SZ) {
        // Exactly one string and its terminator: anything else (no
        // terminator, bytes after it) would not read back as written.
        if (size == 0 || data[size - 1] != 0) return ERROR_INVALID_PARAMETER;
        value.text.assign(reinterpret_cast<const char*>(data), size - 1);
        if (value.text.find('\0') != std::string::npos || !isStorableText(value.text)) {
            return ERROR_INVALID_PARAMETER;
        }
    } else {
        return ERROR_INVALID_PARAMETER;
    }
    return static_cast<LONG>(writeValue(open, value));
}

LONG WINAPI RegCloseKey(HKEY key) {
    if (predefinedHive(key) != nullptr) return ERROR_SUCCESS;
    std::lock_guard<std::mutex> guard(handlesMutex);
    return openKeys.erase(reinterpret_cast<ULONG_PTR>(key)) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // extern "C"

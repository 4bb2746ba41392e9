// Journals kept by Windows' own calls. The folder is in the user's local
// (not roaming) application data, so no profile server ever holds a copy;
// the user's own folder keeps others out by its inherited access list. A
// name that is a reparse point (a link or a junction) is not followed.
// Passwords are sealed with the data protection API for the current user.
#include "JournalStorage.h"

#include <windows.h>
#include <shlobj.h>
#include <wincrypt.h>

#include <memory>

namespace journalstorage {

namespace {

struct HandleCloser {
    void operator()(void* handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

Outcome openFailure() {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Outcome::Missing : Outcome::Failed;
}

// A folder that is itself, not a link to another.
Outcome checkFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return openFailure();
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return Outcome::Untrusted;
    }
    return Outcome::Done;
}

// The journal itself, opened without following a reparse point, and a plain
// file under this one name.
Outcome openJournal(const std::string& path, DWORD access, Handle& file) {
    HANDLE opened = CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return openFailure();
    file.reset(opened);
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(opened, &information)) return Outcome::Failed;
    const DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    if ((information.dwFileAttributes & notPlain) != 0 || information.nNumberOfLinks != 1) return Outcome::Untrusted;
    return Outcome::Done;
}

bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// What only this user's programs can make sense of: the data protection
// API's own, tied to the journal's purpose.
DATA_BLOB purpose() {
    static char text[] = "Kivora change journal";
    return {sizeof text - 1, reinterpret_cast<BYTE*>(text)};
}

}  // namespace

Outcome findFolder(std::string& folder) {
    folder.clear();
    char base[MAX_PATH];
    if (SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base) != S_OK) {
        return Outcome::Failed;
    }
    folder = std::string(base) + "\\Kivora";
    if (Outcome outcome = checkFolder(base); outcome != Outcome::Done) return outcome;
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return Outcome::Failed;
    return checkFolder(folder);
}

Outcome readFile(const std::string& path, std::string& content) {
    content.clear();
    Handle file;
    if (Outcome outcome = openJournal(path, GENERIC_READ, file); outcome != Outcome::Done) return outcome;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return Outcome::Failed;
        if (read == 0) return Outcome::Done;
        content.append(buffer, read);
    }
}

bool replaceFile(const std::string& path, std::string_view content) {
    const std::string temporary = path + ".new";
    DeleteFileA(temporary.c_str());
    HANDLE opened = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return false;
    Handle file(opened);
    bool written = writeAll(opened, content) && FlushFileBuffers(opened);
    file.reset();
    if (!written ||
        !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

AppendFile::~AppendFile() { close(); }

Outcome AppendFile::open(const std::string& path, std::uint64_t length) {
    close();
    Handle file;
    if (Outcome outcome = openJournal(path, GENERIC_WRITE, file); outcome != Outcome::Done) return outcome;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(length);
    if (!SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get())) return Outcome::Failed;
    handle_ = file.release();
    return Outcome::Done;
}

bool AppendFile::append(std::string_view bytes, bool durable) {
    return handle_ != nullptr && writeAll(handle_, bytes) && (!durable || FlushFileBuffers(handle_));
}

bool AppendFile::isOpen() const { return handle_ != nullptr; }

void AppendFile::close() {
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = nullptr;
}

bool randomBytes(std::size_t count, std::string& bytes) {
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
        return false;
    }
    bytes.assign(count, '\0');
    const bool made = CryptGenRandom(provider, static_cast<DWORD>(count), reinterpret_cast<BYTE*>(bytes.data()));
    CryptReleaseContext(provider, 0);
    return made;
}

bool sealSecret(const std::string& secret, std::string& sealed) {
    DATA_BLOB in{static_cast<DWORD>(secret.size()), reinterpret_cast<BYTE*>(const_cast<char*>(secret.data()))};
    DATA_BLOB entropy = purpose();
    DATA_BLOB out{};
    if (!CryptProtectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) return false;
    sealed.assign(reinterpret_cast<const char*>(out.pbData), out.cbData);
    LocalFree(out.pbData);
    return true;
}

bool unsealSecret(const std::string& sealed, std::string& secret) {
    DATA_BLOB in{static_cast<DWORD>(sealed.size()), reinterpret_cast<BYTE*>(const_cast<char*>(sealed.data()))};
    DATA_BLOB entropy = purpose();
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) return false;
    secret.assign(reinterpret_cast<const char*>(out.pbData), out.cbData);
    SecureZeroMemory(out.pbData, out.cbData);
    LocalFree(out.pbData);
    return true;
}

}  // namespace journalstorage

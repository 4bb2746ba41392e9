#include "DefaultConnection.h"

#include "Platform.h"
#include "windows.h"

#include <cstring>

namespace {

// A registry key opened for writing, closed with its owner.
class WritableKey {
public:
    WritableKey(HKEY root, const char* path) {
        if (RegOpenKeyExA(root, path, 0, KEY_WRITE, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~WritableKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    WritableKey(const WritableKey&) = delete;
    WritableKey& operator=(const WritableKey&) = delete;

    bool isOpen() const { return key_ != nullptr; }
    void setNumber(const char* name, DWORD value) {
        RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    void setText(const char* name, const char* text) {
        RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>(std::strlen(text) + 1));
    }

private:
    HKEY key_ = nullptr;
};

}  // namespace

int setDefaultConnection(const char* entryName) {
    if (entryName == nullptr || *entryName == '\0') return 0;

    {
        WritableKey settings(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
        if (settings.isOpen()) {
            settings.setNumber("EnableAutodial", 1);
            settings.setNumber("NoNetAutodial", 0);
        }
    }

    OsKind kind = kOsKindUnknown;
    probePlatform(kind);
    if (kind == kOsKindXp) {
        WritableKey autoDial(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\RAS AutoDial\\Default");
        if (autoDial.isOpen()) autoDial.setText("DefaultInternet", entryName);
    } else {
        WritableKey remoteAccess(HKEY_CURRENT_USER, "RemoteAccess");
        if (remoteAccess.isOpen()) remoteAccess.setText("InternetProfile", entryName);
    }
    return 1;
}

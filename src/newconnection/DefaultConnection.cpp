#include "DefaultConnection.h"

#include "Platform.h"
#include "Text.h"

#include <cstdio>
#include <cstring>

using resources::text;

namespace {

// A registry key opened for writing, closed with its owner. Every call's
// first failure is kept.
class WritableKey {
public:
    WritableKey(HKEY root, const char* path) {
        error_ = RegOpenKeyExA(root, path, 0, KEY_WRITE, &key_);
        if (error_ != ERROR_SUCCESS) key_ = nullptr;
    }
    ~WritableKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    WritableKey(const WritableKey&) = delete;
    WritableKey& operator=(const WritableKey&) = delete;

    LONG error() const { return error_; }
    void setNumber(const char* name, DWORD value) {
        set(name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    void setText(const char* name, const char* text) {
        set(name, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(std::strlen(text) + 1));
    }

private:
    void set(const char* name, DWORD type, const BYTE* data, DWORD size) {
        if (key_ == nullptr) return;
        LONG result = RegSetValueExA(key_, name, 0, type, data, size);
        if (error_ == ERROR_SUCCESS) error_ = result;
    }

    HKEY key_ = nullptr;
    LONG error_ = ERROR_SUCCESS;
};

std::string unwrittenLine(const char* setting, LONG code) {
    char line[256];
    std::snprintf(line, sizeof line, text("・%s（エラーコード：%d）"), setting, static_cast<int>(code));
    return line;
}

}  // namespace

DefaultConnectionResult setDefaultConnection(const char* entryName) {
    DefaultConnectionResult result;
    if (entryName == nullptr || *entryName == '\0') return result;

    {
        WritableKey settings(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
        settings.setNumber("EnableAutodial", 1);
        settings.setNumber("NoNetAutodial", 0);
        result.autoDial = settings.error();
    }

    OsKind kind = kOsKindUnknown;
    probePlatform(kind);
    result.perMachine = kind == kOsKindXp;
    if (result.perMachine) {
        WritableKey autoDial(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\RAS AutoDial\\Default");
        autoDial.setText("DefaultInternet", entryName);
        result.entryName = autoDial.error();
    } else {
        WritableKey remoteAccess(HKEY_CURRENT_USER, "RemoteAccess");
        remoteAccess.setText("InternetProfile", entryName);
        result.entryName = remoteAccess.error();
    }
    return result;
}

std::string defaultConnectionWarning(const char* entryName, const DefaultConnectionResult& result) {
    if (result.complete()) return {};
    std::string message = std::string("[") + entryName + "]" +
                          text("は作成しましたが、「既定の接続」にする次の設定を書き込めませんでした") + "\n";
    if (result.autoDial != ERROR_SUCCESS) {
        message += "\n" + unwrittenLine(text("自動ダイヤルを使う設定：EnableAutodial、NoNetAutodial"), result.autoDial);
    }
    if (result.entryName != ERROR_SUCCESS) {
        message += "\n" + unwrittenLine(result.perMachine ? text("既定の接続の名前：DefaultInternet")
                                                      : text("既定の接続の名前：InternetProfile"),
                                    result.entryName);
    }
    return message;
}

#include "ConnectionCreation.h"

#include "Cp932.h"
#include "DefaultConnection.h"
#include "IspSettings.h"
#include "MessageBox.h"
#include "Platform.h"
#include "RasLists.h"
#include "RasRecords.h"
#include "Text.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

using resources::text;

namespace {

constexpr DWORD kEntryOptions = RASEO_IpHeaderCompression | RASEO_RemoteDefaultGateway | RASEO_ModemLights |
                                RASEO_PreviewUserPw | RASEO_ShowDialingProgress;
constexpr DWORD kJapan = 81;

// The message of a code that has its own; null for the others.
const char* creationErrorText(DWORD code) {
    switch (code) {
    case ERROR_BUFFER_INVALID:
        return text("ダイヤルアップネットワーク設定の作成に失敗しました\n\nアドレスまたは参照先のバッファが無効です。");
    case ERROR_CANNOT_OPEN_PHONEBOOK:
        return text(
            "ダイヤルアップネットワーク設定の作成に失敗しました\n\n"
            "電話帳が壊れているか、必要なコンポーネントがありません。");
    case ERROR_OUTOFMEMORY:
        return text(
            "ダイヤルアップネットワーク設定の作成に失敗しました\n\n"
            "モデムを検出できませんでした。接続されているか確認してください。");
    case ERROR_INVALID_USER_BUFFER:
        return text(
            "ダイヤルアップネットワーク設定の作成に失敗しました\n\n"
            "現在使用中の環境ではダイヤルアップネットワークを作成できません。\n"
            "適切な環境にしてから再度チャレンジしてください。");
    default: return nullptr;
    }
}

void showCreationError(DWORD code) {
    if (const char* message = creationErrorText(code)) {
        ui::messageBox(message, MB_ICONWARNING | MB_OK);
        return;
    }
    char message[128];
    std::snprintf(message, sizeof message,
                  text("ダイヤルアップネットワーク設定の作成に失敗しました\n\nエラーコード：%d"),
                  static_cast<int>(code));
    ui::messageBox(message, MB_ICONWARNING | MB_OK);
}

// An entry as it stood before it is replaced, to be put back should the
// replacement fail.
struct FormerEntry {
    std::string name;  // as the phonebook spells it
    RASENTRYA properties;
    RASDIALPARAMSA dialParams;
    BOOL hasPassword = FALSE;
};

enum class Lookup { Absent, Read, Unreadable };

Lookup readFormerEntry(const RasFunctionTable& ras, const std::string& entryName, FormerEntry& former) {
    if (ras.RasGetEntryPropertiesA == nullptr || ras.RasGetEntryDialParamsA == nullptr) return Lookup::Unreadable;
    std::memset(&former.properties, 0, sizeof former.properties);
    former.properties.dwSize = sizeof(RASENTRYA);
    DWORD size = sizeof(RASENTRYA);
    DWORD result = ras.RasGetEntryPropertiesA(nullptr, entryName.c_str(), &former.properties, &size, nullptr, nullptr);
    if (result == ERROR_CANNOT_FIND_PHONEBOOK_ENTRY) return Lookup::Absent;
    if (result != 0) return Lookup::Unreadable;

    std::vector<std::string> names;
    if (enumerateEntryNames(ras, names) != 0) return Lookup::Unreadable;
    for (const std::string& name : names) {
        if (cp932::compareNoCaseMultiByte(name, entryName) == 0) former.name = name;
    }
    std::memset(&former.dialParams, 0, sizeof former.dialParams);
    former.dialParams.dwSize = sizeof(RASDIALPARAMSA);
    if (former.name.empty() || !copyToField(former.dialParams.szEntryName, former.name)) return Lookup::Unreadable;
    if (ras.RasGetEntryDialParamsA(nullptr, &former.dialParams, &former.hasPassword) != 0) return Lookup::Unreadable;
    return Lookup::Read;
}

void restoreFormerEntry(const RasFunctionTable& ras, FormerEntry& former) {
    DWORD result =
        ras.RasSetEntryPropertiesA(nullptr, former.name.c_str(), &former.properties, sizeof(RASENTRYA), nullptr, 0);
    if (result == 0 && ras.RasSetEntryDialParamsA != nullptr) {
        ras.RasSetEntryDialParamsA(nullptr, &former.dialParams, former.hasPassword ? FALSE : TRUE);
    }
}

// The new entry's record; nullopt when a text does not fit its field.
std::optional<RASENTRYA> newEntryRecord(const std::string& deviceName, const std::string& accessNumber, bool pulse) {
    RASENTRYA entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof(RASENTRYA);
    entry.dwfOptions = kEntryOptions;
    RASIPADDR primary{};
    RASIPADDR secondary{};
    if (IspSettings().lookupDnsServers(primary, secondary)) {
        entry.dwfOptions |= RASEO_SpecificNameServers;
        entry.ipaddrDns = primary;
        entry.ipaddrDnsAlt = secondary;
    }
    entry.dwCountryID = kJapan;
    entry.dwCountryCode = kJapan;
    entry.dwfNetProtocols = RASNP_Ip;
    entry.dwFramingProtocol = RASFP_Ppp;
    if (!copyToField(entry.szDeviceType, RASDT_Modem) ||
        !copyToField(entry.szLocalPhoneNumber, dialPrefix(pulse) + accessNumber) ||
        !copyToField(entry.szDeviceName, deviceName)) {
        return std::nullopt;
    }
    return entry;
}

}  // namespace

std::string dialPrefix(bool pulse) {
    if (!pulse) return {};
    OsKind kind = kOsKindUnknown;
    probePlatform(kind);
    // Unsigned, so the unknown platform takes the NT family's prefix.
    return kind <= kOsKindMe ? "PP" : "P";
}

std::size_t accessNumberRoom(bool pulse) {
    return RAS_MaxPhoneNumber - dialPrefix(pulse).size();
}

std::size_t userNameRoom(const std::string& domain) {
    return domain.size() < UNLEN ? UNLEN - domain.size() : 0;
}

DWORD createEntry(const RasFunctionTable& ras, const std::string& entryName, const std::string& deviceName,
                  const std::string& accessNumber, bool pulse) {
    std::optional<RASENTRYA> entry = newEntryRecord(deviceName, accessNumber, pulse);
    DWORD result = !entry ? ERROR_INVALID_PARAMETER : ras.RasSetEntryPropertiesA == nullptr ? kRasNotBound : 0;
    if (result != 0) {
        showCreationError(result);
        return result;
    }

    // Nothing of a former entry of that name may survive, its stored password
    // included; but it is removed only once it could be read whole, so that
    // it can be put back.
    FormerEntry former;
    const Lookup lookup = readFormerEntry(ras, entryName, former);
    if (lookup == Lookup::Read && ras.RasDeleteEntryA != nullptr) ras.RasDeleteEntryA(nullptr, entryName.c_str());

    result = ras.RasSetEntryPropertiesA(nullptr, entryName.c_str(), &*entry, sizeof(RASENTRYA), nullptr, 0);
    if (result == 0) return 0;
    if (lookup == Lookup::Read) restoreFormerEntry(ras, former);
    showCreationError(result);
    return result;
}

bool saveDialParams(const RasFunctionTable& ras, const std::string& entryName, const std::string& userName,
                    const std::string& password) {
    // Unanswered, the question about the active connections leaves the
    // account unstored: that is a failure, never a success.
    if (queryActiveConnections(ras) != 0) return false;

    RASDIALPARAMSA params;
    std::memset(&params, 0, sizeof params);
    params.dwSize = sizeof(RASDIALPARAMSA);
    if (!copyToField(params.szEntryName, entryName) || !copyToField(params.szUserName, userName) ||
        !copyToField(params.szPassword, password)) {
        return false;
    }
    if (ras.RasSetEntryDialParamsA == nullptr) return false;
    return ras.RasSetEntryDialParamsA(nullptr, &params, password.empty() ? TRUE : FALSE) == 0;
}

bool createConnection(const RasFunctionTable& ras, const ConnectionRequest& request) {
    if (createEntry(ras, request.entryName, request.modem, request.accessNumber, request.pulse) != 0) return false;
    if (!saveDialParams(ras, request.entryName, request.userName + request.domain, request.password)) return false;
    if (request.makeDefault) setDefaultConnection(request.entryName.c_str());
    return true;
}

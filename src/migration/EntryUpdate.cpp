#include "EntryUpdate.h"

#include "IspSettings.h"
#include "MessageBox.h"
#include "Platform.h"
#include "RasLists.h"
#include "RasRecords.h"
#include "Text.h"

#include <cstdio>
#include <cstring>

using resources::text;

namespace {

bool isZero(const RASIPADDR& address) {
    return address.a == 0 && address.b == 0 && address.c == 0 && address.d == 0;
}

// Puts the new number into the entry the way the entry dials: split into
// area code and local number when it uses them, whole otherwise.
bool storeNumber(RASENTRYA& entry, std::string_view number) {
    if ((entry.dwfOptions & RASEO_UseCountryAndAreaCodes) == 0) return copyToField(entry.szLocalPhoneNumber, number);
    PhoneNumberParts parts = splitPhoneNumber(number);
    keepDigits(parts.areaCode);
    return copyToField(entry.szAreaCode, parts.areaCode) && copyToField(entry.szLocalPhoneNumber, parts.localNumber);
}

void applyNameServers(RASENTRYA& entry) {
    RASIPADDR primary{};
    RASIPADDR secondary{};
    if (!IspSettings().lookupDnsServers(primary, secondary)) {
        entry.dwfOptions &= ~RASEO_SpecificNameServers;
        return;
    }
    entry.dwfOptions |= RASEO_SpecificNameServers;
    if (!isZero(primary)) entry.ipaddrDns = primary;
    if (!isZero(secondary)) entry.ipaddrDnsAlt = secondary;
}

int refuse(DWORD result) {
    ui::messageBox(changeFailureMessage(result).c_str(), MB_ICONWARNING | MB_OK, text("Kivora"));
    return 0;
}

}  // namespace

EntryBuffer::EntryBuffer(DWORD reportedSize)
    // Never smaller than a whole record, so every field can be read whatever
    // size was reported.
    : records_(recordsFor<RASENTRYA>(reportedSize)), size_(reportedSize) {
    records_.front().dwSize = reportedSize;
}

PhoneNumberParts splitPhoneNumber(std::string_view number) {
    std::size_t dash = number.find('-');
    if (dash == std::string_view::npos) return {{}, std::string(number)};
    std::string_view local = number.substr(dash + 1);
    return {std::string(number.substr(0, dash)), local.empty() ? std::string("-") : std::string(local)};
}

void keepDigits(std::string& areaCode) {
    OsKind kind = kOsKindUnknown;
    probePlatform(kind);
    if (kind <= kOsKindMe) return;
    std::string digits;
    for (char c : areaCode) {
        if (c >= '0' && c <= '9') digits += c;
    }
    areaCode = digits;
}

int updateDialParams(const RasFunctionTable& ras, RASDIALPARAMSA& params, const char* newUser,
                     const char* newPassword, const char* savedPassword) {
    // Credentials are not changed under a connection the service cannot
    // account for.
    if (queryActiveConnections(ras) != 0 || ras.RasSetEntryDialParamsA == nullptr) return 0;
    if (newUser != nullptr && !copyToField(params.szUserName, newUser)) return 0;
    bool removePassword = false;
    if (newPassword == nullptr) {
        // No stored password stays none rather than becoming an empty one.
        removePassword = savedPassword == nullptr;
    } else if (savedPassword != nullptr && std::strcmp(newPassword, savedPassword) == 0) {
        // Unchanged.
    } else if (newPassword[0] == '\0') {
        removePassword = true;
    } else if (!copyToField(params.szPassword, newPassword)) {
        return 0;
    }
    return ras.RasSetEntryDialParamsA(nullptr, &params, removePassword ? TRUE : FALSE) == 0 ? 1 : 0;
}

int updateEntryProperties(const RasFunctionTable& ras, const char* entryName, EntryBuffer& buffer,
                          const char* newNumber, const char* newModem, bool withNameServers) {
    if (entryName == nullptr || ras.RasSetEntryPropertiesA == nullptr) return 0;
    if (newNumber == nullptr && newModem == nullptr) return 1;
    RASENTRYA& entry = buffer.entry();
    if (newNumber != nullptr && !storeNumber(entry, newNumber)) return refuse(kErrorNumberDoesNotFit);
    if (newModem != nullptr && !copyToField(entry.szDeviceName, newModem)) return refuse(kErrorNumberDoesNotFit);
    if (withNameServers) applyNameServers(entry);
    DWORD result = ras.RasSetEntryPropertiesA(nullptr, entryName, &entry, buffer.size(), nullptr, 0);
    return result == 0 ? 1 : refuse(result);
}

std::string changeFailureMessage(DWORD result) {
    switch (result) {
    case ERROR_BUFFER_INVALID:
        return text("ダイヤルアップネットワーク設定の変更に失敗しました\n\nアドレスまたは参照先のバッファが無効です。");
    case ERROR_CANNOT_OPEN_PHONEBOOK:
        return text("ダイヤルアップネットワーク設定の変更に失敗しました\n\n"
                    "電話帳が壊れているか、必要なコンポーネントがありません。");
    case ERROR_OUTOFMEMORY:
        // The service answers 14 when it finds no modem, whatever its name says.
        return text("ダイヤルアップネットワーク設定の変更に失敗しました\n\n"
                    "モデムを検出できませんでした。接続されているか確認してください。");
    case ERROR_INVALID_USER_BUFFER:
        return text("ダイヤルアップネットワーク設定の変更に失敗しました\n\n"
                    "現在使用中の環境ではダイヤルアップネットワークを作成できません。\n"
                    "適切な環境にしてから再度チャレンジしてください。");
    default: {
        char message[256];
        std::snprintf(message, sizeof message, text("ダイヤルアップネットワーク設定の変更に失敗しました\n\nエラーコード：%d"),
                      static_cast<int>(result));
        return message;
    }
    }
}

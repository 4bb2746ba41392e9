#include "EntryUpdate.h"

#include "IspSettings.h"
#include "Platform.h"
#include "Text.h"

#include <cstring>

namespace {

bool isZero(const RASIPADDR& address) {
    return address.a == 0 && address.b == 0 && address.c == 0 && address.d == 0;
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

}  // namespace

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

PhoneNumberParts numberAsStored(std::string_view number, bool usesAreaCodes) {
    if (!usesAreaCodes) return {{}, std::string(number)};
    PhoneNumberParts parts = splitPhoneNumber(number);
    keepDigits(parts.areaCode);
    return parts;
}

bool updateDialParams(RASDIALPARAMSA& params, const char* newUser, const char* newPassword,
                      const char* savedPassword, BOOL& removePassword) {
    removePassword = FALSE;
    if (newUser != nullptr && !copyToField(params.szUserName, newUser)) return false;
    if (newPassword == nullptr) {
        // No stored password stays none rather than becoming an empty one.
        removePassword = savedPassword == nullptr ? TRUE : FALSE;
    } else if (savedPassword != nullptr && std::strcmp(newPassword, savedPassword) == 0) {
        // Unchanged.
    } else if (newPassword[0] == '\0') {
        removePassword = TRUE;
    } else if (!copyToField(params.szPassword, newPassword)) {
        return false;
    }
    return true;
}

DWORD updateEntryProperties(RASENTRYA& entry, const char* newNumber, const char* newModem, bool withNameServers,
                            bool& needsWrite) {
    needsWrite = newNumber != nullptr || newModem != nullptr;
    if (!needsWrite) return 0;
    if (newNumber != nullptr) {
        const PhoneNumberParts parts = numberAsStored(newNumber, (entry.dwfOptions & RASEO_UseCountryAndAreaCodes) != 0);
        if (parts.areaCode.size() > RAS_MaxAreaCode || parts.localNumber.size() > RAS_MaxPhoneNumber) {
            return kErrorNumberDoesNotFit;
        }
        if (entry.dwfOptions & RASEO_UseCountryAndAreaCodes) copyToField(entry.szAreaCode, parts.areaCode);
        copyToField(entry.szLocalPhoneNumber, parts.localNumber);
    }
    if (newModem != nullptr && !copyToField(entry.szDeviceName, newModem)) return kErrorNumberDoesNotFit;
    if (withNameServers) applyNameServers(entry);
    return 0;
}

std::string changeFailureMessage(DWORD result) {
    return writeFailureMessage(resources::text("ダイヤルアップネットワーク設定の変更に失敗しました"), result);
}

#include "ConnectionCreation.h"

#include "ChangeMessages.h"
#include "Cp932.h"
#include "DefaultConnection.h"
#include "EntryChanges.h"
#include "IspSettings.h"
#include "MessageBox.h"
#include "Platform.h"
#include "RasLists.h"
#include "RasRecords.h"
#include "Text.h"
#include "WriteFailure.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

using resources::text;

namespace {

constexpr DWORD kEntryOptions = RASEO_IpHeaderCompression | RASEO_RemoteDefaultGateway | RASEO_ModemLights |
                                RASEO_PreviewUserPw | RASEO_ShowDialingProgress;
constexpr DWORD kJapan = 81;

void showCreationError(DWORD code) {
    ui::messageBox(
        writeFailureMessage(text("ダイヤルアップネットワーク設定の作成に失敗しました"), code).c_str(),
        MB_ICONWARNING | MB_OK);
}

// The name as the phonebook spells an entry that matches `typed` in any
// letter case; `typed` itself when there is none. Returns 0, or the code of
// a phonebook that cannot be listed.
DWORD spelledName(const RasFunctionTable& ras, const std::string& typed, std::string& spelled) {
    std::vector<std::string> names;
    if (DWORD result = enumerateEntryNames(ras, names)) return result;
    spelled = typed;
    for (const std::string& name : names) {
        if (cp932::compareNoCaseMultiByte(name, typed) == 0) spelled = name;
    }
    return 0;
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

std::optional<RASDIALPARAMSA> newDialParams(const std::string& entryName, const std::string& userName,
                                            const std::string& password) {
    RASDIALPARAMSA params;
    std::memset(&params, 0, sizeof params);
    params.dwSize = sizeof(RASDIALPARAMSA);
    if (!copyToField(params.szEntryName, entryName) || !copyToField(params.szUserName, userName) ||
        !copyToField(params.szPassword, password)) {
        return std::nullopt;
    }
    return params;
}

DWORD createEntry(const RasFunctionTable& ras, const std::string& entryName, const RASENTRYA& entry) {
    if (ras.RasDeleteEntryA == nullptr || ras.RasSetEntryPropertiesA == nullptr) return kRasNotBound;
    // Nothing of a former entry of that name may survive, its stored
    // password included.
    DWORD result = ras.RasDeleteEntryA(nullptr, entryName.c_str());
    if (result != 0 && result != ERROR_CANNOT_FIND_PHONEBOOK_ENTRY) return result;
    RASENTRYA record = entry;
    return ras.RasSetEntryPropertiesA(nullptr, entryName.c_str(), &record, sizeof(RASENTRYA), nullptr, 0);
}

DWORD saveDialParams(const RasFunctionTable& ras, const RASDIALPARAMSA& params) {
    if (ras.RasSetEntryDialParamsA == nullptr) return kRasNotBound;
    RASDIALPARAMSA record = params;
    DWORD result = ras.RasSetEntryDialParamsA(nullptr, &record, record.szPassword[0] == '\0' ? TRUE : FALSE);
    // The program never dials, so its connection handle is always null; the
    // hang-up is made all the same for those who watch the service.
    if (result != 0 && ras.RasHangUpA != nullptr) ras.RasHangUpA(0);
    return result;
}

bool createConnection(const RasFunctionTable& ras, const ConnectionRequest& request,
                      DefaultConnectionResult& defaultConnection) {
    defaultConnection = DefaultConnectionResult{};
    const std::optional<RASENTRYA> entry = newEntryRecord(request.modem, request.accessNumber, request.pulse);
    const std::optional<RASDIALPARAMSA> params =
        newDialParams(request.entryName, request.userName + request.domain, request.password);
    const DWORD refusal = !entry || !params ? ERROR_INVALID_PARAMETER
                          : ras.RasSetEntryPropertiesA == nullptr ? kRasNotBound : 0;
    if (refusal != 0) {
        showCreationError(refusal);
        return false;
    }
    // Unanswered, the question about the active connections would leave the
    // account unstored: the creation fails before anything is written.
    if (queryActiveConnections(ras) != 0) return false;
    // A phonebook that cannot be listed is not an empty one: said, not written.
    std::string former;
    if (DWORD result = spelledName(ras, request.entryName, former)) {
        showCreationError(result);
        return false;
    }
    ChangeJournal journal(kConnectionJournal);
    if (!journal.open(true)) {
        showCreationError(kErrorJournalUnwritable);
        return false;
    }

    DWORD entryResult = 0;
    PlannedChange creation;
    creation.entryName = former;
    creation.aim = [&](const EntryState&) {
        EntryState created;
        created.present = true;
        created.properties = propertiesBytes(*entry, sizeof(RASENTRYA));
        created.userName = fieldText(params->szUserName);
        if (params->szPassword[0] != '\0') created.password = fieldText(params->szPassword);
        return created;
    };
    creation.removesFirst = true;
    creation.write = [&]() -> DWORD {
        if ((entryResult = createEntry(ras, request.entryName, *entry)) != 0) return entryResult;
        return saveDialParams(ras, *params);
    };
    const ChangeResult change = changeEntry(ras, journal, creation);
    if (change.error != 0) {
        // The entry's own failure has its reason; the account's is told by
        // the form's general failure.
        if (entryResult != 0) showCreationError(entryResult);
        else if (change.error == kErrorJournalUnwritable) showCreationError(change.error);
        if (change.restoreError != 0) tellNotRestored(former, change.restoreError);
        return false;
    }
    if (request.makeDefault) defaultConnection = setDefaultConnection(request.entryName.c_str());
    return true;
}

#include "EntryState.h"

#include "RasLists.h"
#include "RasRecords.h"

#include <cstring>

DWORD readEntryState(const RasFunctionTable& ras, const std::string& name, EntryState& state) {
    state = EntryState{};
    if (ras.RasGetEntryPropertiesA == nullptr || ras.RasGetEntryDialParamsA == nullptr) return kRasNotBound;
    DWORD size = 0;
    DWORD result = ras.RasGetEntryPropertiesA(nullptr, name.c_str(), nullptr, &size, nullptr, nullptr);
    if (result == ERROR_CANNOT_FIND_PHONEBOOK_ENTRY) return 0;
    if (result != ERROR_BUFFER_TOO_SMALL) return result;
    EntryBuffer entry(size);
    result = ras.RasGetEntryPropertiesA(nullptr, name.c_str(), &entry.entry(), &size, nullptr, nullptr);
    if (result != 0) return result;

    RASDIALPARAMSA params;
    std::memset(&params, 0, sizeof params);
    params.dwSize = sizeof(RASDIALPARAMSA);
    if (!copyToField(params.szEntryName, name)) return ERROR_INVALID_PARAMETER;
    BOOL hasPassword = FALSE;
    result = ras.RasGetEntryDialParamsA(nullptr, &params, &hasPassword);
    if (result != 0) return result;

    state.present = true;
    state.properties = propertiesBytes(entry.entry(), entry.size());
    state.userName = fieldText(params.szUserName);
    if (hasPassword) state.password = fieldText(params.szPassword);
    return 0;
}

DWORD restoreEntryState(const RasFunctionTable& ras, const std::string& name, const EntryState& state) {
    if (ras.RasDeleteEntryA == nullptr || ras.RasSetEntryPropertiesA == nullptr ||
        ras.RasSetEntryDialParamsA == nullptr) {
        return kRasNotBound;
    }
    if (restoreBeginsByRemoving(state)) {
        DWORD result = ras.RasDeleteEntryA(nullptr, name.c_str());
        if (result != 0 && result != ERROR_CANNOT_FIND_PHONEBOOK_ENTRY) return result;
        if (!state.present) return 0;
    }
    EntryBuffer entry(static_cast<DWORD>(state.properties.size()));
    std::memcpy(&entry.entry(), state.properties.data(), state.properties.size());
    DWORD result = ras.RasSetEntryPropertiesA(nullptr, name.c_str(), &entry.entry(), entry.size(), nullptr, 0);
    if (result != 0) return result;
    if (state.userName.empty() && !state.password) return 0;

    RASDIALPARAMSA params;
    std::memset(&params, 0, sizeof params);
    params.dwSize = sizeof(RASDIALPARAMSA);
    if (!copyToField(params.szEntryName, name) || !copyToField(params.szUserName, state.userName) ||
        !copyToField(params.szPassword, state.password.value_or(""))) {
        return ERROR_INVALID_PARAMETER;
    }
    return ras.RasSetEntryDialParamsA(nullptr, &params, state.password ? FALSE : TRUE);
}

bool restoreBeginsByRemoving(const EntryState& state) {
    // An empty user name cannot be written over a stored one (the service
    // keeps the stored name then), so such an entry is made afresh.
    return !state.present || state.userName.empty();
}

std::string propertiesBytes(const RASENTRYA& entry, DWORD size) {
    return std::string(reinterpret_cast<const char*>(&entry), size);
}

bool isOnTheWay(const EntryState& current, const EntryState& former, const EntryState& aim, bool removesFirst) {
    if (current == former || current == aim) return true;
    if (!current.present) return removesFirst;
    auto sameAccount = [&](const EntryState& other) {
        return other.present && current.userName == other.userName && current.password == other.password;
    };
    auto sameProperties = [&](const EntryState& other) {
        return other.present && current.properties == other.properties;
    };
    const bool noAccountYet = removesFirst && current.userName.empty() && !current.password;
    return (sameProperties(former) || sameProperties(aim)) && (sameAccount(former) || sameAccount(aim) || noAccountYet);
}

bool sameState(const EntryState& a, const EntryState& b, bool withPassword) {
    return a.present == b.present && a.properties == b.properties && a.userName == b.userName &&
           (!withPassword || a.password == b.password);
}

bool differsOnlyWhereMigrationWrites(const EntryState& former, const EntryState& after) {
    if (!former.present || !after.present || former.properties.size() != after.properties.size() ||
        former.properties.size() < sizeof(RASENTRYA)) {
        return false;
    }
    // Both records with what a migration may write blanked out.
    auto blanked = [](const std::string& bytes) {
        std::string copy = bytes;
        RASENTRYA entry;
        std::memcpy(&entry, copy.data(), sizeof entry);
        std::memset(entry.szAreaCode, 0, sizeof entry.szAreaCode);
        std::memset(entry.szLocalPhoneNumber, 0, sizeof entry.szLocalPhoneNumber);
        std::memset(entry.szDeviceName, 0, sizeof entry.szDeviceName);
        entry.dwfOptions &= ~RASEO_SpecificNameServers;
        entry.ipaddrDns = RASIPADDR{};
        entry.ipaddrDnsAlt = RASIPADDR{};
        std::memcpy(copy.data(), &entry, sizeof entry);
        return copy;
    };
    return blanked(former.properties) == blanked(after.properties);
}

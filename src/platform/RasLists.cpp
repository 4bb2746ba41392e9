#include "RasLists.h"

#include "Cp932.h"
#include "RasRecords.h"

DWORD enumerateEntryNames(const RasFunctionTable& ras, std::vector<std::string>& names) {
    names.clear();
    if (ras.RasEnumEntriesA == nullptr) return kRasNotBound;
    std::vector<RASENTRYNAMEA> records = recordsFor<RASENTRYNAMEA>(sizeof(RASENTRYNAMEA));
    DWORD bytes = 0;
    DWORD count = 0;
    DWORD result = ras.RasEnumEntriesA(nullptr, nullptr, records.data(), &bytes, &count);
    if (result == ERROR_BUFFER_TOO_SMALL) records = recordsFor<RASENTRYNAMEA>(bytes);
    bytes = static_cast<DWORD>(records.size() * sizeof(RASENTRYNAMEA));
    count = 0;
    result = ras.RasEnumEntriesA(nullptr, nullptr, records.data(), &bytes, &count);
    if (result != 0) return result;
    for (DWORD i = 0; i < count && i < records.size(); ++i) names.push_back(fieldText(records[i].szEntryName));
    return 0;
}

DWORD enumerateModemNames(const RasFunctionTable& ras, std::vector<std::string>& modems) {
    modems.clear();
    if (ras.RasEnumDevicesA == nullptr) return kRasNotBound;
    DWORD bytes = 0;
    DWORD count = 0;
    DWORD result = ras.RasEnumDevicesA(nullptr, &bytes, &count);
    if (result != 0 && result != ERROR_BUFFER_TOO_SMALL) return result;
    if (count == 0) return 0;
    std::vector<RASDEVINFOA> records = recordsFor<RASDEVINFOA>(count * sizeof(RASDEVINFOA));
    // Never claim more room than there is, whatever size was reported.
    DWORD room = static_cast<DWORD>(records.size() * sizeof(RASDEVINFOA));
    if (bytes > room || bytes == 0) bytes = room;
    result = ras.RasEnumDevicesA(records.data(), &bytes, &count);
    if (result != 0) return result;
    for (DWORD i = 0; i < count && i < records.size(); ++i) {
        if (cp932::compareAsciiNoCase(fieldText(records[i].szDeviceType), RASDT_Modem) == 0) {
            modems.push_back(fieldText(records[i].szDeviceName));
        }
    }
    return 0;
}

DWORD queryActiveConnections(const RasFunctionTable& ras) {
    if (ras.RasEnumConnectionsA == nullptr) return kRasNotBound;
    std::vector<RASCONNA> records = recordsFor<RASCONNA>(sizeof(RASCONNA));
    DWORD bytes = sizeof(RASCONNA);
    DWORD count = 0;
    DWORD result = ras.RasEnumConnectionsA(records.data(), &bytes, &count);
    if (result == ERROR_BUFFER_TOO_SMALL) {
        records = recordsFor<RASCONNA>(bytes);
        bytes = static_cast<DWORD>(records.size() * sizeof(RASCONNA));
        count = 0;
        result = ras.RasEnumConnectionsA(records.data(), &bytes, &count);
    }
    return result;
}

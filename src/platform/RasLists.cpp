#include "RasLists.h"

#include "Cp932.h"

#include <cstring>

namespace {

// Records for a byte size reported by the service, rounded up to whole records.
template <typename Record>
std::vector<Record> recordsFor(DWORD bytes) {
    size_t count = (static_cast<size_t>(bytes) + sizeof(Record) - 1) / sizeof(Record);
    std::vector<Record> records(count == 0 ? 1 : count);
    std::memset(records.data(), 0, records.size() * sizeof(Record));
    records[0].dwSize = sizeof(Record);
    return records;
}

// A fixed text field as a string, never reading past the field.
template <size_t N>
std::string fieldText(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

}  // namespace

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

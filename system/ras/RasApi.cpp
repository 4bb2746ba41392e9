// The fourteen entry points of librasapi32.so, with Windows' calling
// conventions: argument checks here and in RecordProtocol, the phonebook
// and the rest of the state in RemoteAccessStore. Every entry point asks
// for an injected fault first.
#include "ErrorTexts.h"
#include "Phonebook.h"
#include "RecordProtocol.h"
#include "RemoteAccessStore.h"
#include "ras.h"

#include <cstring>
#include <string_view>
#include <type_traits>
#include <vector>

using namespace standin::ras;

namespace {

// Only the default phonebook (a null path) exists.
bool isOtherPhonebook(LPCSTR phonebook) {
    return phonebook != nullptr;
}

std::string_view nameOf(LPCSTR entry) {
    return entry != nullptr ? std::string_view(entry) : std::string_view();
}

// The entry name inside a record, or nothing when the field has no
// terminator (reading on would leave the record).
template <size_t N>
std::string_view nameIn(const CHAR (&field)[N]) {
    size_t length = strnlen(field, N);
    return length < N ? std::string_view(field, length) : std::string_view();
}

template <size_t N>
bool isTerminated(const CHAR (&field)[N]) {
    return std::memchr(field, 0, N) != nullptr;
}

template <size_t N>
void copyText(CHAR (&field)[N], std::string_view text) {
    size_t length = text.size() < N ? text.size() : N - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

// A connection's number in connections.txt is the handle its caller holds.
HRASCONN handleOf(DWORD number) {
#ifdef _WIN32
    return reinterpret_cast<HRASCONN>(static_cast<ULONG_PTR>(number));
#else
    return number;
#endif
}

// 0 (no connection's) for a handle wider than any number.
DWORD numberOf(HRASCONN handle) {
#ifdef _WIN32
    auto value = reinterpret_cast<ULONG_PTR>(handle);
    return value <= MAXDWORD ? static_cast<DWORD>(value) : 0;
#else
    return handle;
#endif
}

// The name a dial-parameter record is about, for fault matching; read only
// from a record of the right size.
std::string_view entryOf(const RASDIALPARAMSA* params) {
    return params != nullptr && params->dwSize == sizeof(RASDIALPARAMSA) ? nameIn(params->szEntryName)
                                                                         : std::string_view();
}

}  // namespace

extern "C" {

DWORD WINAPI RasDialA(LPRASDIALEXTENSIONS, LPCSTR phonebook, LPRASDIALPARAMSA params, DWORD, LPVOID notifier,
                      LPHRASCONN connection) {
    if (DWORD fault = injectedFault("RasDialA", entryOf(params))) return fault;
    if (isOtherPhonebook(phonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (params == nullptr || connection == nullptr) return ERROR_BUFFER_INVALID;
    if (params->dwSize != sizeof(RASDIALPARAMSA)) return ERROR_INVALID_SIZE;
    if (!isTerminated(params->szEntryName)) return ERROR_INVALID_PARAMETER;
    // Nothing is dialled: the call completes at once, so there is no
    // progress to notify and no asynchronous mode.
    if (notifier != nullptr) return ERROR_INVALID_PARAMETER;
    Connection connected;
    if (Status status = connectEntry(params->szEntryName, connected); !status.ok()) return status.code;
    *connection = handleOf(connected.handle);
    return ERROR_SUCCESS;
}

DWORD WINAPI RasHangUpA(HRASCONN connection) {
    if (DWORD fault = injectedFault("RasHangUpA", {})) return fault;
    return hangUp(numberOf(connection)).code;
}

DWORD WINAPI RasGetConnectStatusA(HRASCONN connection, LPRASCONNSTATUSA status) {
    if (DWORD fault = injectedFault("RasGetConnectStatusA", {})) return fault;
    if (status == nullptr) return ERROR_BUFFER_INVALID;
    if (status->dwSize != sizeof(RASCONNSTATUSA)) return ERROR_INVALID_SIZE;
    std::vector<Connection> connections;
    if (Status listed = listConnections(connections); !listed.ok()) return listed.code;
    for (const Connection& active : connections) {
        if (active.handle != numberOf(connection)) continue;
        status->rasconnstate = RASCS_Connected;
        status->dwError = ERROR_SUCCESS;
        copyText(status->szDeviceType, active.deviceType);
        copyText(status->szDeviceName, active.deviceName);
        return ERROR_SUCCESS;
    }
    return ERROR_INVALID_HANDLE;
}

DWORD WINAPI RasSetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA record, DWORD recordSize,
                                    LPBYTE, DWORD deviceInfoSize) {
    if (DWORD fault = injectedFault("RasSetEntryPropertiesA", nameOf(entry))) return fault;
    if (isOtherPhonebook(phonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (entry == nullptr || record == nullptr) return ERROR_BUFFER_INVALID;
    if (recordSize < sizeof(RASENTRYA) || record->dwSize != sizeof(RASENTRYA)) return ERROR_INVALID_SIZE;
    // The phonebook keeps no device-specific configuration.
    if (deviceInfoSize != 0) return ERROR_INVALID_PARAMETER;
    StoredEntry stored{*record, {}};
    if (!alternatesOf(*record, recordSize, stored.alternates)) return ERROR_INVALID_PARAMETER;
    return writeEntry(entry, stored).code;
}

DWORD WINAPI RasGetEntryPropertiesA(LPCSTR phonebook, LPCSTR entry, LPRASENTRYA record, LPDWORD recordSize,
                                    LPBYTE, LPDWORD deviceInfoSize) {
    std::string_view name = nameOf(entry);
    if (DWORD fault = injectedFault("RasGetEntryPropertiesA", name)) return fault;
    if (isOtherPhonebook(phonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (recordSize == nullptr || (record == nullptr && *recordSize != 0)) return ERROR_BUFFER_INVALID;
    // No name asks for the fields a new entry starts with.
    StoredEntry stored = newEntry();
    if (!name.empty()) {
        if (Status status = readEntry(name, stored); !status.ok()) return status.code;
    }
    if (deviceInfoSize != nullptr) *deviceInfoSize = 0;
    const DWORD needed = entryRecordSize(stored.alternates);
    if (needed == 0) return ERROR_NOT_ENOUGH_MEMORY;
    if (record == nullptr || *recordSize < needed) {
        *recordSize = needed;
        return ERROR_BUFFER_TOO_SMALL;
    }
    if (record->dwSize != sizeof(RASENTRYA)) return ERROR_INVALID_SIZE;
    fillEntryRecord(record, stored.properties, stored.alternates);
    *recordSize = needed;
    return ERROR_SUCCESS;
}

DWORD WINAPI RasEnumEntriesA(LPCSTR reserved, LPCSTR phonebook, LPRASENTRYNAMEA buffer, LPDWORD size,
                             LPDWORD count) {
    if (DWORD fault = injectedFault("RasEnumEntriesA", {})) return fault;
    if (reserved != nullptr) return ERROR_INVALID_PARAMETER;
    if (isOtherPhonebook(phonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    return enumerate<std::string>(
        buffer, size, count, [](std::vector<std::string>& names) { return listEntries(names).code; },
        [](RASENTRYNAMEA& record, const std::string& name) { copyText(record.szEntryName, name); });
}

DWORD WINAPI RasSetEntryDialParamsA(LPCSTR phonebook, LPRASDIALPARAMSA params, BOOL removePassword) {
    if (DWORD fault = injectedFault("RasSetEntryDialParamsA", entryOf(params))) return fault;
    if (isOtherPhonebook(phonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (params == nullptr) return ERROR_BUFFER_INVALID;
    if (params->dwSize != sizeof(RASDIALPARAMSA)) return ERROR_INVALID_SIZE;
    if (!isTerminated(params->szEntryName)) return ERROR_INVALID_PARAMETER;
    return writeDialParams(params->szEntryName, *params, removePassword != FALSE).code;
}

DWORD WINAPI RasGetEntryDialParamsA(LPCSTR phonebook, LPRASDIALPARAMSA params, LPBOOL hasPassword) {
    if (DWORD fault = injectedFault("RasGetEntryDialParamsA", entryOf(params))) return fault;
    if (isOtherPhonebook(phonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (params == nullptr || hasPassword == nullptr) return ERROR_BUFFER_INVALID;
    if (params->dwSize != sizeof(RASDIALPARAMSA)) return ERROR_INVALID_SIZE;
    if (!isTerminated(params->szEntryName)) return ERROR_INVALID_PARAMETER;
    StoredDialParams stored;
    if (Status status = readDialParams(params->szEntryName, stored); !status.ok()) return status.code;
    // The caller's name stays as it was asked for.
    std::memcpy(stored.params.szEntryName, params->szEntryName, sizeof stored.params.szEntryName);
    stored.params.dwSize = sizeof(RASDIALPARAMSA);
    std::memcpy(params, &stored.params, sizeof stored.params);
    *hasPassword = stored.hasPassword ? TRUE : FALSE;
    return ERROR_SUCCESS;
}

DWORD WINAPI RasCreatePhonebookEntryA(HWND, LPCSTR phonebook) {
    if (DWORD fault = injectedFault("RasCreatePhonebookEntryA", {})) return fault;
    if (isOtherPhonebook(phonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    // This function is a dialog on Windows; the stand-in has no user
    // interface. Entries are made with RasSetEntryPropertiesA or kivora-sys.
    return ERROR_CALL_NOT_IMPLEMENTED;
}

DWORD WINAPI RasGetErrorStringA(UINT error, LPSTR text, DWORD size) {
    if (DWORD fault = injectedFault("RasGetErrorStringA", {})) return fault;
    const char* message = errorText(error);
    if (text == nullptr || message == nullptr) return ERROR_INVALID_PARAMETER;
    size_t length = std::strlen(message);
    if (size <= length) return ERROR_INSUFFICIENT_BUFFER;
    std::memcpy(text, message, length + 1);
    return ERROR_SUCCESS;
}

DWORD WINAPI RasEnumConnectionsA(LPRASCONNA buffer, LPDWORD size, LPDWORD count) {
    if (DWORD fault = injectedFault("RasEnumConnectionsA", {})) return fault;
    return enumerate<Connection>(
        buffer, size, count, [](std::vector<Connection>& connections) { return listConnections(connections).code; },
        [](RASCONNA& record, const Connection& connection) {
            record.hrasconn = handleOf(connection.handle);
            copyText(record.szEntryName, connection.entryName);
            copyText(record.szDeviceType, connection.deviceType);
            copyText(record.szDeviceName, connection.deviceName);
        });
}

DWORD WINAPI RasDeleteEntryA(LPCSTR phonebook, LPCSTR entry) {
    if (DWORD fault = injectedFault("RasDeleteEntryA", nameOf(entry))) return fault;
    if (isOtherPhonebook(phonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (entry == nullptr) return ERROR_BUFFER_INVALID;
    return deleteEntry(entry).code;
}

DWORD WINAPI RasEnumDevicesA(LPRASDEVINFOA buffer, LPDWORD size, LPDWORD count) {
    if (DWORD fault = injectedFault("RasEnumDevicesA", {})) return fault;
    return enumerate<Device>(
        buffer, size, count, [](std::vector<Device>& devices) { return listDevices(devices).code; },
        [](RASDEVINFOA& record, const Device& device) {
            copyText(record.szDeviceType, device.type);
            copyText(record.szDeviceName, device.name);
        });
}

DWORD WINAPI RasValidateEntryNameA(LPCSTR phonebook, LPCSTR entry) {
    if (DWORD fault = injectedFault("RasValidateEntryNameA", nameOf(entry))) return fault;
    if (isOtherPhonebook(phonebook)) return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (entry == nullptr) return ERROR_BUFFER_INVALID;
    return validateNewEntryName(entry).code;
}

}  // extern "C"

// The exports keep the signatures the program binds them with.
static_assert(std::is_same_v<decltype(&RasDialA), PFN_RasDialA>);
static_assert(std::is_same_v<decltype(&RasHangUpA), PFN_RasHangUpA>);
static_assert(std::is_same_v<decltype(&RasGetConnectStatusA), PFN_RasGetConnectStatusA>);
static_assert(std::is_same_v<decltype(&RasSetEntryPropertiesA), PFN_RasSetEntryPropertiesA>);
static_assert(std::is_same_v<decltype(&RasGetEntryPropertiesA), PFN_RasGetEntryPropertiesA>);
static_assert(std::is_same_v<decltype(&RasEnumEntriesA), PFN_RasEnumEntriesA>);
static_assert(std::is_same_v<decltype(&RasSetEntryDialParamsA), PFN_RasSetEntryDialParamsA>);
static_assert(std::is_same_v<decltype(&RasGetEntryDialParamsA), PFN_RasGetEntryDialParamsA>);
static_assert(std::is_same_v<decltype(&RasCreatePhonebookEntryA), PFN_RasCreatePhonebookEntryA>);
static_assert(std::is_same_v<decltype(&RasGetErrorStringA), PFN_RasGetErrorStringA>);
static_assert(std::is_same_v<decltype(&RasEnumConnectionsA), PFN_RasEnumConnectionsA>);
static_assert(std::is_same_v<decltype(&RasDeleteEntryA), PFN_RasDeleteEntryA>);
static_assert(std::is_same_v<decltype(&RasEnumDevicesA), PFN_RasEnumDevicesA>);
static_assert(std::is_same_v<decltype(&RasValidateEntryNameA), PFN_RasValidateEntryNameA>);

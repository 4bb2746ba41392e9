// Run-time binding of the remote-access library. Every phonebook operation
// of the program calls through the process-wide table.
#pragma once

#include "ras.h"

struct RasFunctionTable {
    HMODULE library = nullptr;
    // In lookup order.
    PFN_RasDialA RasDialA = nullptr;
    PFN_RasHangUpA RasHangUpA = nullptr;
    PFN_RasGetConnectStatusA RasGetConnectStatusA = nullptr;
    PFN_RasSetEntryPropertiesA RasSetEntryPropertiesA = nullptr;
    PFN_RasGetEntryPropertiesA RasGetEntryPropertiesA = nullptr;
    PFN_RasEnumEntriesA RasEnumEntriesA = nullptr;
    PFN_RasSetEntryDialParamsA RasSetEntryDialParamsA = nullptr;
    PFN_RasGetEntryDialParamsA RasGetEntryDialParamsA = nullptr;
    PFN_RasCreatePhonebookEntryA RasCreatePhonebookEntryA = nullptr;
    PFN_RasGetErrorStringA RasGetErrorStringA = nullptr;
    PFN_RasEnumConnectionsA RasEnumConnectionsA = nullptr;
    PFN_RasDeleteEntryA RasDeleteEntryA = nullptr;
    PFN_RasEnumDevicesA RasEnumDevicesA = nullptr;
    PFN_RasValidateEntryNameA RasValidateEntryNameA = nullptr;
};

// The process-wide table, empty until bindRemoteAccess succeeds.
RasFunctionTable& remoteAccess();

// Loads "RASAPI32.DLL" from the system directory alone and looks up the
// fourteen entry points. A missing library leaves the table empty silently; a library without RasDialA or
// RasHangUpA is refused with a warning and the table emptied.
void bindRemoteAccess(RasFunctionTable& table);

// Whether the table holds a bound library's entry points (the two that
// binding requires are there).
inline bool isBound(const RasFunctionTable& table) {
    return table.RasDialA != nullptr && table.RasHangUpA != nullptr;
}

// Frees the library and clears every entry. Harmless when nothing is bound.
void unbindRemoteAccess(RasFunctionTable& table);

// The lists the remote-access service keeps, fetched the way its callers
// must: a first call that may answer ERROR_BUFFER_TOO_SMALL with the size
// needed, then a second call with a buffer of that size. Both jobs use these,
// so the protocol lives here once.
#pragma once

#include "RemoteAccess.h"

#include <string>
#include <vector>

// Returned when the table has no entry point for the call.
constexpr DWORD kRasNotBound = ERROR_PROC_NOT_FOUND;

// The entry names of the default phonebook, in the order the service gives
// them. Returns the result of the last call: 0 on success.
DWORD enumerateEntryNames(const RasFunctionTable& ras, std::vector<std::string>& names);

// The names of the devices of type "modem" (any letter case), in the order
// the service gives them, duplicates kept. Returns the result of the last
// call: 0 on success; on failure the list is empty.
DWORD enumerateModemNames(const RasFunctionTable& ras, std::vector<std::string>& modems);

// Asks for the active connections only to learn whether the service can
// answer; the list is not kept. Returns the result of the last call.
DWORD queryActiveConnections(const RasFunctionTable& ras);

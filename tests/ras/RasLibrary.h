// librasapi32.so from the build's program directory, bound by name as the
// program binds it, and the helpers the remote-access tests share.
#pragma once

#include "ras.h"

#include <string>
#include <vector>

namespace rastest {

struct RasLibrary {
    PFN_RasDialA RasDialA;
    PFN_RasHangUpA RasHangUpA;
    PFN_RasGetConnectStatusA RasGetConnectStatusA;
    PFN_RasSetEntryPropertiesA RasSetEntryPropertiesA;
    PFN_RasGetEntryPropertiesA RasGetEntryPropertiesA;
    PFN_RasEnumEntriesA RasEnumEntriesA;
    PFN_RasSetEntryDialParamsA RasSetEntryDialParamsA;
    PFN_RasGetEntryDialParamsA RasGetEntryDialParamsA;
    PFN_RasCreatePhonebookEntryA RasCreatePhonebookEntryA;
    PFN_RasGetErrorStringA RasGetErrorStringA;
    PFN_RasEnumConnectionsA RasEnumConnectionsA;
    PFN_RasDeleteEntryA RasDeleteEntryA;
    PFN_RasEnumDevicesA RasEnumDevicesA;
    PFN_RasValidateEntryNameA RasValidateEntryNameA;
};

// Loaded once per test program; the test fails if an entry point is missing.
const RasLibrary& ras();

// A modem entry as the program writes one, dialling `number`.
RASENTRYA modemEntry(const std::string& number);

DWORD setEntry(const std::string& name, const RASENTRYA& entry);
DWORD setCredentials(const std::string& name, const std::string& user, const std::string& password,
                     BOOL removePassword);

// Entry names through the two-call protocol; fails the test on an error.
std::vector<std::string> entryNames();

// Replaces a file by renaming a new one over it, as the store does, so
// that a cache keyed on the file's identity sees the change at once.
void replaceFile(const std::string& path, const std::string& bytes);

// UTF-8 source text in CP932.
std::string sjis(const char* utf8);

}  // namespace rastest

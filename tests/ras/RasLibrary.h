// librasapi32.so from the build's program directory, bound by name into the
// program's RasFunctionTable, and the helpers the remote-access tests share.
#pragma once

#include "RemoteAccess.h"
#include "ras.h"

#include <string>
#include <vector>

namespace rastest {

// Loaded once per test program; the test fails if an entry point is missing.
const RasFunctionTable& ras();
// The ppp service's build/ppp/librasapi32.so, loaded the same way.
const RasFunctionTable& pppService();
// The service the end-to-end cases run over: the stand-in, or the ppp
// service's build/ppp/librasapi32.so when they run over it (KIVORA_E2E_PPP).
const RasFunctionTable& service();

// A modem entry as the program writes one, dialling `number`.
RASENTRYA modemEntry(const std::string& number);

// Through service(), as another program would write.
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

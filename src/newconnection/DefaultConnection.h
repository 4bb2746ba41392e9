// Makes an entry the connection the system dials when a program needs the
// Internet: auto-dial on for the current user, and the entry named where the
// platform looks for it (per machine on Windows XP, per user elsewhere).
#pragma once

#include "windows.h"

#include <string>

// What could not be written, each with the registry's error code
// (ERROR_SUCCESS: written).
struct DefaultConnectionResult {
    // EnableAutodial and NoNetAutodial; the first failure's code.
    LONG autoDial = ERROR_SUCCESS;
    // DefaultInternet (per machine) or InternetProfile (per user).
    LONG entryName = ERROR_SUCCESS;
    bool perMachine = false;

    bool complete() const { return autoDial == ERROR_SUCCESS && entryName == ERROR_SUCCESS; }
};

// Writes the three registry values; keys are opened, never created, and a
// key that is missing or may not be written leaves its values unwritten
// (the others are still written). Writes nothing when no name is given.
DefaultConnectionResult setDefaultConnection(const char* entryName);

// The warning that tells the user which values of `result` were not
// written for the entry `entryName`; empty when all were.
std::string defaultConnectionWarning(const char* entryName, const DefaultConnectionResult& result);

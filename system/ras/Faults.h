// Injected faults, for tests: faults.txt makes an entry point answer a
// chosen error code, for every call or only for calls about one entry, until
// cleared or for a number of calls. One
// FUNCTION<TAB>CODE[<TAB>entry=NAME][<TAB>times=N] a line.
#pragma once

#include "windows.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace standin::ras {

struct EntryPoint {
    const char* name;
    bool namesEntry;  // whether its calls are about one phonebook entry
};

// The fourteen entry points of the library.
std::span<const EntryPoint> entryPoints();
const EntryPoint* findEntryPoint(std::string_view name);

struct Fault {
    std::string function;
    DWORD code = 0;     // never 0
    std::string entry;  // empty: every call
    DWORD times = 0;    // calls left; 0: until cleared
};

// The fault that a call of `function` about `entry` (empty when the call is
// about no entry) meets: one for that entry before one for every call.
// Null when there is none.
Fault* matchingFault(std::vector<Fault>& faults, std::string_view function, std::string_view entry);

bool parseFaults(std::string_view content, std::vector<Fault>& faults, std::string& reason);
std::string serializeFaults(const std::vector<Fault>& faults);

}  // namespace standin::ras

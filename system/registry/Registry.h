// The registry stand-in's own interface, beside the advapi32 functions of
// windows.h: which hives there are and how to read one back (kivora-sys).
#pragma once

#include "Hive.h"
#include "windows.h"

#include <string>
#include <vector>

namespace standin {

struct HiveFile {
    HKEY root;             // HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE
    const char* rootName;  // "HKEY_CURRENT_USER" ...
    const char* fileName;  // "HKCU.reg" ... in the system root
};

// HKEY_CURRENT_USER, then HKEY_LOCAL_MACHINE.
const std::vector<HiveFile>& hiveFiles();

// Reads a hive, seeding its file on first use with the keys a fresh Windows
// has. Returns ERROR_SUCCESS, or a Windows error code with a one-line reason
// in `error`: ERROR_BADDB for a damaged file, which is left as it is.
DWORD loadHive(const HiveFile& file, Hive& hive, std::string& error);

// A hive file that the user may not write: its owner write bit is clear
// (whoever runs, root included), or the running user cannot write it.
bool isHiveReadOnly(const HiveFile& file);

}  // namespace standin

// The Windows version the stand-in system claims to be, kept in the file
// "version" of the system root and answered by GetVersionExA.
#pragma once

#include "windows.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

struct VersionIdentity {
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    DWORD majorVersion = 5;
    DWORD minorVersion = 1;
    DWORD buildNumber = 2600;  // the whole dwBuildNumber, high word included
    std::string csdVersion;    // CP932, at most 127 bytes

    bool operator==(const VersionIdentity&) const = default;
};

// A named Windows release that `kivora-sys version NAME` can set.
struct VersionPreset {
    const char* name;
    const char* description;
    VersionIdentity identity;
};

// win32s 95 95osr2 95late 98 98se me nt4 2000 xp, oldest first.
const std::vector<VersionPreset>& versionPresets();
// The preset named `name`, or null.
const VersionPreset* findVersionPreset(std::string_view name);
// The preset whose identity equals `identity`, or null.
const VersionPreset* presetOf(const VersionIdentity& identity);

// The identity a fresh system root is seeded with: Windows XP, 5.1.2600.
VersionIdentity defaultVersionIdentity();

// A number of the identity: decimal, or hexadecimal after "0x", 32 bits,
// nothing else around it.
std::optional<DWORD> parseVersionNumber(std::string_view text);

// The text of the identity file, and back. Parsing fails, saying why in
// `error` ("line 3: ..."), on anything but the documented form.
std::string formatVersionIdentity(const VersionIdentity& identity);
bool parseVersionIdentity(std::string_view text, VersionIdentity& identity, std::string& error);

// Reads the identity of the current system root, seeding the file on first
// use. Returns ERROR_SUCCESS, or a Windows error code with a one-line reason
// in `error` (ERROR_BADDB for a damaged file, which is left as it is).
DWORD loadVersionIdentity(VersionIdentity& identity, std::string& error);

// Replaces the identity file (atomically, under the root lock). Returns
// ERROR_SUCCESS or a Windows error code with a reason in `error`.
DWORD storeVersionIdentity(const VersionIdentity& identity, std::string& error);

// "version", the identity file's name in the root.
extern const char* const kVersionFileName;

}  // namespace standin

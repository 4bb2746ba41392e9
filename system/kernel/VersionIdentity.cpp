#include "VersionIdentity.h"

#include "SystemRoot.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace standin {

const char* const kVersionFileName = "version";

namespace {

// The Windows 95/98/Me family keeps the version in the high word of
// dwBuildNumber, the build in the low word.
constexpr DWORD nineX(DWORD major, DWORD minor, DWORD build) {
    return (major << 24) | (minor << 16) | build;
}

constexpr size_t kCsdCapacity = sizeof(OSVERSIONINFOA{}.szCSDVersion);

}  // namespace

std::optional<DWORD> parseVersionNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 10) return std::nullopt;
    unsigned long long value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    if (value > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<DWORD>(value);
}

const std::vector<VersionPreset>& versionPresets() {
    static const std::vector<VersionPreset> presets = {
        {"win32s", "Win32s on Windows 3.1", {VER_PLATFORM_WIN32s, 3, 10, 0, ""}},
        {"95", "Windows 95", {VER_PLATFORM_WIN32_WINDOWS, 4, 0, nineX(4, 0, 950), ""}},
        {"95osr2", "Windows 95 OSR2", {VER_PLATFORM_WIN32_WINDOWS, 4, 0, nineX(4, 0, 1111), " B"}},
        {"95late", "Windows 95 OSR2.5", {VER_PLATFORM_WIN32_WINDOWS, 4, 0, nineX(4, 0, 1212), " C"}},
        {"98", "Windows 98", {VER_PLATFORM_WIN32_WINDOWS, 4, 10, nineX(4, 10, 1998), ""}},
        {"98se", "Windows 98 Second Edition", {VER_PLATFORM_WIN32_WINDOWS, 4, 10, nineX(4, 10, 2222), " A"}},
        {"me", "Windows Me", {VER_PLATFORM_WIN32_WINDOWS, 4, 90, nineX(4, 90, 3000), ""}},
        {"nt4", "Windows NT 4.0", {VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 6"}},
        {"2000", "Windows 2000", {VER_PLATFORM_WIN32_NT, 5, 0, 2195, "Service Pack 4"}},
        {"xp", "Windows XP", {VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 3"}},
    };
    return presets;
}

const VersionPreset* findVersionPreset(std::string_view name) {
    for (const VersionPreset& preset : versionPresets()) {
        if (name == preset.name) return &preset;
    }
    return nullptr;
}

const VersionPreset* presetOf(const VersionIdentity& identity) {
    for (const VersionPreset& preset : versionPresets()) {
        if (identity == preset.identity) return &preset;
    }
    return nullptr;
}

VersionIdentity defaultVersionIdentity() { return findVersionPreset("xp")->identity; }

std::string formatVersionIdentity(const VersionIdentity& identity) {
    char build[16];
    if (identity.buildNumber > 0xFFFF) {
        std::snprintf(build, sizeof build, "0x%08X", identity.buildNumber);
    } else {
        std::snprintf(build, sizeof build, "%u", identity.buildNumber);
    }
    return "# Windows version of the Kivora stand-in system, answered by GetVersionExA.\n"
           "# Change it with: kivora-sys version NAME | PLATFORM MAJOR MINOR BUILD\n"
           "platform=" + std::to_string(identity.platformId) + "\n"
           "major=" + std::to_string(identity.majorVersion) + "\n"
           "minor=" + std::to_string(identity.minorVersion) + "\n"
           "build=" + build + "\n"
           "csd=" + identity.csdVersion + "\n";
}

bool parseVersionIdentity(std::string_view text, VersionIdentity& identity, std::string& error) {
    static const char* const keys[] = {"platform", "major", "minor", "build", "csd"};
    bool seen[5] = {};
    VersionIdentity result;
    result.csdVersion.clear();
    DWORD* numbers[] = {&result.platformId, &result.majorVersion, &result.minorVersion,
                        &result.buildNumber};
    int lineNumber = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            error = "the file does not end with a line break (cut short?)";
            return false;
        }
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        ++lineNumber;
        std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            error = where + "expected NAME=VALUE";
            return false;
        }
        std::string_view key = line.substr(0, equals);
        std::string_view value = line.substr(equals + 1);
        int index = -1;
        for (int i = 0; i < 5; ++i) {
            if (key == keys[i]) index = i;
        }
        if (index < 0) {
            error = where + "unknown name \"" + std::string(key) + "\"";
            return false;
        }
        if (seen[index]) {
            error = where + std::string(key) + " is given twice";
            return false;
        }
        seen[index] = true;
        if (index == 4) {
            if (value.size() >= kCsdCapacity || !isStorableText(value)) {
                error = where + "csd must be CP932 text of at most 127 bytes";
                return false;
            }
            result.csdVersion = value;
        } else {
            std::optional<DWORD> number = parseVersionNumber(value);
            if (!number) {
                error = where + std::string(key) + " must be a number from 0 to 4294967295";
                return false;
            }
            *numbers[index] = *number;
        }
    }
    for (int i = 0; i < 4; ++i) {
        if (!seen[i]) {
            error = std::string("the line ") + keys[i] + "= is missing";
            return false;
        }
    }
    identity = result;
    return true;
}

DWORD loadVersionIdentity(VersionIdentity& identity, std::string& error) {
    std::string content;
    DWORD read = readSeededFile(kVersionFileName, formatVersionIdentity(defaultVersionIdentity()), content, error);
    if (read != ERROR_SUCCESS) return read;
    std::string why;
    if (!parseVersionIdentity(content, identity, why)) {
        error = damagedFileMessage(kVersionFileName, why);
        return ERROR_BADDB;
    }
    return ERROR_SUCCESS;
}

DWORD storeVersionIdentity(const VersionIdentity& identity, std::string& error) {
    if (identity.csdVersion.size() >= kCsdCapacity || !isStorableText(identity.csdVersion)) {
        error = "the service-pack text must be CP932 of at most 127 bytes";
        return ERROR_INVALID_PARAMETER;
    }
    RootLock lock;
    std::string path = rootFile(kVersionFileName);
    if (!lock.held()) {
        error = "cannot write " + path + ": " + std::strerror(lock.errorNumber());
        return errorFromErrno(lock.errorNumber());
    }
    if (!replaceFileAtomically(path, formatVersionIdentity(identity), 0644)) {
        int saved = errno;
        error = "cannot write " + path + ": " + std::strerror(saved);
        return errorFromErrno(saved);
    }
    return ERROR_SUCCESS;
}

}  // namespace standin

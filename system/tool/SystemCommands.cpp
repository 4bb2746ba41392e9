#include "Command.h"
#include "Cp932.h"
#include "Registry.h"
#include "SystemRoot.h"
#include "VersionIdentity.h"

#include <iostream>
#include <optional>

namespace systool {

namespace {

std::string utf8(const std::string& cp932Text) {
    std::string out;
    // The stores admit only text that converts; keep the bytes visible if not.
    if (!cp932::toUtf8(cp932Text, out)) return "<not CP932>";
    return out;
}

int initCommand(const std::vector<std::string>& args) {
    if (!args.empty()) return usageError("init", "init takes no arguments");
    std::string error;
    if (!standin::ensureSystemRoot(error)) return refuse(error);
    // Each store seeds its own files on first use; reading them is that use.
    int status = kExitOk;
    standin::VersionIdentity identity;
    if (standin::loadVersionIdentity(identity, error) != ERROR_SUCCESS) status = refuse(error);
    for (const standin::HiveFile& file : standin::hiveFiles()) {
        standin::Hive hive(file.rootName);
        if (standin::loadHive(file, hive, error) != ERROR_SUCCESS) status = refuse(error);
    }
    if (!seedRemoteAccess(error)) status = refuse(error);
    if (status == kExitOk) std::cout << standin::systemRootPath() << '\n';
    return status;
}

void printIdentity(const standin::VersionIdentity& identity) {
    std::string text = standin::formatVersionIdentity(identity);
    // The file's own lines without its comments, the service pack in UTF-8.
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        std::cout << utf8(line) << '\n';
    }
    if (const standin::VersionPreset* preset = standin::presetOf(identity)) {
        std::cout << "name=" << preset->name << " (" << preset->description << ")\n";
    }
}

int versionCommand(const std::vector<std::string>& args) {
    standin::VersionIdentity identity;
    std::string error;
    if (args.size() == 1) {
        const standin::VersionPreset* preset = standin::findVersionPreset(args[0]);
        if (preset == nullptr) {
            std::string names;
            for (const standin::VersionPreset& p : standin::versionPresets()) names += std::string(" ") + p.name;
            return usageError("version", "unknown version " + args[0] + "; one of:" + names);
        }
        identity = preset->identity;
    } else if (args.size() == 4) {
        DWORD* fields[] = {&identity.platformId, &identity.majorVersion, &identity.minorVersion,
                           &identity.buildNumber};
        for (size_t i = 0; i < 4; ++i) {
            std::optional<DWORD> number = standin::parseVersionNumber(args[i]);
            if (!number) return usageError("version", "not a number from 0 to 4294967295: " + args[i]);
            *fields[i] = *number;
        }
        identity.csdVersion.clear();
    } else if (!args.empty()) {
        return usageError("version", "version takes no argument, a NAME, or four numbers");
    }
    if (!args.empty()) {
        if (standin::storeVersionIdentity(identity, error) != ERROR_SUCCESS) return refuse(error);
    } else if (standin::loadVersionIdentity(identity, error) != ERROR_SUCCESS) {
        return refuse(error);
    }
    printIdentity(identity);
    return kExitOk;
}

int registryCommand(const std::vector<std::string>& args) {
    if (!args.empty()) return usageError("registry", "registry takes no arguments");
    int status = kExitOk;
    for (const standin::HiveFile& file : standin::hiveFiles()) {
        standin::Hive hive(file.rootName);
        std::string error;
        if (standin::loadHive(file, hive, error) != ERROR_SUCCESS) {
            status = refuse(error);
            continue;
        }
        for (const standin::RegistryKey& key : hive.keys()) {
            std::string prefix = hive.rootName() + (key.path.empty() ? "" : "\\" + utf8(key.path)) + "\\";
            for (const standin::RegistryValue& value : key.values) {
                std::cout << prefix << utf8(value.name) << '=';
                if (value.type == REG_DWORD) {
                    std::cout << "dword:" << value.number << '\n';
                } else {
                    std::cout << "sz:" << utf8(value.text) << '\n';
                }
            }
        }
    }
    return status;
}

}  // namespace

std::vector<Command> systemCommands() {
    return {
        {"init", "", "create and seed the system root, print its path", initCommand},
        {"version", "[NAME | PLATFORM MAJOR MINOR BUILD]",
         "show or set the Windows version", versionCommand},
        {"registry", "", "print every registry value, one a line", registryCommand},
    };
}

}  // namespace systool

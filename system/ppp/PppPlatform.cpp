// Where the program's platform state lives with the ppp service, and the
// meaning the service gives to the default-connection registry value.
#include "PppSystem.h"

#include "Cp932.h"
#include "PppEntries.h"
#include "ras.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace ppp {

namespace {

constexpr const char* kDefaultPeer = "provider";
constexpr const char* kFormerDefault = "provider.kivora-former";
constexpr const char* kAppliedDefault = "/var/lib/kivora/ppp-default";
constexpr const char* kDefaultKey = "SOFTWARE\\Microsoft\\RAS AutoDial\\Default";
constexpr const char* kDefaultValue = "DefaultInternet";

// A plain pointer, made only when needed: the library's constructor and
// destructor run outside the lifetime of its static objects.
std::string* privateStatePath = nullptr;

// A REGEDIT4 string: "\\" is a backslash and "\"" a quote; the trail byte
// of a double-byte character is never an escape.
bool unquoteRegistryText(std::string_view quoted, std::string& text) {
    text.clear();
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return false;
    quoted = quoted.substr(1, quoted.size() - 2);
    for (size_t i = 0; i < quoted.size(); ++i) {
        const char c = quoted[i];
        if (cp932::isLeadByte(static_cast<unsigned char>(c)) && i + 1 < quoted.size()) {
            text += c;
            text += quoted[++i];
        } else if (c == '\\' && i + 1 < quoted.size() && (quoted[i + 1] == '\\' || quoted[i + 1] == '"')) {
            text += quoted[++i];
        } else if (c == '"' || c == '\\') {
            return false;
        } else {
            text += c;
        }
    }
    return true;
}

// The entry the registry names as the default connection, or empty: the
// one value of the machine's hive the service reads (docs/system.md gives
// the hive's format).
std::string registryDefault() {
    bool present = false;
    std::string hive;
    if (!readFileAt(local(kStateDir) + "/HKLM.reg", present, hive, "the registry hive").ok() || !present) return {};
    const std::string section = std::string("[HKEY_LOCAL_MACHINE\\") + kDefaultKey + "]";
    const std::string name = std::string("\"") + kDefaultValue + "\"=";
    bool inSection = false;
    size_t pos = 0;
    while (pos < hive.size()) {
        size_t end = hive.find('\n', pos);
        if (end == std::string::npos) end = hive.size();
        std::string_view line(hive.data() + pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty() && line.front() == '[') {
            inSection = cp932::compareNoCaseMultiByte(line, section) == 0;
            continue;
        }
        if (!inSection || line.size() < name.size() ||
            cp932::compareNoCaseMultiByte(line.substr(0, name.size()), name) != 0) {
            continue;
        }
        std::string text;
        return unquoteRegistryText(line.substr(name.size()), text) ? text : std::string();
    }
    return {};
}

std::string aliasText(const std::string& peer) {
    return "# Kivora: the default connection, which pon with no name dials: the peer " + peer + ".\n"
           "# Written when Kivora made it the default; a provider that was here before is kept as " +
           std::string(kFormerDefault) + ".\n#kivora-default\ncall " + quoteOptionWord(peer) + "\n";
}

}  // namespace

Status applyDefaultConnection() {
    const std::string wanted = registryDefault();
    if (wanted.empty()) return {};
    bool present = false;
    std::string applied;
    if (!readFileAt(local(kAppliedDefault), present, applied, "the default connection").ok()) return {};
    if (present && applied == wanted) return {};

    ServiceLock lock;
    if (!lock.status().ok()) return lock.status();
    std::string peer;
    if (Status found = findPeer(wanted, peer); !found.ok()) return found;
    FileChanges changes;
    changes.put(kAppliedDefault, wanted, FileMode::Secret);
    if (peer != kDefaultPeer) {
        const std::string provider = peerPath(kDefaultPeer);
        switch (kindOf(local(provider))) {
        case FileKind::Missing:
            break;
        case FileKind::Regular: {
            std::string former;
            if (Status status = readFileAt(local(provider), present, former, "the peer"); !status.ok()) return status;
            PeerDocument document;
            std::string reason;
            if (parsePeer(former, document, reason) && document.isDefaultAlias) break;
            // Kept under a name of its own, where pon can still dial it.
            std::string keptAs = kFormerDefault;
            for (int n = 2; kindOf(local(peerPath(keptAs))) != FileKind::Missing; ++n) {
                keptAs = std::string(kFormerDefault) + "-" + std::to_string(n);
            }
            changes.put(peerPath(keptAs), former, FileMode::Private);
            break;
        }
        default:
            return failure(ERROR_CANNOT_OPEN_PHONEBOOK, "the default peer " + provider +
                                                            " is not a regular file; Kivora left it as it is");
        }
        changes.put(provider, aliasText(peer), FileMode::Private);
    }
    return changes.commit();
}

void placePlatformState() {
    const std::string state = local(kStateDir);
    if (ensureStateDir() && access(state.c_str(), R_OK | W_OK | X_OK) == 0) {
        setenv("KIVORA_SYSTEM", state.c_str(), 1);
        return;
    }
    // Without the right to change the system's state the program still
    // runs, in a folder of its own that goes with it; every change it asks
    // of the service is refused, with the reason.
    const char* temporary = std::getenv("TMPDIR");
    std::string pattern = std::string(temporary != nullptr && *temporary != '\0' ? temporary : "/tmp") +
                          "/kivora-unprivileged-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return;
    privateStatePath = new std::string(pattern);
    setenv("KIVORA_SYSTEM", privateStatePath->c_str(), 1);
}

void removePrivatePlatformState() {
    if (privateStatePath == nullptr) return;
    std::error_code error;
    std::filesystem::remove_all(*privateStatePath, error);
    delete privateStatePath;
    privateStatePath = nullptr;
}

}  // namespace ppp

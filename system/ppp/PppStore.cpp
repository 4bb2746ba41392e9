// The store operations of RemoteAccessStore.h over pppd's files, under the
// entry points of system/ras/RasApi.cpp: the argument checks and the
// record-size protocol stay the stand-in's, so that both services answer
// the program as Windows does.
#include "RemoteAccessStore.h"

#include "EntryNameRules.h"
#include "Phonebook.h"
#include "PppEntries.h"
#include "PppSystem.h"
#include "RecordFields.h"
#include "TextEscaping.h"

#include <cstring>
#include <mutex>

namespace standin::ras {

namespace {

using ppp::Account;
using ppp::FileChanges;
using ppp::PeerState;
using ppp::Secrets;
using ppp::ServiceLock;

// Serialises this process's threads; the ServiceLock serialises processes.
std::mutex storeMutex;

// A reader never sees half of a change a killed writer recorded: the next
// lock finishes it first (when the reader may write at all). The first call
// of a process also gives the default-connection value its meaning, should
// the program that set it have ended before its library was unloaded.
void finishPendingChange() {
    ppp::dropStaleCopies();
    static bool defaultApplied = false;
    if (!defaultApplied) {
        defaultApplied = true;
        ppp::applyDefaultConnection();
    }
    if (!ppp::recordedStepPending()) return;
    ServiceLock lock;
}

Status loadEntry(std::string_view name, std::string& peer, PeerState& state) {
    if (Status found = ppp::findPeer(name, peer); !found.ok()) return found;
    return ppp::loadPeer(peer, state);
}

template <size_t N>
bool fits(const CHAR (&)[N], const std::string& text) {
    return text.size() < N && isPlainText(text);
}

template <size_t N>
void copyInto(CHAR (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

}  // namespace

Status listEntries(std::vector<std::string>& names) {
    std::lock_guard guard(storeMutex);
    finishPendingChange();
    names.clear();
    std::vector<std::string> peers;
    if (Status status = ppp::listPeers(peers); !status.ok()) return status;
    for (const std::string& peer : peers) {
        std::string name;
        if (ppp::entryNameForPeer(peer, name)) names.push_back(std::move(name));
    }
    return {};
}

Status readEntry(std::string_view name, StoredEntry& entry) {
    std::lock_guard guard(storeMutex);
    finishPendingChange();
    std::string peer;
    PeerState state;
    if (Status status = loadEntry(name, peer, state); !status.ok()) return status;
    entry = {ppp::entryOf(state), {}};
    return {};
}

Status writeEntry(std::string_view name, const StoredEntry& entry) {
    return editEntry(name, [&entry](StoredEntry& edited) { edited = entry; });
}

Status editEntry(std::string_view name, const std::function<void(StoredEntry&)>& change) {
    finishPendingChange();
    std::string peer;
    if (Status valid = ppp::peerNameFor(name, peer); !valid.ok()) return valid;
    std::lock_guard guard(storeMutex);
    ServiceLock lock;
    if (!lock.status().ok()) return lock.status();
    std::string existing;
    Status found = ppp::findPeer(name, existing);
    if (!found.ok() && found.code != ERROR_CANNOT_FIND_PHONEBOOK_ENTRY) return found;
    PeerState state;
    StoredEntry entry = newEntry();
    if (found.ok()) {
        if (Status status = ppp::loadPeer(existing, state); !status.ok()) return status;
        entry.properties = ppp::entryOf(state);
    } else if (Status valid = checkPublishedEntryNameRules(name); !valid.ok()) {
        // A new peer's name keeps the published rules; an existing one,
        // maybe written by hand, stays writable under its own.
        return valid;
    }
    change(entry);
    if (Status valid = checkEntryProperties(entry); !valid.ok()) return valid;
    // pppd dials one number: what it cannot hold is refused, not dropped.
    if (!entry.alternates.empty()) {
        return failure(ERROR_INVALID_PARAMETER, "a pppd peer holds no alternate numbers");
    }
    FileChanges changes;
    if (Status status =
            ppp::planEntry(found.ok() ? existing : peer, found.ok() ? &state : nullptr, entry.properties, changes);
        !status.ok()) {
        return status;
    }
    return changes.commit();
}

Status deleteEntry(std::string_view name) {
    finishPendingChange();
    std::lock_guard guard(storeMutex);
    // No entry, nothing to change: said before the right to change is asked
    // for, as a creation deletes the name first.
    std::string existing;
    if (Status found = ppp::findPeer(name, existing); !found.ok()) return found;
    ServiceLock lock;
    if (!lock.status().ok()) return lock.status();
    std::string peer;
    PeerState state;
    if (Status status = loadEntry(name, peer, state); !status.ok()) return status;
    Secrets secrets;
    if (Status status = ppp::loadSecrets(secrets); !status.ok()) return status;
    FileChanges changes;
    ppp::planRemoval(state, secrets, changes);
    return changes.commit();
}

Status validateNewEntryName(std::string_view name) {
    std::string peer;
    if (Status valid = checkEntryName(name); !valid.ok()) return valid;
    if (Status valid = checkPublishedEntryNameRules(name); !valid.ok()) return valid;
    if (Status valid = ppp::peerNameFor(name, peer); !valid.ok()) return valid;
    std::lock_guard guard(storeMutex);
    finishPendingChange();
    std::string existing;
    Status found = ppp::findPeer(name, existing);
    if (found.ok()) return failure(ERROR_ALREADY_EXISTS, "there is already an entry named " + forDisplay(name));
    if (found.code != ERROR_CANNOT_FIND_PHONEBOOK_ENTRY) return found;
    return {};
}

Status readDialParams(std::string_view name, StoredDialParams& stored) {
    std::lock_guard guard(storeMutex);
    finishPendingChange();
    std::string peer;
    PeerState state;
    if (Status status = loadEntry(name, peer, state); !status.ok()) return status;
    Secrets secrets;
    if (Status status = ppp::loadSecrets(secrets); !status.ok()) return status;
    const Account account = ppp::accountOf(state, secrets);
    std::memset(&stored.params, 0, sizeof stored.params);
    copyFieldValues(dialParamsFields(), &account.fields, &stored.params);
    stored.params.dwSize = sizeof(RASDIALPARAMSA);
    if (!fits(stored.params.szUserName, account.user) ||
        (account.password && !fits(stored.params.szPassword, *account.password))) {
        return ppp::damagedFile(ppp::peerPath(peer),
                                "its user name or password is longer than an entry's 256 bytes or holds control characters");
    }
    copyInto(stored.params.szUserName, account.user);
    copyInto(stored.params.szPassword, account.password.value_or(""));
    stored.hasPassword = account.password.has_value();
    return {};
}

Status writeDialParams(std::string_view name, const RASDIALPARAMSA& params, bool removePassword) {
    for (const RecordField& field : dialParamsFields()) {
        if (!isTerminated(field, &params)) {
            return failure(ERROR_INVALID_PARAMETER, std::string(field.name) + " has no terminating NUL");
        }
    }
    finishPendingChange();
    std::lock_guard guard(storeMutex);
    ServiceLock lock;
    if (!lock.status().ok()) return lock.status();
    std::string peer;
    PeerState state;
    if (Status status = loadEntry(name, peer, state); !status.ok()) return status;
    Secrets secrets;
    if (Status status = ppp::loadSecrets(secrets); !status.ok()) return status;

    // As the stand-in keeps them: an empty user name, domain or callback
    // number leaves the stored one; an empty user name keeps the password.
    Account account = ppp::accountOf(state, secrets);
    std::memcpy(account.fields.szPhoneNumber, params.szPhoneNumber, sizeof params.szPhoneNumber);
    if (params.szCallbackNumber[0] != '\0') {
        std::memcpy(account.fields.szCallbackNumber, params.szCallbackNumber, sizeof params.szCallbackNumber);
    }
    if (params.szDomain[0] != '\0') std::memcpy(account.fields.szDomain, params.szDomain, sizeof params.szDomain);
    RASDIALPARAMSA kept{};
    copyFieldValues(dialParamsFields(), &account.fields, &kept);
    account.fields = kept;
    if (params.szUserName[0] != '\0') {
        account.user = params.szUserName;
        account.password = std::string(params.szPassword);
    }
    if (removePassword) account.password.reset();
    FileChanges changes;
    if (Status status = ppp::planAccount(state, secrets, account, changes); !status.ok()) return status;
    return changes.commit();
}

Status listDevices(std::vector<Device>& devices) {
    devices = ppp::probeModems();
    return {};
}

Status listConnections(std::vector<Connection>& connections) {
    std::lock_guard guard(storeMutex);
    connections = ppp::runningConnections();
    return {};
}

Status connectEntry(std::string_view name, Connection& connection) {
    std::string peer;
    {
        std::lock_guard guard(storeMutex);
        if (Status found = ppp::findPeer(name, peer); !found.ok()) return found;
        std::string entryName;
        ppp::entryNameForPeer(peer, entryName);
        for (const Connection& running : ppp::runningConnections()) {
            if (running.entryName == entryName) {
                connection = running;
                return {};
            }
        }
    }
    return ppp::dialPeer(peer, connection);
}

Status hangUp(DWORD handle) {
    std::lock_guard guard(storeMutex);
    return ppp::hangUpConnection(handle);
}

// The ppp service takes no injected faults: its faults are the machine's.
DWORD injectedFault(std::string_view, std::string_view) { return ERROR_SUCCESS; }

}  // namespace standin::ras

#include "RemoteAccessStore.h"

#include "EntryNameRules.h"
#include "RecordFields.h"
#include "StoreFile.h"
#include "StoreFiles.h"
#include "SystemRoot.h"
#include "TextEscaping.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace standin::ras {

namespace {

constexpr mode_t kReadableMode = 0644;
constexpr mode_t kOwnerOnlyMode = 0600;

// Serialises this process's threads around the caches; RootLock serialises
// processes around the files.
std::mutex storeMutex;

}  // namespace

const PhonebookFile::Format& phonebookFormat() {
    static const PhonebookFile::Format format{kPhonebookFile, kPhonebookJournal, "the phonebook", kReadableMode,
                                              parsePhonebook, serializePhonebook, parseEntry, formatEntry};
    return format;
}

const CredentialsFile::Format& credentialsFormat() {
    static const CredentialsFile::Format format{kCredentialsFile,     kCredentialsJournal,
                                                "the credentials file", kOwnerOnlyMode,
                                                parseCredentials,     serializeCredentials,
                                                parseStoredDialParams, formatStoredDialParams};
    return format;
}

namespace {

Status lockFailure() {
    return failure(ERROR_CANNOT_WRITE_PHONEBOOK, "cannot lock the system root " + systemRootPath());
}

PhonebookFile& phonebookFile() {
    static PhonebookFile file(phonebookFormat());
    return file;
}

CredentialsFile& credentialsFile() {
    static CredentialsFile file(credentialsFormat());
    return file;
}

// The small files are read afresh on every use. A missing file leaves
// `model` as it was given.
template <typename Model>
Status loadSmallFile(const char* fileName, const char* what,
                     bool (*parse)(std::string_view, Model&, std::string&), Model& model) {
    std::string path = rootFile(fileName);
    std::string content;
    switch (readWholeFile(path, content)) {
        case ReadResult::Missing:
            return {};
        case ReadResult::Failed:
            return unreadableFile(what, path, "it is not a readable regular file");
        case ReadResult::Ok:
            break;
    }
    std::string reason;
    if (!parse(content, model, reason)) {
        return failure(ERROR_CANNOT_OPEN_PHONEBOOK, damagedFile(what, path, reason));
    }
    return {};
}

Status saveSmallFile(const char* fileName, const std::string& content) {
    std::string path = rootFile(fileName);
    if (!replaceFileAtomically(path, content, kReadableMode)) return unwritableFile(path, errno);
    return {};
}

Status loadDevices(std::vector<Device>& devices) {
    devices = defaultDevices();
    return loadSmallFile(kDevicesFile, "the device list", parseDevices, devices);
}

Status loadConnections(std::vector<Connection>& connections) {
    connections.clear();
    return loadSmallFile(kConnectionsFile, "the connection list", parseConnections, connections);
}

Status loadFaults(std::vector<Fault>& faults) {
    faults.clear();
    return loadSmallFile(kFaultsFile, "the fault list", parseFaults, faults);
}

Status saveFaults(const std::vector<Fault>& faults) {
    // No faults, no file: calls then cost a single stat.
    if (faults.empty()) {
        std::string path = rootFile(kFaultsFile);
        if (!removeFile(path) && errno != ENOENT) return unwritableFile(path, errno);
        return {};
    }
    return saveSmallFile(kFaultsFile, serializeFaults(faults));
}

Status noSuchEntry(std::string_view name) {
    return failure(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "there is no entry named " + forDisplay(name));
}

bool sameName(std::string_view a, std::string_view b) {
    return cp932::compareNoCaseMultiByte(a, b) == 0;
}

}  // namespace

Status listEntries(std::vector<std::string>& names) {
    std::lock_guard guard(storeMutex);
    names.clear();
    if (Status status = phonebookFile().refresh(); !status.ok()) return status;
    const auto& items = phonebookFile().model().items();
    names.reserve(items.size());
    for (const auto& item : items) names.push_back(item.name);
    return {};
}

Status readEntry(std::string_view name, StoredEntry& entry) {
    std::lock_guard guard(storeMutex);
    if (Status status = phonebookFile().refresh(); !status.ok()) return status;
    const Phonebook::Item* item = phonebookFile().model().find(name);
    if (item == nullptr) return noSuchEntry(name);
    entry = item->record;
    return {};
}

Status writeEntry(std::string_view name, const StoredEntry& entry) {
    return editEntry(name, [&entry](StoredEntry& stored) { stored = entry; });
}

Status editEntry(std::string_view name, const std::function<void(StoredEntry&)>& change) {
    if (Status valid = checkEntryName(name); !valid.ok()) return valid;
    if (Status valid = checkPublishedEntryNameRules(name); !valid.ok()) return valid;
    std::lock_guard guard(storeMutex);
    RootLock lock;
    if (!lock.held()) return lockFailure();
    PhonebookFile& file = phonebookFile();
    if (Status status = file.refresh(); !status.ok()) return status;
    const Phonebook::Item* item = file.model().find(name);
    StoredEntry entry = item != nullptr ? item->record : newEntry();
    change(entry);
    if (Status valid = checkEntryProperties(entry); !valid.ok()) return valid;
    // Only the fields are kept: what a caller left after a terminator or in
    // padding would otherwise read back until the next reload.
    StoredEntry kept{{}, std::move(entry.alternates)};
    std::memset(&kept.properties, 0, sizeof kept.properties);
    copyFieldValues(entryFields(), &entry.properties, &kept.properties);
    kept.properties.dwSize = sizeof(RASENTRYA);
    kept.properties.dwAlternateOffset = 0;
    return file.put(name, kept);
}

Status deleteEntry(std::string_view name) {
    std::lock_guard guard(storeMutex);
    RootLock lock;
    if (!lock.held()) return lockFailure();
    if (Status status = phonebookFile().refresh(); !status.ok()) return status;
    if (phonebookFile().model().find(name) == nullptr) return noSuchEntry(name);
    if (Status status = credentialsFile().refresh(); !status.ok()) return status;
    // Credentials go first: a kill between the two writes leaves an entry
    // without credentials, never credentials that a new entry of the same
    // name would inherit.
    if (credentialsFile().model().find(name) != nullptr) {
        if (Status status = credentialsFile().remove(name); !status.ok()) return status;
    }
    return phonebookFile().remove(name);
}

Status validateNewEntryName(std::string_view name) {
    if (Status valid = checkEntryName(name); !valid.ok()) return valid;
    if (Status valid = checkPublishedEntryNameRules(name); !valid.ok()) return valid;
    std::lock_guard guard(storeMutex);
    if (Status status = phonebookFile().refresh(); !status.ok()) return status;
    if (phonebookFile().model().find(name) != nullptr) {
        return failure(ERROR_ALREADY_EXISTS, "there is already an entry named " + forDisplay(name));
    }
    return {};
}

Status readDialParams(std::string_view name, StoredDialParams& stored) {
    std::lock_guard guard(storeMutex);
    if (Status status = phonebookFile().refresh(); !status.ok()) return status;
    if (phonebookFile().model().find(name) == nullptr) return noSuchEntry(name);
    if (Status status = credentialsFile().refresh(); !status.ok()) return status;
    if (const Credentials::Item* item = credentialsFile().model().find(name)) {
        stored = item->record;
    } else {
        std::memset(&stored.params, 0, sizeof stored.params);
        stored.params.dwSize = sizeof(RASDIALPARAMSA);
        stored.hasPassword = false;
    }
    return {};
}

Status writeDialParams(std::string_view name, const RASDIALPARAMSA& params, bool removePassword) {
    std::lock_guard guard(storeMutex);
    RootLock lock;
    if (!lock.held()) return lockFailure();
    if (Status status = phonebookFile().refresh(); !status.ok()) return status;
    const Phonebook::Item* entry = phonebookFile().model().find(name);
    if (entry == nullptr) return noSuchEntry(name);
    if (Status status = credentialsFile().refresh(); !status.ok()) return status;
    for (const RecordField& field : dialParamsFields()) {
        if (!isTerminated(field, &params)) {
            return failure(ERROR_INVALID_PARAMETER, std::string(field.name) + " has no terminating NUL");
        }
    }

    StoredDialParams stored;
    if (const Credentials::Item* item = credentialsFile().model().find(name)) {
        stored = item->record;
    } else {
        std::memset(&stored.params, 0, sizeof stored.params);
        stored.hasPassword = false;
    }
    // An empty user name, domain or callback number leaves the stored one
    // as it is; an empty user name keeps the password with it.
    auto keepUnlessEmpty = [&](auto& storedText, const auto& givenText) {
        if (givenText[0] != '\0') std::memcpy(storedText, givenText, sizeof storedText);
    };
    std::memcpy(stored.params.szPhoneNumber, params.szPhoneNumber, sizeof params.szPhoneNumber);
    keepUnlessEmpty(stored.params.szCallbackNumber, params.szCallbackNumber);
    keepUnlessEmpty(stored.params.szDomain, params.szDomain);
    if (params.szUserName[0] != '\0') {
        std::memcpy(stored.params.szUserName, params.szUserName, sizeof params.szUserName);
        std::memcpy(stored.params.szPassword, params.szPassword, sizeof params.szPassword);
        stored.hasPassword = true;
    }
    if (removePassword) {
        std::memset(stored.params.szPassword, 0, sizeof stored.params.szPassword);
        stored.hasPassword = false;
    }
    // Only the fields are kept, as with the entry's properties.
    StoredDialParams kept{};
    copyFieldValues(dialParamsFields(), &stored.params, &kept.params);
    kept.params.dwSize = sizeof(RASDIALPARAMSA);
    kept.hasPassword = stored.hasPassword;
    return credentialsFile().put(entry->name, kept);
}

Status listDevices(std::vector<Device>& devices) {
    std::lock_guard guard(storeMutex);
    return loadDevices(devices);
}

Status addDevice(const Device& device) {
    if (Status valid = checkDevice(device); !valid.ok()) return valid;
    std::lock_guard guard(storeMutex);
    RootLock lock;
    if (!lock.held()) return lockFailure();
    std::vector<Device> devices;
    if (Status status = loadDevices(devices); !status.ok()) return status;
    if (findDevice(devices, device.name) != nullptr) {
        return failure(ERROR_ALREADY_EXISTS, "there is already a device named " + forDisplay(device.name));
    }
    devices.push_back(device);
    return saveSmallFile(kDevicesFile, serializeDevices(devices));
}

Status removeDevice(std::string_view name) {
    std::lock_guard guard(storeMutex);
    RootLock lock;
    if (!lock.held()) return lockFailure();
    std::vector<Device> devices;
    if (Status status = loadDevices(devices); !status.ok()) return status;
    const Device* device = findDevice(devices, name);
    if (device == nullptr) {
        return failure(ERROR_DEVICE_DOES_NOT_EXIST, "there is no device named " + forDisplay(name));
    }
    devices.erase(devices.begin() + (device - devices.data()));
    return saveSmallFile(kDevicesFile, serializeDevices(devices));
}

Status seedDevices() {
    std::lock_guard guard(storeMutex);
    RootLock lock;
    if (!lock.held()) return lockFailure();
    FileIdentity existing;
    if (identityOf(rootFile(kDevicesFile), existing) && existing.present) return {};
    return saveSmallFile(kDevicesFile, serializeDevices(defaultDevices()));
}

Status listConnections(std::vector<Connection>& connections) {
    std::lock_guard guard(storeMutex);
    return loadConnections(connections);
}

Status connectEntry(std::string_view name, Connection& connection) {
    std::lock_guard guard(storeMutex);
    RootLock lock;
    if (!lock.held()) return lockFailure();
    if (Status status = phonebookFile().refresh(); !status.ok()) return status;
    const Phonebook::Item* entry = phonebookFile().model().find(name);
    if (entry == nullptr) return noSuchEntry(name);
    std::vector<Connection> connections;
    if (Status status = loadConnections(connections); !status.ok()) return status;
    for (const Connection& active : connections) {
        if (sameName(active.entryName, name)) {
            connection = active;
            return {};
        }
    }
    DWORD handle = 1;
    while (std::any_of(connections.begin(), connections.end(),
                       [handle](const Connection& active) { return active.handle == handle; })) {
        ++handle;
    }
    const RASENTRYA& properties = entry->record.properties;
    connection = {handle, entry->name, properties.szDeviceType, properties.szDeviceName};
    connections.push_back(connection);
    return saveSmallFile(kConnectionsFile, serializeConnections(connections));
}

Status hangUp(DWORD handle) {
    std::lock_guard guard(storeMutex);
    RootLock lock;
    if (!lock.held()) return lockFailure();
    std::vector<Connection> connections;
    if (Status status = loadConnections(connections); !status.ok()) return status;
    auto active = std::find_if(connections.begin(), connections.end(),
                               [handle](const Connection& c) { return c.handle == handle; });
    if (active == connections.end()) {
        return failure(ERROR_INVALID_HANDLE, "there is no active connection " + std::to_string(handle));
    }
    connections.erase(active);
    return saveSmallFile(kConnectionsFile, serializeConnections(connections));
}

Status disconnectEntry(std::string_view name) {
    std::lock_guard guard(storeMutex);
    RootLock lock;
    if (!lock.held()) return lockFailure();
    std::vector<Connection> connections;
    if (Status status = loadConnections(connections); !status.ok()) return status;
    if (std::erase_if(connections, [name](const Connection& c) { return sameName(c.entryName, name); }) ==
        0) {
        return failure(ERROR_INVALID_HANDLE, forDisplay(name) + " is not connected");
    }
    return saveSmallFile(kConnectionsFile, serializeConnections(connections));
}

DWORD injectedFault(std::string_view function, std::string_view entry) {
    FileIdentity faultList;
    if (identityOf(rootFile(kFaultsFile), faultList) && !faultList.present) return ERROR_SUCCESS;
    std::lock_guard guard(storeMutex);
    // Under the lock, so that two processes never both take a counted
    // fault's last call.
    RootLock lock;
    std::vector<Fault> faults;
    // A fault list that cannot be read is not ignored: tests relying on it
    // would pass for the wrong reason.
    if (!loadFaults(faults).ok()) return ERROR_CANNOT_OPEN_PHONEBOOK;
    Fault* fault = matchingFault(faults, function, entry);
    if (fault == nullptr) return ERROR_SUCCESS;
    DWORD code = fault->code;
    if (fault->times != 0 && lock.held()) {
        if (--fault->times == 0) faults.erase(faults.begin() + (fault - faults.data()));
        saveFaults(faults);
    }
    return code;
}

Status listFaults(std::vector<Fault>& faults) {
    std::lock_guard guard(storeMutex);
    return loadFaults(faults);
}

Status setFault(const Fault& fault) {
    std::lock_guard guard(storeMutex);
    RootLock lock;
    if (!lock.held()) return lockFailure();
    std::vector<Fault> faults;
    if (Status status = loadFaults(faults); !status.ok()) return status;
    std::erase_if(faults, [&fault](const Fault& f) {
        return f.function == fault.function && sameName(f.entry, fault.entry);
    });
    faults.push_back(fault);
    return saveFaults(faults);
}

Status clearFaults(std::string_view function) {
    std::lock_guard guard(storeMutex);
    RootLock lock;
    if (!lock.held()) return lockFailure();
    std::vector<Fault> faults;
    if (Status status = loadFaults(faults); !status.ok()) return status;
    std::erase_if(faults, [function](const Fault& f) { return f.function == function; });
    return saveFaults(faults);
}

}  // namespace standin::ras

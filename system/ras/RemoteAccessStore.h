// The remote-access service's state in the system root: the default
// phonebook, the credentials stored with its entries, the devices, the
// active connections and the injected faults. librasapi32.so and kivora-sys
// both work through these operations.
//
// Every change is made under the root lock, so processes writing at once
// lose nothing, and a kill at any moment leaves the old or the new state. A
// change to the phonebook or the credentials appends one record to the
// file's journal and flushes it before it answers; the journal is folded
// into the file, written whole and replaced atomically, once it outgrows
// the file. The small files are replaced atomically at every change. A
// damaged file or journal answers ERROR_CANNOT_OPEN_PHONEBOOK and is never
// rewritten. The phonebook and the credentials are parsed once and kept:
// while neither file nor journal changed a call costs two stats, and after
// another process appended, only the new records are read.
#pragma once

#include "Connections.h"
#include "Credentials.h"
#include "Devices.h"
#include "Faults.h"
#include "Phonebook.h"
#include "StoreStatus.h"
#include "ras.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace standin::ras {

// The store's files, in the system root.
constexpr const char* kPhonebookFile = "phonebook.txt";
constexpr const char* kCredentialsFile = "credentials.txt";
constexpr const char* kPhonebookJournal = "phonebook.journal";
constexpr const char* kCredentialsJournal = "credentials.journal";
constexpr const char* kDevicesFile = "devices.txt";
constexpr const char* kConnectionsFile = "connections.txt";
constexpr const char* kFaultsFile = "faults.txt";

// Entry names in phonebook order.
Status listEntries(std::vector<std::string>& names);

// ERROR_CANNOT_FIND_PHONEBOOK_ENTRY when there is no such entry.
Status readEntry(std::string_view name, StoredEntry& entry);

// Creates the entry or replaces the one whose name matches, which then takes
// the name as given now and keeps its place and credentials.
Status writeEntry(std::string_view name, const StoredEntry& entry);

// Changes an entry in one locked step: `change` edits its current fields and
// alternate numbers (a new entry's when there is none).
Status editEntry(std::string_view name, const std::function<void(StoredEntry&)>& change);

// Removes the entry and the credentials stored with it.
Status deleteEntry(std::string_view name);

// ERROR_INVALID_NAME for a name the phonebook cannot hold or the published
// rules refuse, ERROR_ALREADY_EXISTS for the name of an entry, else success.
Status validateNewEntryName(std::string_view name);

// The credentials of an existing entry; none stored reads as empty fields
// without a password.
Status readDialParams(std::string_view name, StoredDialParams& stored);

// Stores every field of `params` but dwSize and szEntryName with the entry;
// with `removePassword` the stored password is removed instead of set.
// ERROR_INVALID_PARAMETER for a text without its terminator.
Status writeDialParams(std::string_view name, const RASDIALPARAMSA& params, bool removePassword);

// Without a device list the default devices are offered.
Status listDevices(std::vector<Device>& devices);
Status addDevice(const Device& device);
Status removeDevice(std::string_view name);
// Writes the default device list when there is none yet.
Status seedDevices();

Status listConnections(std::vector<Connection>& connections);
// Records the entry as connected over its device; an entry already
// connected keeps its connection.
Status connectEntry(std::string_view name, Connection& connection);
// ERROR_INVALID_HANDLE for a handle that is not an active connection.
Status hangUp(DWORD handle);
// Ends every connection of the entry; ERROR_INVALID_HANDLE when there is none.
Status disconnectEntry(std::string_view name);

// The error code injected into this call of `function` about `entry` (empty
// when the call is about no entry), or ERROR_SUCCESS. A counted fault is
// used up by the call. Costs one stat while no faults are set.
DWORD injectedFault(std::string_view function, std::string_view entry);
Status listFaults(std::vector<Fault>& faults);
// Replaces any fault of the same function and entry.
Status setFault(const Fault& fault);
Status clearFaults(std::string_view function);

}  // namespace standin::ras

// Everything of one phonebook entry that a change by this program can touch:
// its properties record, its stored user name and its password (or that none
// is stored). Read before a change so that the change can be put back whole.
#pragma once

#include "RemoteAccess.h"

#include <optional>
#include <string>

struct EntryState {
    // False for an entry that does not exist; the other members are then empty.
    bool present = false;
    // The RASENTRYA bytes, as long as the service reported for the entry.
    std::string properties;
    std::string userName;
    std::optional<std::string> password;

    bool operator==(const EntryState&) const = default;
};

// Reads the entry named exactly `name`. Returns 0 (an entry that does not
// exist is read as absent) or the service's error code.
DWORD readEntryState(const RasFunctionTable& ras, const std::string& name, EntryState& state);

// Makes the entry `name` hold `state` again: an absent state deletes it;
// otherwise its properties and then its account are written. Returns 0 or
// the first failing call's code.
DWORD restoreEntryState(const RasFunctionTable& ras, const std::string& name, const EntryState& state);

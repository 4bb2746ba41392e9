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

// Whether restoring `state` begins by removing the entry: for a state
// without the entry, or without a user name (an empty name cannot be
// written over a stored one).
bool restoreBeginsByRemoving(const EntryState& state);

// The properties record as a state holds it, `size` bytes from `entry`.
std::string propertiesBytes(const RASENTRYA& entry, DWORD size);

// Whether `current` is a state that writes from `former` towards `aim` can
// leave when they are cut off. Each write stores either the properties or
// the account whole, so: one of the two states, or the properties of one
// with the account of the other; when the writes begin by removing the
// entry, also no entry, or one without an account yet.
bool isOnTheWay(const EntryState& current, const EntryState& former, const EntryState& aim, bool removesFirst);

// The two states alike, but for the password when `withPassword` is false.
bool sameState(const EntryState& a, const EntryState& b, bool withPassword);

// Whether `after` differs from `former` only where a migration writes: the
// number, the modem, the name servers and the account of an entry that
// stays.
bool differsOnlyWhereMigrationWrites(const EntryState& former, const EntryState& after);

// Turning the new-connection form into a working dial-up connection: the
// phonebook entry, the account's user name and password stored with it and,
// when asked for, the registry values that make it the default connection.
// Every call goes to the default phonebook through the given table; an entry
// point the table lacks is never called.
#pragma once

#include "DefaultConnection.h"
#include "RemoteAccess.h"

#include <cstddef>
#include <string>

// What the form hands over; texts in CP932.
struct ConnectionRequest {
    std::string entryName;
    std::string modem;
    std::string accessNumber;
    std::string userName;  // without the domain
    std::string domain;    // appended to the user name as it stands
    std::string password;
    bool pulse = false;
    bool makeDefault = false;
};

// The prefix put in front of the access number: none for tone dialling;
// for pulse dialling "PP" on the Windows 95/98/Me family and "P" on every
// other platform, one that cannot be told included. Probes the platform
// afresh each time pulse dialling is asked for.
std::string dialPrefix(bool pulse);

// How many bytes of access number fit the entry's number field behind the
// dial prefix.
std::size_t accessNumberRoom(bool pulse);

// Writes the entry (replacing one of the same name in any letter case), then
// stores the user name followed by the domain and the password, as one
// change: should any step fail, the former entry with its account (or no
// entry, where there was none) is put back. Then, when asked, it makes the
// entry the default connection, and `defaultConnection` says what of that
// could not be written (nothing when not asked). True only when the entry
// and its account were both stored. A failure to write the entry has
// already been shown to the user, with its reason.
bool createConnection(const RasFunctionTable& ras, const ConnectionRequest& request,
                      DefaultConnectionResult& defaultConnection);

// The steps of a creation. createEntry deletes an entry of that name (with
// its stored account) and writes `entry`; saveDialParams stores the account
// (an empty password removes a stored one). Each returns 0 or the service's
// code, shows no message, and calls nothing the table lacks.
DWORD createEntry(const RasFunctionTable& ras, const std::string& entryName, const RASENTRYA& entry);
DWORD saveDialParams(const RasFunctionTable& ras, const RASDIALPARAMSA& params);

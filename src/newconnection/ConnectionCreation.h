// Turning the new-connection form into a working dial-up connection: the
// phonebook entry, the account's user name and password stored with it and,
// when asked for, the registry values that make it the default connection.
// Every call goes to the default phonebook through the given table; an entry
// point the table lacks is never called.
#pragma once

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
// dial prefix, and how many bytes of user name fit the stored user name in
// front of `domain` (0 when the domain alone fills it).
std::size_t accessNumberRoom(bool pulse);
std::size_t userNameRoom(const std::string& domain);

// Writes the entry (replacing one of the same name in any letter case), then
// stores the user name followed by the domain and the password, then, when
// asked, makes it the default connection. True only when the entry and its
// user name and password were all stored. A failure to write the entry has
// already been shown to the user.
bool createConnection(const RasFunctionTable& ras, const ConnectionRequest& request);

// Writes a modem entry of the fixed options dialling `accessNumber` behind
// the dial prefix, with the provider's name servers when its settings ask for
// them. An entry of that name is replaced whole; should the write fail, the
// former entry and its stored user name and password are put back. Returns 0,
// or the error code after its message has been shown; texts that do not fit
// the record are refused (ERROR_INVALID_PARAMETER) before anything is written.
DWORD createEntry(const RasFunctionTable& ras, const std::string& entryName, const std::string& deviceName,
                  const std::string& accessNumber, bool pulse);

// Stores `userName` (the composed one) and `password` with the entry; an
// empty password removes a stored one. Fails, writing nothing, when the
// active connections cannot be asked for or a text does not fit the record;
// fails too when the service refuses the record. Shows no message.
bool saveDialParams(const RasFunctionTable& ras, const std::string& entryName, const std::string& userName,
                    const std::string& password);

// A confirmed change, applied to the entry's records as they were read: the
// user name and password in its dial parameters; the number, the modem and
// the provider's name servers in its properties. Only those fields change;
// every other field is written back as it was read. Nothing here writes:
// the pass writes both records as one change, after both were made.
#pragma once

#include "RasRecords.h"
#include "RemoteAccess.h"
#include "WriteFailure.h"

#include <string>
#include <string_view>

struct PhoneNumberParts {
    std::string areaCode;
    std::string localNumber;
};

// "area-local" at the first dash. Without a dash the whole text is the local
// number; a dash with nothing after it leaves "-" as the local number.
PhoneNumberParts splitPhoneNumber(std::string_view number);

// On the NT family, and on a platform that cannot be told, the area code
// keeps only its digits ("(03)" becomes "03"); the 95/98/Me family stores it
// as typed. Asks the platform each time.
void keepDigits(std::string& areaCode);

// The new number as an entry stores it: split into area code (digits kept
// as the platform wants) and local number when the entry uses area codes,
// else whole as the local number.
PhoneNumberParts numberAsStored(std::string_view number, bool usesAreaCodes);

// Puts the new user name (null: unchanged) and password into the entry's
// dial parameters as read, and says whether the stored password is to be
// removed. newPassword null keeps the password as it was; equal to the saved
// one changes nothing; empty removes it. savedPassword is null when the
// entry had no password stored, which then stays so. False, with `params`
// unusable, when a text does not fit.
bool updateDialParams(RASDIALPARAMSA& params, const char* newUser, const char* newPassword,
                      const char* savedPassword, BOOL& removePassword);

// Puts the new number (null: unchanged) and modem (null: unchanged) into the
// entry as read and, with name servers, the provider's name-server settings.
// Returns 0, or kErrorNumberDoesNotFit when a text does not fit its field.
// `needsWrite` is false when there is nothing to change: then the entry is
// not written at all and its name servers stay as they are.
DWORD updateEntryProperties(RASENTRYA& entry, const char* newNumber, const char* newModem, bool withNameServers,
                            bool& needsWrite);

// The warning shown when changing an entry failed with `result`.
std::string changeFailureMessage(DWORD result);

// Writing a confirmed change back into an existing phonebook entry, always
// in two steps: the user name and password, then the number, the modem and
// the provider's name servers. Only those fields change; every other field
// is written back as it was read.
#pragma once

#include "RemoteAccess.h"

#include <string>
#include <string_view>
#include <vector>

// Our own code, shown in the change-failure message, for a new number whose
// area code part is longer than 10 bytes or whose local number is longer
// than 128 (or a modem name longer than 128): the entry's fields cannot hold
// it, and a cut number would dial somewhere else. Bit 29 marks a code as an
// application's own, so no system code can ever mean something else by it.
constexpr DWORD kErrorNumberDoesNotFit = 0x20000001;

// An entry's properties in a buffer of the size the service reported for
// it. dwSize carries that size, as the service expects it back.
class EntryBuffer {
public:
    explicit EntryBuffer(DWORD reportedSize);
    RASENTRYA& entry() { return records_.front(); }
    const RASENTRYA& entry() const { return records_.front(); }
    DWORD size() const { return size_; }

private:
    std::vector<RASENTRYA> records_;
    DWORD size_;
};

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

// Stores the new user name (null: unchanged) and password in the entry's
// dial parameters as read. newPassword null keeps the password as it was;
// equal to the saved one changes nothing; empty removes it. savedPassword is
// null when the entry had no password stored, which then stays so. Refused
// while the service cannot say which connections are active, and when a
// text does not fit. Returns 1 when written, else 0; never shows a message.
int updateDialParams(const RasFunctionTable& ras, RASDIALPARAMSA& params, const char* newUser,
                     const char* newPassword, const char* savedPassword);

// Stores the new number (null: unchanged) and modem (null: unchanged) in the
// entry as read and, with name servers, applies the provider's name-server
// settings. Nothing to change is success without a write. A failed or
// refused write shows its change-failure message. Returns 1 on success,
// else 0.
int updateEntryProperties(const RasFunctionTable& ras, const char* entryName, EntryBuffer& buffer,
                          const char* newNumber, const char* newModem, bool withNameServers);

// The warning shown when writing an entry's properties failed with `result`.
std::string changeFailureMessage(DWORD result);

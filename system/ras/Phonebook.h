// The default phonebook: entries by name, in phonebook order, each with its
// RASENTRYA fields and alternate numbers, and its text form in phonebook.txt.
#pragma once

#include "NamedRecords.h"
#include "RecordFields.h"
#include "SectionFile.h"
#include "StoreStatus.h"
#include "ras.h"

#include <string>
#include <string_view>
#include <vector>

namespace standin::ras {

// An entry as the phonebook keeps it. The alternate numbers, dialled in
// turn when the first does not answer, are kept apart from the record:
// `properties` always has dwSize 1768 and dwAlternateOffset 0, and where
// the list stands in a caller's buffer is the entry points' concern.
struct StoredEntry {
    RASENTRYA properties;
    std::vector<std::string> alternates;
};

using Phonebook = NamedRecords<StoredEntry>;


// What an entry name must be: 1 to 256 bytes of CP932 text without control
// characters, so that it reads back, lists one a line and shows in UTF-8.
// ERROR_INVALID_NAME otherwise.
Status checkEntryName(std::string_view name);

// What the phonebook can hold of an entry: every text terminated within its
// field, and alternate numbers of 1 to RAS_MaxPhoneNumber bytes each (a NUL
// would end the number, an empty one the list). ERROR_INVALID_PARAMETER
// otherwise.
Status checkEntryProperties(const StoredEntry& entry);

// dwSize and dwAlternateOffset, which follow from the entry (its version and
// its alternate numbers): the file never holds them, and no caller sets them.
bool followsFromEntry(const RecordField& field);

// A new entry: every field zero, szDeviceType "modem", dwSize 1768, no
// alternate numbers.
StoredEntry newEntry();

// False, with the line and what is wrong in `reason`, for text that is not
// a phonebook this store wrote or could have written.
bool parsePhonebook(std::string_view content, Phonebook& phonebook, std::string& reason);

// One entry's record, as the phonebook and its journal hold it.
bool parseEntry(const Section& section, StoredEntry& entry, std::string& reason);

// Fields that are zero or empty are left out; dwSize and dwAlternateOffset
// are never written; the alternate numbers follow the fields.
std::string serializePhonebook(const Phonebook& phonebook);
std::string formatEntry(std::string_view name, const StoredEntry& entry);

}  // namespace standin::ras

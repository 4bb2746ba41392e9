// The default phonebook: entries by name, in phonebook order, each with its
// RASENTRYA fields, and its text form in phonebook.txt.
#pragma once

#include "NamedRecords.h"
#include "SectionFile.h"
#include "StoreStatus.h"
#include "ras.h"

#include <string>
#include <string_view>

namespace standin::ras {

using Phonebook = NamedRecords<RASENTRYA>;

// What an entry name must be: 1 to 256 bytes of CP932 text without control
// characters, so that it reads back, lists one a line and shows in UTF-8.
// ERROR_INVALID_NAME otherwise.
Status checkEntryName(std::string_view name);

// What the phonebook can hold of a record: every text terminated within its
// field, and no alternate numbers (dwAlternateOffset 0).
// ERROR_INVALID_PARAMETER otherwise.
Status checkEntryProperties(const RASENTRYA& properties);

// A new entry: every field zero, szDeviceType "modem", dwSize 1768.
RASENTRYA newEntryProperties();

// False, with the line and what is wrong in `reason`, for text that is not
// a phonebook this store wrote or could have written.
bool parsePhonebook(std::string_view content, Phonebook& phonebook, std::string& reason);

// One entry's record, as the phonebook and its journal hold it.
bool parseEntry(const Section& section, RASENTRYA& properties, std::string& reason);

// Fields that are zero or empty are left out; dwSize is never written.
std::string serializePhonebook(const Phonebook& phonebook);
std::string formatEntry(std::string_view name, const RASENTRYA& properties);

}  // namespace standin::ras

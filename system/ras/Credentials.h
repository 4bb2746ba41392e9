// The user names and passwords stored with phonebook entries, kept apart
// from the phonebook in credentials.txt, readable by the owner only.
#pragma once

#include "NamedRecords.h"
#include "SectionFile.h"
#include "ras.h"

#include <string>
#include <string_view>

namespace standin::ras {

struct StoredDialParams {
    RASDIALPARAMSA params;  // szEntryName is not used; the record's name is
    bool hasPassword;       // a stored empty password differs from none
};

using Credentials = NamedRecords<StoredDialParams>;

bool parseCredentials(std::string_view content, Credentials& credentials, std::string& reason);
std::string serializeCredentials(const Credentials& credentials);

// One entry's credentials, as credentials.txt and its journal hold them.
bool parseStoredDialParams(const Section& section, StoredDialParams& stored, std::string& reason);
std::string formatStoredDialParams(std::string_view name, const StoredDialParams& stored);

}  // namespace standin::ras

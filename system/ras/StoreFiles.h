// The phonebook and the credentials as journaled files. The store keeps one
// of each; a check of what other processes left on disk reads a fresh one.
#pragma once

#include "Credentials.h"
#include "JournaledFile.h"
#include "Phonebook.h"

namespace standin::ras {

using PhonebookFile = JournaledFile<StoredEntry>;
using CredentialsFile = JournaledFile<StoredDialParams>;

const PhonebookFile::Format& phonebookFormat();
const CredentialsFile::Format& credentialsFormat();

}  // namespace standin::ras

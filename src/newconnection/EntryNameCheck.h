// Whether the phonebook will take a name for a new entry, asked before
// anything is written, so that the form can refuse the name and stay open.
#pragma once

#include "RemoteAccess.h"

#include <string>

// False only when the remote-access service calls the name invalid
// (ERROR_INVALID_NAME). A name in use is the overwrite question's to ask,
// and any other answer (no service, no phonebook) is left to the writing,
// which reports it.
bool phonebookAcceptsName(const RasFunctionTable& remoteAccess, const std::string& name);

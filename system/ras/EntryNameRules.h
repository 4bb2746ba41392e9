// The published rules for a new entry's name, beyond what the phonebook can
// hold: none of \ / : * ? < > |, no leading period, and at least one letter
// or digit. RasValidateEntryNameA applies them so that a program can refuse
// such a name before it writes anything.
#pragma once

#include "StoreStatus.h"

#include <string_view>

namespace standin::ras {

// ERROR_INVALID_NAME with the rule broken, else success. `name` is CP932
// text the phonebook can hold (checkEntryName passed).
Status checkPublishedEntryNameRules(std::string_view name);

}  // namespace standin::ras

// English texts for the error codes the remote-access service answers with.
#pragma once

#include "windows.h"

namespace standin::ras {

// Null for a code the service never answers with.
const char* errorText(DWORD code);

}  // namespace standin::ras

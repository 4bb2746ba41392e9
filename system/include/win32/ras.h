// The Windows build's remote-access declarations: the project's own version
// 4.00 records in place of the system's header, next to the real windows.h.
#pragma once

#include "../ras.h"

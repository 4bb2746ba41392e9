// Message boxes of the dialog framework.
#pragma once

#include "windows.h"

namespace ui {

// Shows a modal message box with the given MB_ icon and button flags (MB_OK
// or MB_OKCANCEL); texts are CP932. A null caption means the application
// title. Returns IDOK or IDCANCEL; IDCANCEL when no backend is current.
int messageBox(const char* text, UINT type, const char* caption = nullptr);

}  // namespace ui

// Message boxes of the dialog framework.
#pragma once

#include "windows.h"

namespace ui {

// Shows a message box with the given MB_ icon and button flags. A null
// caption means the application title. Returns IDOK or IDCANCEL; IDCANCEL
// when no backend is current.
int messageBox(const char* text, UINT type, const char* caption = nullptr);

}  // namespace ui

// The interface behind the dialog framework. Exactly one backend is current;
// no program code knows which.
#pragma once

#include "windows.h"

#include <string>

namespace ui {

class Backend {
public:
    virtual ~Backend() = default;
    // Shows a modal message box; texts are CP932. Returns IDOK or IDCANCEL.
    virtual int messageBox(const std::string& text, const std::string& caption, UINT type) = 0;
};

// The current backend (not owned). Null until start-up chooses one.
Backend* currentBackend();
void setCurrentBackend(Backend* backend);

}  // namespace ui

// A dialog's template as the dialog manager takes it: a DLGTEMPLATE and its
// DLGITEMTEMPLATEs laid out in memory as a resource compiler lays them out.
#pragma once

#include "DialogTemplate.h"

#include <windows.h>

#include <string>
#include <vector>

namespace ui {

class Win32DialogTemplate {
public:
    // The dialog is hidden until shown; drop-down lists are owner-drawn, so
    // that headings stand apart.
    explicit Win32DialogTemplate(const DialogTemplate& source);

    const DLGTEMPLATE* data() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    // 16-bit words, each item on a 32-bit boundary.
    void word(WORD value) { words_.push_back(value); }
    void dword(DWORD value);
    void text(const std::string& cp932Text);
    void alignToDword();

    std::vector<WORD> words_;
};

}  // namespace ui

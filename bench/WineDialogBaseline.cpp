// The baseline of kivora.exe's start-up under Wine: a minimal windowed
// program that shows one of the program's dialog templates (102, the main
// menu, or 129, the new-connection form) through the dialog manager, with
// the same manifest, and nothing else: no provider file, no remote-access
// service, no logo. It ends when the dialog is closed.
//   kivora-bench-dialog.exe ID
#include "Resources.h"
#include "Win32DialogTemplate.h"

#include <cstdlib>

namespace {

INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const auto id = static_cast<resources::DialogId>(std::atoi(argv[1]));
    const ui::Win32DialogTemplate dialogTemplate(resources::dialogTemplate(id));
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialogTemplate.data(), nullptr, dialogProcedure, 0) ==
                   IDCANCEL
               ? 0
               : 1;
}

// The captionless one-line window that says what the program is doing while
// it works on the phonebook. Those callers process no messages meanwhile, so
// showing it paints it at once.
#pragma once

#include "Dialog.h"

class ProgressWindow : public ui::Dialog {
public:
    // The window itself is made by create(), hidden, owned by the
    // application's main window; destroyWindow() or the destructor ends it.
    ProgressWindow();

    // Moves the window, keeping its size, to the middle of the application's
    // main window (its last place when hidden); no clipping to the screen.
    void centreOnMainWindow();
    void showText(const char* text);
    // Shows the window, activated or not (SW_SHOW, SW_SHOWNA), and paints it
    // before returning.
    void show(bool activate);
    void hide();
};

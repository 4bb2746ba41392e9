// The about box of the main menu's system menu: the program's icon, name and
// version, closed by OK or the close box.
#pragma once

#include "Dialog.h"

class AboutDialog : public ui::Dialog {
public:
    AboutDialog();
};

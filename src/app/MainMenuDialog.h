// The start window when migration data stands beside the program: one
// button per job. Whichever is pressed, the menu hides, runs that job and
// ends, and the program with it. The about box is on the system menu.
#pragma once

#include "Dialog.h"
#include "LinkLabel.h"

class MainMenuDialog : public ui::Dialog {
public:
    MainMenuDialog();

protected:
    bool onInitDialog() override;
    void onCommand(int id, int notification) override;
    void onSysCommand(unsigned command) override;
    // Enter and Escape do nothing here: only the buttons, the close box and
    // the system menu end the menu.
    bool preTranslateKey(int controlId, int virtualKey) override;
    void doDataExchange(ui::DataExchange& exchange) override;

private:
    void runNewConnection();
    void runMigration();

    const ui::Icon& icon_;
    LinkLabel title_;
};

// The application object. Start-up binds the remote-access library and runs
// one start dialog: the main menu when an access-point table stands beside
// the program, otherwise the new-connection form. When it closes, the exit
// routine frees the library and the program ends.
#pragma once

#include "Application.h"

class SetupApplication : public ui::Application {
public:
    SetupApplication();

protected:
    void initInstance() override;
    int exitInstance() override;
};

// Whether APGEN.csv or APPHS.csv (a file, or anything else by that name)
// stands in the program's directory.
bool hasMigrationData();

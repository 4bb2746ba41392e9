// The application object. Start-up binds the remote-access library, puts
// back any change a crash cut off, and runs one start dialog: the main menu when an access-point table stands beside
// the program, otherwise the new-connection form. When it closes, the exit
// routine frees the library and the program ends.
#pragma once

#include "Application.h"

class SetupApplication : public ui::Application {
public:
    SetupApplication();

    // Instead of a start dialog, undo the last migration pass.
    void setUndoMigration(bool undo) { undoMigration_ = undo; }

protected:
    void initInstance() override;
    int exitInstance() override;

private:
    bool undoMigration_ = false;
};

// Whether APGEN.csv or APPHS.csv (a file, or anything else by that name)
// stands in the program's directory.
bool hasMigrationData();

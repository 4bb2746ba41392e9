#include "SetupApplication.h"

#include "ChangeRecovery.h"
#include "Dialog.h"
#include "MainMenuDialog.h"
#include "NewConnectionDialog.h"
#include "Platform.h"
#include "RemoteAccess.h"
#include "Resources.h"

namespace {

bool dataFileExists(const char* fileName) {
    char path[MAX_PATH];
    return dataFilePath(fileName, path) && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool hasMigrationData() { return dataFileExists("APGEN.csv") || dataFileExists("APPHS.csv"); }

SetupApplication::SetupApplication() : Application(resources::loadString(resources::IDS_APP_TITLE)) {}

void SetupApplication::initInstance() {
    bindRemoteAccess(remoteAccess());
    const bool migrationsTrusted = recoverInterruptedChanges();
    if (undoMigration_) {
        if (migrationsTrusted) undoLastMigration();
        return;
    }
    auto runStartDialog = [this](ui::Dialog& dialog) {
        setMainWindow(&dialog);
        dialog.doModal();
        setMainWindow(nullptr);
    };
    if (hasMigrationData()) {
        MainMenuDialog menu;
        runStartDialog(menu);
    } else {
        NewConnectionDialog form;
        runStartDialog(form);
    }
}

int SetupApplication::exitInstance() {
    unbindRemoteAccess(remoteAccess());
    return Application::exitInstance();
}

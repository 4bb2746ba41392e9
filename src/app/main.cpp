#include "RunApplication.h"
#include "SetupApplication.h"

#include <string_view>

namespace {
SetupApplication theApplication;
}

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--undo-migration") theApplication.setUndoMigration(true);
    }
    return ui::runApplication(theApplication, argc, argv);
}

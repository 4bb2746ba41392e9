#include "CommandLine.h"
#include "ConsoleOutput.h"
#include "Platform.h"
#include "RunApplication.h"
#include "SetupApplication.h"

namespace {
SetupApplication theApplication;
}

int main(int argc, char** argv) {
#ifdef _WIN32
    keepLibrarySearchToTheSystem();
    joinStartingConsole();
#endif
    const CommandLine commandLine = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (commandLine.action != CommandLine::Action::Run) return answerCommandLine(commandLine);
    theApplication.setUndoMigration(commandLine.undoMigration);
    return ui::runApplication(theApplication, argc, argv);
}

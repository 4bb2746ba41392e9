#include "CommandLine.h"

#include "ConsoleOutput.h"
#include "Resources.h"

#include <sstream>

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            result.action = CommandLine::Action::Help;
            return result;
        }
        if (argument == "--version") {
            result.action = CommandLine::Action::Version;
            return result;
        }
        if (argument == "--undo-migration") {
            result.undoMigration = true;
            continue;
        }
        result.action = CommandLine::Action::Usage;
        result.problem = argument.rfind('-', 0) == 0 ? "unknown option " + argument : "unexpected argument " + argument;
        return result;
    }
    return result;
}

void printUsage(std::ostream& out) {
    out << "usage: kivora [--undo-migration]\n"
           "       kivora --help | --version\n"
           "\n"
           "Creates the provider's dial-up connection, or moves existing entries to\n"
           "the provider's new access points when an access-point table (APGEN.csv or\n"
           "APPHS.csv) stands beside the program.\n"
           "\n"
           "Options:\n"
           "  --undo-migration  put back every entry the last migration pass changed\n"
           "  --help            print this help and exit\n"
           "  --version         print the version and exit\n"
           "\n"
           "Environment:\n"
#ifdef _WIN32
           "  KIVORA_UI          win32 (real windows, the default) or script (no windows)\n"
#else
           "  KIVORA_UI          qt (real windows, the default) or script (no windows)\n"
#endif
           "  KIVORA_SCRIPT      with KIVORA_UI=script: the script that plays the user\n"
           "  KIVORA_TRANSCRIPT  with KIVORA_UI=script: where the transcript goes\n"
           "                     (standard output when unset)\n"
#ifndef _WIN32
           // Windows has the real services; only Linux runs on stand-ins.
           "  KIVORA_SYSTEM      the stand-in system's root (default\n"
           "                     ${XDG_DATA_HOME:-$HOME/.local/share}/kivora/system)\n"
#endif
           "\n"
           "The provider's files (ISP_INF.csv, CTMENU.csv, APGEN.csv, APPHS.csv,\n"
           "Logo.png) are looked for in the directory of the kivora executable, never\n"
           "in the working directory.\n";
}

int answerCommandLine(const CommandLine& commandLine) {
    std::ostringstream answer;
    switch (commandLine.action) {
    case CommandLine::Action::Help:
        printUsage(answer);
        tellUser(answer.str(), false);
        return 0;
    case CommandLine::Action::Version:
        answer << "kivora " << resources::programVersion() << '\n';
        tellUser(answer.str(), false);
        return 0;
    case CommandLine::Action::Usage:
        answer << "kivora: " << commandLine.problem << '\n';
        printUsage(answer);
        tellUser(answer.str(), true);
        return 2;
    case CommandLine::Action::Run:
        break;
    }
    return 0;
}

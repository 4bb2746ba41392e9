// The program's options, GNU style. --help and --version are answered
// before any window system is asked for, so they work without a display.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

struct CommandLine {
    enum class Action { Run, Help, Version, Usage };
    Action action = Action::Run;
    bool undoMigration = false;
    std::string problem;  // for Usage: what was wrong, for standard error
};

// arguments: argv without the program name.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The help text: usage, options, environment variables, where the
// provider's files are looked for.
void printUsage(std::ostream& out);

// Answers Help, Version and Usage; returns the exit status (0, or 2 for a
// usage error). Not for Run.
int answerCommandLine(const CommandLine& commandLine);

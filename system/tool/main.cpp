#include "Command.h"
#include "SystemRoot.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace systool {

namespace {

std::vector<Command> allCommands() {
    std::vector<Command> commands = systemCommands();
    for (Command& command : remoteAccessCommands()) commands.push_back(command);
    return commands;
}

void printUsage(std::ostream& out) {
    out << "usage: kivora-sys [--root DIR] COMMAND [ARGUMENTS] [--root DIR]\n\n"
           "The stand-in system lives in DIR, else in $KIVORA_SYSTEM, else in\n"
           "${XDG_DATA_HOME:-$HOME/.local/share}/kivora/system. Commands:\n";
    for (const Command& c : allCommands()) {
        std::string head = std::string(c.name) + (*c.synopsis ? " " : "") + c.synopsis;
        out << "  " << head;
        for (size_t pad = head.size(); pad < 40; ++pad) out << ' ';
        out << ' ' << c.summary << '\n';
    }
}

}  // namespace

int usageError(const std::string& commandName, const std::string& message) {
    std::cerr << "kivora-sys: " << message << '\n';
    for (const Command& c : allCommands()) {
        if (commandName == c.name) {
            std::cerr << "usage: kivora-sys " << c.name << (*c.synopsis ? " " : "") << c.synopsis << '\n';
        }
    }
    return kExitUsage;
}

int refuse(const std::string& message) {
    std::cerr << "kivora-sys: " << message << '\n';
    return kExitRefused;
}

}  // namespace systool

int main(int argc, char** argv) {
    using namespace systool;
    std::vector<std::string> args(argv + 1, argv + argc);
    while (!args.empty() && args.front().rfind("--", 0) == 0) {
        if (args.front() == "--root" && args.size() >= 2) {
            setenv("KIVORA_SYSTEM", args[1].c_str(), 1);
            standin::makeSystemRootAbsolute();
            args.erase(args.begin(), args.begin() + 2);
        } else if (args.front() == "--help" || args.front() == "-h") {
            printUsage(std::cout);
            return kExitOk;
        } else {
            std::cerr << "kivora-sys: unknown option " << args.front() << '\n';
            printUsage(std::cerr);
            return kExitUsage;
        }
    }
    if (args.empty()) {
        printUsage(std::cerr);
        return kExitUsage;
    }
    for (const Command& c : allCommands()) {
        if (args.front() != c.name) continue;
        // --root may follow the command too, as GNU tools take options
        // anywhere on the line.
        std::vector<std::string> commandArgs;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] != "--root") {
                commandArgs.push_back(args[i]);
            } else if (i + 1 < args.size()) {
                setenv("KIVORA_SYSTEM", args[++i].c_str(), 1);
            } else {
                return usageError(c.name, "--root needs a directory");
            }
        }
        return c.run(commandArgs);
    }
    std::cerr << "kivora-sys: unknown command " << args.front() << '\n';
    printUsage(std::cerr);
    return kExitUsage;
}

#include "Command.h"
#include "SystemRoot.h"

#include <iostream>

namespace systool {

namespace {

int initCommand(const std::vector<std::string>& args) {
    if (!args.empty()) return usageError("init", "init takes no arguments");
    std::string error;
    if (!standin::ensureSystemRoot(error)) return refuse(error);
    if (!seedRemoteAccess(error)) return refuse(error);
    std::cout << standin::systemRootPath() << '\n';
    return kExitOk;
}

}  // namespace

std::vector<Command> systemCommands() {
    return {
        {"init", "", "create and seed the system root, print its path", initCommand},
    };
}

}  // namespace systool

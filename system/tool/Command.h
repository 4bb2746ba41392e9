// kivora-sys: the command-line window onto the stand-in system. Each group
// of commands lives in its own file and returns its table here.
#pragma once

#include <string>
#include <vector>

namespace systool {

// Exit statuses: 0 done, 1 "no such thing" and similar refusals, 2 bad usage.
constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

struct Command {
    const char* name;
    const char* synopsis;  // arguments after the name, for the usage text
    const char* summary;   // one line
    // Arguments after the command name, UTF-8 as typed.
    int (*run)(const std::vector<std::string>& args);
};

// Commands for the root itself, the version identity and the registry.
std::vector<Command> systemCommands();

// Commands for the remote-access service: phonebook, credentials, devices,
// connections, injected faults.
std::vector<Command> remoteAccessCommands();

// Seeds the remote-access service's files of a fresh root (the device
// list). False, with the reason in `error`, when they cannot be written.
bool seedRemoteAccess(std::string& error);

// Prints "kivora-sys: <message>" on standard error; returns kExitUsage after
// the usage line of the named command when asked for.
int usageError(const std::string& commandName, const std::string& message);
int refuse(const std::string& message);

}  // namespace systool

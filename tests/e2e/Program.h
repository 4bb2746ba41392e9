// The real kivora in a program directory of its own, driven through the
// script backend with a private system root.
#pragma once

#include "TempSystemRoot.h"

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

// The Windows build tree named by KIVORA_E2E_WINDOWS (make windows-test):
// the cases then run its kivora.exe under Wine, with the stand-in
// rasapi32.dll beside it. Empty for the Linux program.
std::string windowsBuild();

struct Outcome {
    int status = -1;
    std::vector<std::string> transcript;
    std::string standardOutput;
    std::string standardError;
};

class Program {
public:
    // Copies build/bin/kivora (and librasapi32.so when it was built), or
    // kivora.exe and rasapi32.dll, into a fresh directory.
    Program();

    const std::string& directory() const { return directory_.path(); }
    // The private system root every run of this program uses.
    const std::string& systemRoot() const { return systemRoot_.path(); }
    void addFile(const std::string& name, const std::string& bytes);
    void addDirectory(const std::string& name);

    // Runs the program with the script; environment entries override (an
    // empty value removes the variable). KIVORA_TRANSCRIPT goes to a file
    // unless the environment names it empty.
    Outcome run(const std::string& script, const std::map<std::string, std::string>& environment = {},
                const std::string& workingDirectory = {}) const;
    // The same with command-line arguments.
    Outcome runWith(const std::vector<std::string>& arguments, const std::string& script,
                    const std::map<std::string, std::string>& environment = {}) const;
    // Runs the program and kills it with SIGKILL after `delay`; true when the
    // kill came before it ended by itself.
    bool runKilledAfter(const std::string& script, std::chrono::microseconds delay) const;

private:
    // Starts the program; the caller waits for it.
    int start(const std::string& script, const std::map<std::string, std::string>& environment,
              const std::string& workingDirectory, const std::vector<std::string>& arguments) const;
    Outcome collect(int child) const;

    std::string windowsBuild_;
    TempDir directory_;
    TempDir scratch_;
    TempSystemRoot systemRoot_;
};

}  // namespace testsupport

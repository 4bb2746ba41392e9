// The real kivora in a program directory of its own, driven through the
// script backend with a private system root.
#pragma once

#include "FakeModem.h"
#include "TempSystemRoot.h"

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// The Windows build tree named by KIVORA_E2E_WINDOWS (make windows-test):
// the cases then run its kivora.exe under Wine, with the stand-in
// rasapi32.dll in the prefix's system folder. Empty for the Linux program.
std::string windowsBuild();

// Whether the cases run over the ppp service (KIVORA_E2E_PPP, ctest's
// "ppp." cases): build/ppp/librasapi32.so beside the program, pppd's files
// under the program's test root, two fake modems on pseudo-terminals.
bool overPpp();

// The command-line window onto the system the cases run over: kivora-sys,
// or its commands over the ppp service (tests/ppp/PppSysMain.cpp). Both take
// the program's systemRoot().
std::string systemTool();

struct Outcome {
    int status = -1;
    std::vector<std::string> transcript;
    std::string standardOutput;
    std::string standardError;
};

class Program {
public:
    // Copies build/bin/kivora (and librasapi32.so when it was built) into a
    // fresh directory, or kivora.exe there and rasapi32.dll into the prefix's
    // system folder.
    Program();
    ~Program();

    const std::string& directory() const { return directory_.path(); }
    // The private system root every run of this program uses (over the ppp
    // service, its test root, KIVORA_PPP_ROOT).
    const std::string& systemRoot() const { return systemRoot_.path(); }
    // Where the platform's state (registry, version, journals, mutexes) is:
    // the system root, or the ppp service's /var/lib/kivora in it.
    std::string stateRoot() const;
    // The modems the system offers, as the form lists them.
    std::vector<std::string> modems() const;
    // Over the ppp service, its fake modems, in that order.
    const FakeModem& fakeModem(size_t index) const { return *fakeModems_.at(index); }
    void addFile(const std::string& name, const std::string& bytes);
    void addDirectory(const std::string& name);
    // The remote-access library the program binds: beside it on Linux, in
    // the system folder under Wine.
    std::string remoteAccessLibrary() const;
    // The fake remote-access library VARIANT (full, no-hangup, no-optional).
    std::string fakeRemoteAccessLibrary(const std::string& variant) const;
    // Puts that fake in place of the stand-in service.
    void useFakeRemoteAccessLibrary(const std::string& variant);
    // The folder of Kivora's journals (the user's local application data).
    std::string journalFolder() const;

    // Makes the program see the Windows version kivora-sys names ("95",
    // "xp"...; empty: a version the probe cannot read). False where that
    // cannot be pretended: Wine has no Win32s and always knows its version.
    bool pretendWindowsVersion(const std::string& version) const;
    // The registry values Kivora writes, as `kivora-sys registry` lists
    // them: KEY\NAME=dword:N or KEY\NAME=sz:TEXT, in UTF-8.
    std::vector<std::string> registry() const;
    // The machine's default-connection key becomes one the program cannot
    // open for writing.
    void denyMachineDefaultConnectionKey() const;

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
    // Runs one of Wine's own tools in the shared prefix; its output.
    std::string wineTool(const std::vector<std::string>& arguments) const;

    std::string windowsBuild_;
    bool overPpp_ = false;
    TempDir directory_;
    TempDir scratch_;
    TempSystemRoot systemRoot_;
    std::vector<std::unique_ptr<FakeModem>> fakeModems_;
};

// Another Kivora holding the setup mutex for the object's life: the
// stand-in's lock file on Linux, the real named mutex under Wine.
class AnotherKivora {
public:
    explicit AnotherKivora(const Program& program);
    ~AnotherKivora();
    AnotherKivora(const AnotherKivora&) = delete;
    AnotherKivora& operator=(const AnotherKivora&) = delete;

private:
    int lockFile_ = -1;
    int holder_ = -1;
    TempDir scratch_;
};

}  // namespace testsupport

// What the ppp service's tests share: a test root for the service, the
// library bound as the program binds it, real pppd (with the /dev/ppp
// preload) and private mount namespaces that show a test root at pppd's
// real paths.
#pragma once

#include "RemoteAccess.h"
#include "RunProcess.h"
#include "TempSystemRoot.h"

#include <string>
#include <vector>

namespace ppptest {

// build/ppp/librasapi32.so, loaded once per test program.
const RasFunctionTable& service();

// A fresh test root for the service (KIVORA_PPP_ROOT) for the object's life.
class PppRoot {
public:
    PppRoot();
    ~PppRoot();
    PppRoot(const PppRoot&) = delete;
    PppRoot& operator=(const PppRoot&) = delete;
    const std::string& path() const { return dir_.path(); }
    // A file below the root, by its real path ("/etc/ppp/pap-secrets").
    std::string file(const std::string& realPath) const { return dir_.path() + realPath; }
    std::string read(const std::string& realPath) const;
    void write(const std::string& realPath, const std::string& bytes, unsigned mode = 0640) const;

private:
    testsupport::TempDir dir_;
};

// Root may preload pppd (it is set-uid) and make mount namespaces.
bool isRoot();
#define SKIP_UNLESS_ROOT()                                                                             \
    if (!ppptest::isRoot()) GTEST_SKIP() << "needs root (pppd with a preload, mount namespaces); CI runs as root"

// pppd with the arguments, /dev/ppp opened as /dev/null.
testsupport::ProcessResult pppd(const std::vector<std::string>& arguments);
// The value pppd reports for an option in "pppd options in effect", its
// quoting undone; `found` false when it reports none.
std::string optionInEffect(const std::string& output, const std::string& option, bool& found);

// Runs argv in a private mount namespace where /etc/ppp, /etc/chatscripts
// and /run are the test root's: pppd there reads what the service wrote,
// at the paths it names, and nothing of the machine's changes.
testsupport::ProcessResult inNamespace(const PppRoot& root, const std::vector<std::string>& argv,
                                       const std::string& before = "");

// The entry points with a record filled in.
RASENTRYA modemEntry(const std::string& number, const std::string& device = "");
DWORD setEntry(const std::string& name, const RASENTRYA& entry);
DWORD getEntry(const std::string& name, RASENTRYA& entry);
DWORD setAccount(const std::string& name, const std::string& user, const std::string& password, bool remove = false);
DWORD getAccount(const std::string& name, std::string& user, std::string& password, bool& hasPassword);

// UTF-8 source text in CP932.
std::string sjis(const char* utf8);

}  // namespace ppptest

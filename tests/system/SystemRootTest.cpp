// Where the system root is, and what happens when it cannot be written.
#include "RegistryTestSupport.h"
#include "SystemRoot.h"
#include "RunProcess.h"
#include "VersionIdentity.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

namespace {

using testsupport::TempDir;

// Sets or removes environment variables for the object's life.
class EnvironmentOverride {
public:
    void set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old != nullptr, old != nullptr ? old : ""});
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~EnvironmentOverride() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->had) {
                setenv(it->name.c_str(), it->value.c_str(), 1);
            } else {
                unsetenv(it->name.c_str());
            }
        }
    }

private:
    struct Saved {
        std::string name;
        bool had;
        std::string value;
    };
    std::vector<Saved> saved_;
};

TEST(SystemRoot, KivoraSystemThenXdgDataHomeThenHome) {
    EnvironmentOverride env;
    env.set("KIVORA_SYSTEM", "/srv/kivora");
    env.set("XDG_DATA_HOME", "/data");
    env.set("HOME", "/home/user");
    EXPECT_EQ(standin::systemRootPath(), "/srv/kivora");
    env.set("KIVORA_SYSTEM", "");
    EXPECT_EQ(standin::systemRootPath(), "/data/kivora/system");
    env.set("KIVORA_SYSTEM", nullptr);
    env.set("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(standin::systemRootPath(), "/home/user/.local/share/kivora/system");
    EXPECT_EQ(standin::rootFile("HKCU.reg"), "/home/user/.local/share/kivora/system/HKCU.reg");
}

// As a process starts: without HOME the home comes from the password
// database, without one there either nothing is made and KIVORA_SYSTEM is
// named, and a relative root is made absolute. Never the working directory.
TEST(SystemRoot, AProcessFindsItsRootWithoutHomeAndMakesARelativeOneAbsolute) {
    struct Case {
        const char* what;
        std::vector<std::string> environment;
        std::vector<std::string> command;
        int status;
        std::string shown;  // the working directory as %
    };
    const std::vector<std::string> noRoot = {"HOME", "XDG_DATA_HOME", "KIVORA_SYSTEM"};
    const std::vector<std::string> asNobody = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    // Debian lists no user 54321.
    const std::vector<std::string> asNoUser = {"/usr/bin/setpriv", "--reuid=54321", "--regid=54321", "--clear-groups"};
    auto join = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const Case cases[] = {
        {"no HOME", noRoot, join(asNobody, {KIVORA_SYS, "init"}), 1, "cannot create /nonexistent:"},
        {"no home at all", noRoot, join(asNoUser, {KIVORA_SYS, "init"}), 1, "set KIVORA_SYSTEM"},
        {"relative KIVORA_SYSTEM", {"KIVORA_SYSTEM=rel/root"}, {KIVORA_SYS, "init"}, 0, "%/rel/root\n"},
        {"relative --root", {}, {KIVORA_SYS, "--root", "rel/root", "init"}, 0, "%/rel/root\n"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        TempDir cwd;
        ASSERT_EQ(chmod(cwd.path().c_str(), 0777), 0);
        testsupport::ProcessResult result = testsupport::runProcess(test.command, {cwd.path(), test.environment});
        EXPECT_EQ(result.status, test.status) << result.err;
        std::string shown = test.shown;
        if (shown.front() == '%') shown.replace(0, 1, cwd.path());
        EXPECT_NE((result.out + result.err).find(shown), std::string::npos) << result.out << result.err;
        if (test.status != 0) {
            EXPECT_TRUE(std::filesystem::is_empty(cwd.path()));
        }
    }
}

TEST(SystemRoot, FirstUseCreatesTheRootWithItsParents) {
    TempDir dir;
    EnvironmentOverride env;
    env.set("KIVORA_SYSTEM", (dir.path() + "/a/b/system").c_str());
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "RemoteAccess", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.path() + "/a/b/system/HKCU.reg"));
}

// As root, no permission bit stops a write; a root below a regular file
// cannot be created by anyone.
TEST(SystemRoot, UnwritableRootGivesErrorCodesAndCreatesNothing) {
    TempDir dir;
    testsupport::writeFile(dir.file("file"), "x");
    EnvironmentOverride env;
    env.set("KIVORA_SYSTEM", (dir.path() + "/file/system").c_str());

    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "RemoteAccess", 0, KEY_READ, &key), ERROR_PATH_NOT_FOUND);
    std::string error;
    EXPECT_EQ(standin::storeVersionIdentity(standin::defaultVersionIdentity(), error), ERROR_PATH_NOT_FOUND);
    EXPECT_NE(error.find("Not a directory"), std::string::npos) << error;

    // A root that is itself a file.
    env.set("KIVORA_SYSTEM", dir.file("file").c_str());
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAutoDialDefault, 0, KEY_READ, &key), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(testsupport::readFile(dir.file("file")), "x");
}

}  // namespace

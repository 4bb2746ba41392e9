// Where the system root is, and what happens when it cannot be written.
#include "RegistryTestSupport.h"
#include "SystemRoot.h"
#include "RunProcess.h"
#include "VersionIdentity.h"

#include <sys/stat.h>
#include <unistd.h>

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

// As a process starts: without HOME the home is the password database's,
// without one there either it stops naming KIVORA_SYSTEM, and a relative
// root is made absolute. The working directory is never the root.
TEST(SystemRoot, AProcessFindsItsRootWithoutHomeAndMakesARelativeOneAbsolute) {
    if (geteuid() != 0) GTEST_SKIP() << "acting as another user needs root";
    const std::vector<std::string> noRoot = {"HOME", "XDG_DATA_HOME", "KIVORA_SYSTEM"};
    auto as = [](const std::string& id) {
        return std::vector<std::string>{"/usr/bin/setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups", KIVORA_SYS, "init"};
    };
    const std::tuple<std::vector<std::string>, std::vector<std::string>, int, std::string> cases[] = {
        {noRoot, as("65534"), 1, "cannot create /nonexistent:"},  // nobody's home
        {noRoot, as("54321"), 1, "set KIVORA_SYSTEM"},            // no account at all
        {{"KIVORA_SYSTEM=rel"}, {KIVORA_SYS, "init"}, 0, "/rel\n"},
        {{}, {KIVORA_SYS, "--root", "rel", "init"}, 0, "/rel\n"},
    };
    for (const auto& [environment, command, status, shown] : cases) {
        TempDir cwd;
        ASSERT_EQ(chmod(cwd.path().c_str(), 0777), 0);
        testsupport::ProcessResult result = testsupport::runProcess(command, {cwd.path(), environment});
        EXPECT_EQ(result.status, status) << result.err;
        EXPECT_NE((result.out + result.err).find(status == 0 ? cwd.path() + shown : shown), std::string::npos)
            << result.out << result.err;
        EXPECT_EQ(std::filesystem::is_empty(cwd.path()), status != 0);
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

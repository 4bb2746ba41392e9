#include "Program.h"

#include "Cp932.h"
#include "RunProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

namespace fs = std::filesystem;

namespace {

// Wine's loader for the build's architecture (make windows-test names it).
std::string wineLoader() {
    const char* loader = std::getenv("WINE");
    return loader != nullptr && *loader != '\0' ? loader : "/usr/lib/wine/wine";
}

// Every Wine process of a case: the build tree's own prefix, made before the
// tests start, and a Japanese Windows (code page 932), which Kivora is for.
std::vector<std::string> wineEnvironment(const std::string& windowsBuild) {
    return {"WINEPREFIX=" + windowsBuild + "/wineprefix", "WINEDEBUG=-all", "LC_ALL=ja_JP.UTF-8"};
}

// The registry values Kivora writes, key by key.
struct KivoraKey {
    const char* path;
    std::vector<std::string> values;
};
constexpr const char* kMachineDefaultKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\RAS AutoDial\\Default";
const KivoraKey kKivoraKeys[] = {
    {"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
     {"EnableAutodial", "NoNetAutodial"}},
    {"HKEY_CURRENT_USER\\RemoteAccess", {"InternetProfile"}},
    {kMachineDefaultKey, {"DefaultInternet"}},
};
// Where Wine takes the Windows version one program sees.
constexpr const char* kVersionKey = "HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\kivora.exe";

// kivora-sys's version names as Wine's.
const std::map<std::string, std::string> kWineVersions = {
    {"95", "win95"}, {"98", "win98"}, {"me", "winme"}, {"nt4", "nt40"}, {"2000", "win2k"}, {"xp", "winxp"},
};

// The registry as a fresh system has it, for a case that starts from there:
// Kivora's keys there but none of its values, and the prefix's own version.
std::string freshRegistry() {
    std::string file = "REGEDIT4\r\n\r\n";
    for (const KivoraKey& key : kKivoraKeys) {
        file += std::string("[") + key.path + "]\r\n";
        for (const std::string& value : key.values) file += "\"" + value + "\"=-\r\n";
        file += "\r\n";
    }
    return file + "[-" + kVersionKey + "]\r\n";
}

// The values of `reg query KEY` that Kivora writes, as kivora-sys prints
// them. Its lines: "    NAME    TYPE    DATA"; Kivora's names are one word.
void addKivoraValues(const KivoraKey& key, const std::string& query, std::vector<std::string>& lines) {
    std::istringstream output(query);
    for (std::string line; std::getline(output, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream fields(line);
        std::string name, type, data;
        if (line.rfind("    ", 0) != 0 || !(fields >> name >> type) || !std::getline(fields >> std::ws, data)) continue;
        if (std::find(key.values.begin(), key.values.end(), name) == key.values.end()) continue;
        lines.push_back(std::string(key.path) + "\\" + name + "=" +
                        (type == "REG_DWORD" ? "dword:" + std::to_string(std::stoul(data, nullptr, 16))
                                             : "sz:" + cp932::toUtf8(data)));
    }
}

}  // namespace

// The prefix's system folder, where the program binds its rasapi32.dll: each
// build's prefix is of its own architecture, so it is system32 for both.
fs::path wineSystemFolder(const std::string& windowsBuild) {
    return fs::path(windowsBuild) / "wineprefix/drive_c/windows/system32";
}

// Replaced by a rename, never rewritten in place: a Wine process of the case
// before may still have the old one mapped.
void installLibrary(const fs::path& library, const fs::path& to) {
    const fs::path next = to.string() + ".next";
    fs::copy_file(library, next, fs::copy_options::overwrite_existing);
    fs::rename(next, to);
}

bool overPpp() {
    const char* value = std::getenv("KIVORA_E2E_PPP");
    return value != nullptr && *value != '\0';
}

std::string systemTool() { return overPpp() ? KIVORA_TESTS_BIN "/kivora-ppp-sys" : KIVORA_BIN_DIR "/kivora-sys"; }

std::string windowsBuild() {
    const char* tree = std::getenv("KIVORA_E2E_WINDOWS");
    return tree != nullptr && *tree != '\0' ? fs::absolute(tree).string() : std::string();
}

Program::Program() : windowsBuild_(testsupport::windowsBuild()), overPpp_(testsupport::overPpp()) {
    if (!windowsBuild_.empty()) {
        // The stand-in service in the system folder, where the program
        // looks for the system's own.
        fs::copy_file(fs::path(windowsBuild_) / "bin" / "kivora.exe", directory_.file("kivora.exe"));
        installLibrary(fs::path(windowsBuild_) / "standin" / "rasapi32.dll", remoteAccessLibrary());
        // Kivora's journals live in the user's application-data folder, which
        // on Linux is in this program's own system root but under Wine is the
        // prefix's, shared by every case: each program starts without them,
        // as it does on Linux.
        fs::remove_all(journalFolder());
        // So is the registry: what an earlier case wrote there goes.
        writeFile(scratch_.file("fresh.reg"), freshRegistry());
        wineTool({"regedit", "/S", "Z:" + scratch_.file("fresh.reg")});
        return;
    }
    fs::copy_file(fs::path(KIVORA_BIN_DIR) / "kivora", fs::path(directory_.path()) / "kivora");
    fs::path library = fs::path(overPpp_ ? KIVORA_PPP_DIR : KIVORA_BIN_DIR) / "librasapi32.so";
    if (fs::exists(library)) fs::copy_file(library, fs::path(directory_.path()) / "librasapi32.so");
    if (overPpp_) {
        // Read in this process too (rastest::service()), at the same root.
        setenv("KIVORA_PPP_ROOT", systemRoot_.path().c_str(), 1);
        fakeModems_.push_back(std::make_unique<FakeModem>(scratch_.file("modem0"), "Kivora Fake 56000"));
        fakeModems_.push_back(std::make_unique<FakeModem>(scratch_.file("modem1"), "Kivora Fake 33600"));
    }
}

Program::~Program() {
    if (overPpp_) unsetenv("KIVORA_PPP_ROOT");
}

std::string Program::stateRoot() const {
    return overPpp_ ? systemRoot_.file("var/lib/kivora") : systemRoot_.path();
}

std::vector<std::string> Program::modems() const {
    if (!overPpp_) return {"標準 56000 bps モデム", "標準 33600 bps モデム"};
    std::vector<std::string> names;
    for (const auto& modem : fakeModems_) names.push_back(modem->deviceName());
    return names;
}

void Program::addFile(const std::string& name, const std::string& bytes) {
    writeFile(directory_.file(name), bytes);
}

void Program::addDirectory(const std::string& name) { fs::create_directory(directory_.file(name)); }

std::string Program::remoteAccessLibrary() const {
    return windowsBuild_.empty() ? directory_.file("librasapi32.so")
                                 : (wineSystemFolder(windowsBuild_) / "rasapi32.dll").string();
}

std::string Program::fakeRemoteAccessLibrary(const std::string& variant) const {
    return windowsBuild_.empty() ? std::string(KIVORA_FAKERAS_DIR) + "/" + variant + "/librasapi32.so"
                                 : windowsBuild_ + "/fakeras/" + variant + "/rasapi32.dll";
}

void Program::useFakeRemoteAccessLibrary(const std::string& variant) {
    installLibrary(fakeRemoteAccessLibrary(variant), remoteAccessLibrary());
}

std::string Program::journalFolder() const {
    if (windowsBuild_.empty()) return stateRoot() + "/localappdata/Kivora";
    // Wine names the prefix's user after the Unix one.
    const passwd* user = getpwuid(getuid());
    const fs::path users = fs::path(windowsBuild_) / "wineprefix/drive_c/users";
    return (users / (user != nullptr ? user->pw_name : "") / "AppData/Local/Kivora").string();
}

bool Program::pretendWindowsVersion(const std::string& version) const {
    if (!windowsBuild_.empty()) {
        const auto wine = kWineVersions.find(version);
        if (wine == kWineVersions.end()) return false;
        wineTool({"reg", "add", kVersionKey, "/v", "Version", "/d", wine->second, "/f"});
        return true;
    }
    if (version.empty()) {
        fs::create_directories(stateRoot());
        writeFile(stateRoot() + "/version", "not a version\n");
        return true;
    }
    const ProcessResult result = runProcess({systemTool(), "--root", systemRoot_.path(), "version", version});
    EXPECT_EQ(result.status, 0) << result.err;
    return true;
}

std::vector<std::string> Program::registry() const {
    std::vector<std::string> lines;
    if (windowsBuild_.empty()) {
        const ProcessResult result = runProcess({systemTool(), "--root", systemRoot_.path(), "registry"});
        EXPECT_EQ(result.status, 0) << result.err;
        std::istringstream output(result.out);
        for (std::string line; std::getline(output, line);) lines.push_back(line);
        return lines;
    }
    // A key that is not there holds nothing.
    for (const KivoraKey& key : kKivoraKeys) addKivoraValues(key, wineTool({"reg", "query", key.path}), lines);
    return lines;
}

void Program::denyMachineDefaultConnectionKey() const {
    if (windowsBuild_.empty()) {
        fs::permissions(stateRoot() + "/HKLM.reg", fs::perms::owner_write, fs::perm_options::remove);
    } else {
        // Wine keeps no access lists on keys: a key that is not there cannot
        // be opened either.
        wineTool({"reg", "delete", kMachineDefaultKey, "/f"});
    }
}

Outcome Program::run(const std::string& script, const std::map<std::string, std::string>& environment,
                     const std::string& workingDirectory) const {
    return collect(start(script, environment, workingDirectory, {}));
}

Outcome Program::runWith(const std::vector<std::string>& arguments, const std::string& script,
                         const std::map<std::string, std::string>& environment) const {
    return collect(start(script, environment, {}, arguments));
}

bool Program::runKilledAfter(const std::string& script, std::chrono::microseconds delay) const {
    const pid_t child = start(script, {}, {}, {});
    const auto deadline = std::chrono::steady_clock::now() + delay;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(child, &status, WNOHANG) == child) return false;
        usleep(200);
    }
    kill(child, SIGKILL);
    EXPECT_EQ(waitpid(child, &status, 0), child);
    return WIFSIGNALED(status);
}

int Program::start(const std::string& script, const std::map<std::string, std::string>& environment,
                   const std::string& workingDirectory, const std::vector<std::string>& arguments) const {
    std::string scriptPath = scratch_.file("script");
    std::string transcriptPath = scratch_.file("transcript");
    std::string outputPath = scratch_.file("stdout");
    std::string errorPath = scratch_.file("stderr");
    writeFile(scriptPath, script);
    fs::remove(transcriptPath);

    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string text = *entry;
        std::size_t equals = text.find('=');
        if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    variables["KIVORA_UI"] = "script";
    variables["KIVORA_SCRIPT"] = scriptPath;
    variables["KIVORA_TRANSCRIPT"] = transcriptPath;
    variables["KIVORA_SYSTEM"] = systemRoot_.path();
    if (overPpp_) {
        variables["KIVORA_PPP_ROOT"] = systemRoot_.path();
        std::string ports;
        for (const auto& modem : fakeModems_) ports += (ports.empty() ? "" : ":") + modem->port();
        variables["KIVORA_MODEM_PORTS"] = ports;
    }
    if (!windowsBuild_.empty()) {
        for (const std::string& setting : wineEnvironment(windowsBuild_)) {
            variables[setting.substr(0, setting.find('='))] = setting.substr(setting.find('=') + 1);
        }
        // Wine's own remote-access service stores nothing, so ours is loaded.
        variables["WINEDLLOVERRIDES"] = "rasapi32=n";
    }
    for (const auto& [name, value] : environment) variables[name] = value;
    std::vector<std::string> entries;
    for (const auto& [name, value] : variables) {
        if (!value.empty()) entries.push_back(name + "=" + value);
    }
    std::vector<char*> envp;
    for (std::string& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);

    std::string executable = windowsBuild_.empty() ? directory_.file("kivora") : wineLoader();
    std::vector<std::string> words{executable};
    if (!windowsBuild_.empty()) words.push_back(directory_.file("kivora.exe"));
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = fork();
    if (child == 0) {
        if (!workingDirectory.empty() && chdir(workingDirectory.c_str()) != 0) _exit(126);
        if (!freopen(outputPath.c_str(), "w", stdout) || !freopen(errorPath.c_str(), "w", stderr)) _exit(126);
        execve(executable.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    return child;
}

Outcome Program::collect(int child) const {
    Outcome outcome;
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream transcript(readFile(scratch_.file("transcript")));
    for (std::string line; std::getline(transcript, line);) outcome.transcript.push_back(line);
    outcome.standardOutput = readFile(scratch_.file("stdout"));
    outcome.standardError = readFile(scratch_.file("stderr"));
    return outcome;
}

AnotherKivora::AnotherKivora(const Program& program) {
    const std::string build = windowsBuild();
    if (build.empty()) {
        std::filesystem::create_directories(program.stateRoot());
        lockFile_ = open((program.stateRoot() + "/mutex-Kivora.Setup.lock").c_str(), O_RDWR | O_CREAT, 0600);
        EXPECT_EQ(flock(lockFile_, LOCK_EX | LOCK_NB), 0);
        return;
    }
    const std::string holder = build + "/tests/hold-mutex.exe";
    const std::string held = scratch_.file("held");
    const std::vector<std::string> environment = wineEnvironment(build);
    const std::string wine = wineLoader();
    holder_ = fork();
    if (holder_ == 0) {
        for (const std::string& setting : environment) putenv(const_cast<char*>(setting.c_str()));
        execl(wine.c_str(), wine.c_str(), holder.c_str(), "Kivora.Setup", ("Z:" + held).c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(held) && std::chrono::steady_clock::now() < deadline) usleep(10000);
    EXPECT_TRUE(fs::exists(held)) << "hold-mutex.exe never held the mutex";
}

AnotherKivora::~AnotherKivora() {
    if (lockFile_ >= 0) close(lockFile_);
    if (holder_ > 0) {
        fs::remove(scratch_.file("held"));
        int status = 0;
        waitpid(holder_, &status, 0);
    }
}

std::string Program::wineTool(const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv{wineLoader()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProcess(argv, {{}, wineEnvironment(windowsBuild_)}).out;
}

}  // namespace testsupport

#include "Program.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

namespace fs = std::filesystem;

namespace {

// Wine's 64-bit loader (the 32-bit one cannot run here).
constexpr const char* kWine = "/usr/lib/wine/wine64";

}  // namespace

std::string windowsBuild() {
    const char* tree = std::getenv("KIVORA_E2E_WINDOWS");
    return tree != nullptr && *tree != '\0' ? fs::absolute(tree).string() : std::string();
}

Program::Program() : windowsBuild_(testsupport::windowsBuild()) {
    if (!windowsBuild_.empty()) {
        // The stand-in service beside the program, as librasapi32.so is on Linux.
        fs::copy_file(fs::path(windowsBuild_) / "bin" / "kivora.exe", directory_.file("kivora.exe"));
        fs::copy_file(fs::path(windowsBuild_) / "standin" / "rasapi32.dll", directory_.file("rasapi32.dll"));
        // Kivora's journals live in the user's application-data folder, which
        // on Linux is in this program's own system root but under Wine is the
        // prefix's, shared by every case: each program starts without them,
        // as it does on Linux.
        const fs::path users = fs::path(windowsBuild_) / "wineprefix/drive_c/users";
        for (const fs::directory_entry& user : fs::directory_iterator(users)) {
            fs::remove_all(user.path() / "AppData/Roaming/Kivora");
        }
        return;
    }
    fs::copy_file(fs::path(KIVORA_BIN_DIR) / "kivora", fs::path(directory_.path()) / "kivora");
    fs::path library = fs::path(KIVORA_BIN_DIR) / "librasapi32.so";
    if (fs::exists(library)) fs::copy_file(library, fs::path(directory_.path()) / "librasapi32.so");
}

void Program::addFile(const std::string& name, const std::string& bytes) {
    writeFile(directory_.file(name), bytes);
}

void Program::addDirectory(const std::string& name) { fs::create_directory(directory_.file(name)); }

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
    if (!windowsBuild_.empty()) {
        // The build tree's own prefix, made before the tests start; Wine's
        // own remote-access service stores nothing, so ours is loaded.
        variables["WINEPREFIX"] = windowsBuild_ + "/wineprefix";
        variables["WINEDEBUG"] = "-all";
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

    std::string executable = windowsBuild_.empty() ? directory_.file("kivora") : kWine;
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

}  // namespace testsupport

#include "Program.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

namespace fs = std::filesystem;

Program::Program() {
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
    for (const auto& [name, value] : environment) variables[name] = value;
    std::vector<std::string> entries;
    for (const auto& [name, value] : variables) {
        if (!value.empty()) entries.push_back(name + "=" + value);
    }
    std::vector<char*> envp;
    for (std::string& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);

    std::string executable = directory_.file("kivora");
    pid_t child = fork();
    if (child == 0) {
        if (!workingDirectory.empty() && chdir(workingDirectory.c_str()) != 0) _exit(126);
        if (!freopen(outputPath.c_str(), "w", stdout) || !freopen(errorPath.c_str(), "w", stderr)) _exit(126);
        char* argv[] = {executable.data(), nullptr};
        execve(executable.c_str(), argv, envp.data());
        _exit(127);
    }
    Outcome outcome;
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream transcript(readFile(transcriptPath));
    for (std::string line; std::getline(transcript, line);) outcome.transcript.push_back(line);
    outcome.standardOutput = readFile(outputPath);
    outcome.standardError = readFile(errorPath);
    return outcome;
}

}  // namespace testsupport

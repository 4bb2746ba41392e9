// A program directory made for one test: the platform probe copied into a
// fresh directory, optionally with one of the fake remote-access libraries.
#pragma once

#include "RunProcess.h"
#include "TempSystemRoot.h"

#include <filesystem>
#include <string>

class ProbeDirectory {
public:
    // `subdirectory` (relative, may be long or nested) is created below the
    // temporary directory and holds the probe.
    explicit ProbeDirectory(const std::string& subdirectory = "program") {
        directory_ = std::filesystem::weakly_canonical(temp_.path()).string() + "/" + subdirectory;
        std::filesystem::create_directories(directory_);
        probe_ = testsupport::copyInto(PLATFORM_PROBE, directory_);
    }

    // A program directory whose executable path ("<dir>/platform_probe") is
    // exactly `executablePathLength` bytes long.
    static ProbeDirectory withExecutablePathLength(size_t executablePathLength) {
        testsupport::TempDir sample;  // every temporary directory's path is as long
        size_t base = std::filesystem::weakly_canonical(sample.path()).string().size();
        size_t room = executablePathLength - base - 1 - kProbeName.size() - 1;
        // Two components, each under the file system's 255-byte name limit.
        return ProbeDirectory(std::string(room / 2, 'a') + "/" + std::string(room - room / 2 - 1, 'b'));
    }

    static inline const std::string kProbeName = "platform_probe";

    // Copies fakeras/<variant>/librasapi32.so beside the probe, as `name`.
    void addLibrary(const std::string& variant, const std::string& name = "librasapi32.so") {
        testsupport::copyInto(fakeLibrary(variant), directory_, name);
    }

    static std::string fakeLibrary(const std::string& variant) {
        return std::string(KIVORA_FAKERAS_DIR) + "/" + variant + "/librasapi32.so";
    }

    // Runs the probe from the root directory, never from its own, with no
    // library search path but `searchPath`.
    testsupport::ProcessResult run(std::vector<std::string> args, const std::string& searchPath = "") const {
        args.insert(args.begin(), probe_);
        testsupport::ProcessOptions options;
        options.workingDirectory = "/";
        options.environment.push_back(searchPath.empty() ? "LD_LIBRARY_PATH" : "LD_LIBRARY_PATH=" + searchPath);
        return testsupport::runProcess(args, options);
    }

    const std::string& directory() const { return directory_; }
    const std::string& temp() const { return temp_.path(); }

private:
    testsupport::TempDir temp_;
    std::string directory_;
    std::string probe_;
};

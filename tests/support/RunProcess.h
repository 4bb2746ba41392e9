// Runs another program (kivora-sys, a probe executable) for a test and
// collects what it printed.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct ProcessResult {
    int status = -1;  // exit status; 128 + the signal number when killed
    std::string out;
    std::string err;
};

struct ProcessOptions {
    std::string workingDirectory;          // empty: the test's own
    std::vector<std::string> environment;  // "NAME=value" sets, "NAME" removes
};

// Runs argv[0] (a path) with the arguments, standard input from /dev/null.
ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

// Copies an executable or library into `directory` under `name` (the same
// name when empty), keeping it executable. Returns the new path.
std::string copyInto(const std::string& file, const std::string& directory, const std::string& name = "");

}  // namespace testsupport

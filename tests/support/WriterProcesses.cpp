#include "WriterProcesses.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <thread>

namespace testsupport {

namespace {

// Starts `write` in a child with the write end of a new pipe; returns the
// child's id and the read end, or -1 when it could not be started.
pid_t startWriter(const Writer& write, int& readEnd) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        write(fds[1]);
        _exit(0);
    }
    close(fds[1]);
    if (child < 0) {
        close(fds[0]);
        return -1;
    }
    readEnd = fds[0];
    return child;
}

// Reads what the pipe holds and appends the whole values to `reported`; a
// value split across two reads waits in `partial` for its rest. False at the
// end of the pipe.
bool readReports(int fd, std::string& partial, std::vector<std::int64_t>& reported) {
    char buffer[4096];
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) return got < 0 && errno == EINTR;
    partial.append(buffer, static_cast<std::size_t>(got));
    std::size_t whole = partial.size() / sizeof(std::int64_t);
    for (std::size_t i = 0; i < whole; ++i) {
        std::int64_t value;
        std::memcpy(&value, partial.data() + i * sizeof value, sizeof value);
        reported.push_back(value);
    }
    partial.erase(0, whole * sizeof(std::int64_t));
    return true;
}

}  // namespace

void reportStored(int report, std::int64_t value) {
    if (write(report, &value, sizeof value) != static_cast<ssize_t>(sizeof value)) _exit(1);
}

KilledWriter runAndKill(const Writer& write, std::chrono::microseconds delay) {
    KilledWriter result;
    int readEnd = -1;
    pid_t child = startWriter(write, readEnd);
    if (child < 0) {
        ADD_FAILURE() << "cannot start a writer: " << std::strerror(errno);
        return result;
    }
    // The delay counts from the writer's first stored value: on a loaded
    // machine a child may not even run within the delay, and a kill before
    // its first write would test nothing.
    std::string partial;
    pollfd first{readEnd, POLLIN, 0};
    while (result.reported.empty() && poll(&first, 1, 10000) > 0 &&
           readReports(readEnd, partial, result.reported)) {
    }
    std::this_thread::sleep_for(delay);
    kill(child, SIGKILL);
    int status = 0;
    if (waitpid(child, &status, 0) != child) ADD_FAILURE() << "lost track of a writer";
    result.killedMidway = WIFSIGNALED(status);
    while (readReports(readEnd, partial, result.reported)) {
    }
    close(readEnd);
    return result;
}

std::vector<FinishedWriter> runTogether(int count, const std::function<Writer(int index)>& writers,
                                        const std::function<void()>& whileRunning) {
    std::vector<FinishedWriter> results(static_cast<std::size_t>(count));
    std::vector<pid_t> children;
    std::vector<pollfd> pipes;
    for (int i = 0; i < count; ++i) {
        int readEnd = -1;
        pid_t child = startWriter(writers(i), readEnd);
        if (child < 0) {
            ADD_FAILURE() << "cannot start writer " << i << ": " << std::strerror(errno);
            break;
        }
        children.push_back(child);
        pipes.push_back({readEnd, POLLIN, 0});
    }
    std::vector<std::string> partial(pipes.size());
    std::size_t open = pipes.size();
    auto lastCheck = std::chrono::steady_clock::now();
    while (open > 0) {
        poll(pipes.data(), pipes.size(), 10);
        for (std::size_t i = 0; i < pipes.size(); ++i) {
            if (pipes[i].fd < 0 || pipes[i].revents == 0) continue;
            if (!readReports(pipes[i].fd, partial[i], results[i].reported)) {
                close(pipes[i].fd);
                // poll skips negative descriptors.
                pipes[i].fd = -1;
                --open;
            }
        }
        if (std::chrono::steady_clock::now() - lastCheck >= std::chrono::milliseconds(20)) {
            whileRunning();
            lastCheck = std::chrono::steady_clock::now();
        }
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        int status = 0;
        if (waitpid(children[i], &status, 0) != children[i]) ADD_FAILURE() << "lost track of writer " << i;
        results[i].succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return results;
}

void Damage::torn(const std::string& why) {
    ++tornFiles;
    if (firstProblem.empty()) firstProblem = "torn: " + why;
}

void Damage::lost(const std::string& what) {
    ++lostEntries;
    if (firstProblem.empty()) firstProblem = "lost: " + what;
}

bool hasFileStartingWith(const std::string& directory, const std::string& prefix) {
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        if (entry.path().filename().string().rfind(prefix, 0) == 0) return true;
    }
    return false;
}

}  // namespace testsupport

#include "FakeModem.h"

#include "TempSystemRoot.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

namespace testsupport {

namespace {

// socat splits its EXEC command at blanks; the modem reads _ as a blank.
std::string underscored(std::string text) {
    for (char& c : text) c = c == ' ' ? '_' : c;
    return text;
}

}  // namespace

FakeModem::FakeModem(std::string port, std::string model, std::string dialAnswer)
    : port_(std::move(port)), model_(std::move(model)), log_(port_ + ".log") {
    // Open to every user: a test may run the program as another.
    const std::string left = "pty,raw,echo=0,mode=666,link=" + port_;
    const std::string right = "EXEC:" KIVORA_TESTS_BIN "/kivora-fake-modem " + log_ + " " + underscored(model_) + " " +
                              underscored(dialAnswer) + ",pty,raw,echo=0";
    socat_ = fork();
    if (socat_ == 0) {
        execlp("socat", "socat", left.c_str(), right.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(port_) && std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(socat_, &status, WNOHANG) == socat_) {
            ADD_FAILURE() << "socat ended at once (status " << status
                          << "); the fake modem needs socat, which scripts/bootstrap installs";
            socat_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(std::filesystem::exists(port_)) << "the fake modem's port " << port_ << " never appeared";
}

FakeModem::~FakeModem() {
    if (socat_ <= 0) return;
    kill(socat_, SIGTERM);
    int status = 0;
    waitpid(socat_, &status, 0);
}

std::vector<std::string> FakeModem::received() const {
    std::vector<std::string> lines;
    std::istringstream log(readFile(log_));
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
}

void FakeModem::forget() const { std::filesystem::remove(log_); }

}  // namespace testsupport

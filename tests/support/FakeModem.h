// A fake Hayes modem on a pseudo-terminal for the life of the object: socat
// joins the port to tests/ppp/FakeModem.cpp, which answers AT commands and
// logs every command line it receives.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace testsupport {

class FakeModem {
public:
    // The modem at `port` (a path the test owns) answers ATI with `model`
    // (the model "silent": never a word) and ATD with `dialAnswer`.
    explicit FakeModem(std::string port, std::string model = "Kivora Fake 33600",
                       std::string dialAnswer = "CONNECT 33600");
    ~FakeModem();
    FakeModem(const FakeModem&) = delete;
    FakeModem& operator=(const FakeModem&) = delete;

    const std::string& port() const { return port_; }
    // The name the ppp service lists it under.
    std::string deviceName() const { return model_ + " (" + port_ + ")"; }
    // The command lines received so far, oldest first.
    std::vector<std::string> received() const;
    void forget() const;

private:
    std::string port_;
    std::string model_;
    std::string log_;
    pid_t socat_ = -1;
};

}  // namespace testsupport

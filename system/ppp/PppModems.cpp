// The modem probe: every candidate port at once, in one poll loop.
#include "PppSystem.h"

#include "PppText.h"
#include "ras.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace ppp {

namespace {

using Clock = std::chrono::steady_clock;
using standin::ras::Device;

// How long a port has to answer each command. A modem answers AT within a
// few milliseconds; four silent ports then cost this once, not four times.
constexpr auto kAnswerTime = std::chrono::milliseconds(300);
// How long an answer is kept for the next calls: the form and each
// confirmation dialog list the modems, each with two calls.
constexpr auto kKeptFor = std::chrono::seconds(10);

std::vector<std::string> globbed(const char* prefix) {
    std::vector<std::string> ports;
    DIR* dir = opendir("/dev");
    if (dir == nullptr) return ports;
    const size_t length = std::strlen(prefix);
    while (dirent* entry = readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix, length) == 0 && entry->d_name[length] != '\0') {
            ports.push_back(std::string("/dev/") + entry->d_name);
        }
    }
    closedir(dir);
    // ttyS2 before ttyS10.
    std::sort(ports.begin(), ports.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return ports;
}

// A UUCP lock file (/run/lock/LCK..ttyS0) of a live process: pppd, or a
// terminal program, has the port.
bool lockedByAnother(const std::string& port) {
    const std::string name = port.substr(port.rfind('/') + 1);
    const std::string lock = local(kLockDir) + "/LCK.." + name;
    const int fd = open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[64] = {};
    const ssize_t n = read(fd, buffer, sizeof buffer - 1);
    close(fd);
    long pid = 0;
    if (n == sizeof(int)) {
        int binary = 0;
        std::memcpy(&binary, buffer, sizeof binary);
        pid = binary;
    } else if (n > 0) {
        pid = std::strtol(buffer, nullptr, 10);
    }
    return pid > 0 && pid != getpid() && (kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

struct Probe {
    std::string port;
    int fd = -1;
    enum class Stage { Attention, Identify, Done, Failed } stage = Stage::Attention;
    Clock::time_point deadline;
    std::string received;
    std::vector<std::string> answer;  // the lines after the echo, before OK
};

void send(Probe& probe, const char* command) {
    tcflush(probe.fd, TCIFLUSH);
    probe.received.clear();
    probe.answer.clear();
    const size_t length = std::strlen(command);
    if (write(probe.fd, command, length) != static_cast<ssize_t>(length)) probe.stage = Probe::Stage::Failed;
    probe.deadline = Clock::now() + kAnswerTime;
}

// The complete lines received so far; true once OK or ERROR ended them.
bool readLines(Probe& probe, bool& ok) {
    char buffer[256];
    for (;;) {
        const ssize_t n = read(probe.fd, buffer, sizeof buffer);
        if (n <= 0) break;
        probe.received.append(buffer, static_cast<size_t>(n));
        if (probe.received.size() > 4096) break;
    }
    size_t pos;
    while ((pos = probe.received.find_first_of("\r\n")) != std::string::npos) {
        std::string line = probe.received.substr(0, pos);
        probe.received.erase(0, pos + 1);
        while (!line.empty() && line.back() == ' ') line.pop_back();
        if (line.empty()) continue;
        if (line == "OK" || line == "ERROR") {
            ok = line == "OK";
            return true;
        }
        probe.answer.push_back(line);
    }
    return false;
}

bool openPort(Probe& probe) {
    probe.fd = open(probe.port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (probe.fd < 0) return false;
    // A legacy serial port without its chip: nothing there to ask.
    serial_struct serial {};
    if (ioctl(probe.fd, TIOCGSERIAL, &serial) == 0 && serial.type == PORT_UNKNOWN) return false;
    termios settings {};
    if (tcgetattr(probe.fd, &settings) != 0) return false;
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    cfsetispeed(&settings, B115200);
    cfsetospeed(&settings, B115200);
    return tcsetattr(probe.fd, TCSANOW, &settings) == 0;
}

// The modem's name: printable ASCII of its ATI answer, the echo left out.
std::string modelOf(const Probe& probe) {
    for (const std::string& line : probe.answer) {
        if (line.rfind("AT", 0) == 0 || line.rfind("at", 0) == 0) continue;
        std::string model;
        for (char c : line) {
            if (c >= 0x20 && c < 0x7F) model += c;
        }
        while (!model.empty() && model.front() == ' ') model.erase(0, 1);
        if (!model.empty()) return model;
    }
    return "Modem";
}

std::vector<Device> probeNow() {
    std::vector<Probe> probes;
    for (const std::string& port : modemPorts()) {
        if (lockedByAnother(port)) continue;
        Probe probe;
        probe.port = port;
        if (!openPort(probe)) {
            if (probe.fd >= 0) close(probe.fd);
            continue;
        }
        send(probe, "AT\r");
        probes.push_back(std::move(probe));
    }
    for (;;) {
        std::vector<pollfd> waiting;
        Clock::time_point next = Clock::time_point::max();
        for (Probe& probe : probes) {
            if (probe.stage == Probe::Stage::Done || probe.stage == Probe::Stage::Failed) continue;
            waiting.push_back({probe.fd, POLLIN, 0});
            next = std::min(next, probe.deadline);
        }
        if (waiting.empty()) break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
        poll(waiting.data(), waiting.size(), static_cast<int>(std::max<long long>(0, left)) + 1);
        for (Probe& probe : probes) {
            if (probe.stage == Probe::Stage::Done || probe.stage == Probe::Stage::Failed) continue;
            bool ok = false;
            if (readLines(probe, ok)) {
                if (probe.stage == Probe::Stage::Attention) {
                    if (!ok) {
                        probe.stage = Probe::Stage::Failed;
                    } else {
                        probe.stage = Probe::Stage::Identify;
                        send(probe, "ATI\r");
                    }
                } else {
                    probe.stage = Probe::Stage::Done;
                }
            } else if (Clock::now() >= probe.deadline) {
                // A modem that answered AT but not ATI is still a modem.
                probe.stage = probe.stage == Probe::Stage::Identify ? Probe::Stage::Done : Probe::Stage::Failed;
            }
        }
    }
    std::vector<Device> devices;
    for (Probe& probe : probes) {
        close(probe.fd);
        if (probe.stage != Probe::Stage::Done) continue;
        std::string port;
        if (!exactCp932(probe.port, port)) continue;
        std::string model = modelOf(probe);
        // The name fits RASDEVINFOA's 128 bytes; the port is never cut.
        const size_t room = RAS_MaxDeviceName - port.size() - 3;
        if (port.size() + 3 >= RAS_MaxDeviceName) continue;
        if (model.size() > room) model.resize(room);
        devices.push_back({RASDT_Modem, model + " (" + port + ")"});
    }
    return devices;
}

std::mutex probeMutex;
bool haveProbe = false;
Clock::time_point probedAt;
std::string probedPorts;
std::vector<Device> probed;

}  // namespace

std::vector<std::string> modemPorts() {
    if (const char* list = std::getenv("KIVORA_MODEM_PORTS")) {
        std::vector<std::string> ports;
        std::string_view rest = list;
        while (!rest.empty()) {
            const size_t colon = rest.find(':');
            if (colon != 0) ports.emplace_back(rest.substr(0, colon));
            if (colon == std::string_view::npos) break;
            rest.remove_prefix(colon + 1);
        }
        return ports;
    }
    std::vector<std::string> ports;
    char target[PATH_MAX];
    std::string modemTarget;
    if (realpath("/dev/modem", target) != nullptr) {
        ports.emplace_back("/dev/modem");
        modemTarget = target;
    }
    for (const char* prefix : {"ttyS", "ttyUSB", "ttyACM"}) {
        for (std::string& port : globbed(prefix)) {
            // /dev/modem names one of them: the port is asked once.
            if (port != modemTarget) ports.push_back(std::move(port));
        }
    }
    return ports;
}

std::vector<Device> probeModems() {
    std::lock_guard guard(probeMutex);
    const char* list = std::getenv("KIVORA_MODEM_PORTS");
    const std::string ports = list != nullptr ? std::string("=") + list : std::string();
    if (haveProbe && ports == probedPorts && Clock::now() - probedAt < kKeptFor) return probed;
    probed = probeNow();
    haveProbe = true;
    probedPorts = ports;
    probedAt = Clock::now();
    return probed;
}

}  // namespace ppp

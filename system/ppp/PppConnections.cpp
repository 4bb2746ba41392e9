// Running pppd processes as the active connections, dialling and hanging up.
#include "PppSystem.h"

#include "PppEntries.h"
#include "ras.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace ppp {

namespace {

using standin::ras::Connection;

std::vector<std::string> commandLineOf(pid_t pid) {
    std::vector<std::string> words;
    const std::string path = "/proc/" + std::to_string(pid) + "/cmdline";
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return words;
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    close(fd);
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find('\0', pos);
        words.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        if (end == std::string::npos) break;
        pos = end + 1;
    }
    return words;
}

bool isPppd(const std::vector<std::string>& words) {
    if (words.empty()) return false;
    const std::string& program = words[0];
    const size_t slash = program.rfind('/');
    return program.substr(slash == std::string::npos ? 0 : slash + 1) == "pppd";
}

bool isLivePppd(pid_t pid) { return pid > 0 && isPppd(commandLineOf(pid)); }

// The entry a running peer stands for: the peer itself, or the one the
// default peer calls.
bool entryOfRunningPeer(const std::string& peer, std::string& entryName) {
    std::string name = peer;
    PeerState state;
    if (loadPeer(peer, state).ok() && state.document.isDefaultAlias) name = state.document.valueOf("call");
    return entryNameForPeer(name, entryName);
}

void addConnection(std::vector<Connection>& connections, pid_t pid, const std::string& peer) {
    std::string entryName;
    if (!entryOfRunningPeer(peer, entryName)) return;
    if (std::any_of(connections.begin(), connections.end(), [pid](const Connection& c) { return c.handle == static_cast<DWORD>(pid); })) {
        return;
    }
    std::string deviceName;
    std::string found;
    if (findPeer(entryName, found).ok()) {
        PeerState state;
        if (loadPeer(found, state).ok()) deviceName = entryOf(state).szDeviceName;
    }
    connections.push_back({static_cast<DWORD>(pid), entryName, RASDT_Modem, deviceName});
}

// Maps how pppd ended (its documented exit statuses) to what Windows says.
DWORD dialFailure(int status) {
    switch (status) {
    case 2: return ERROR_CANNOT_OPEN_PHONEBOOK;  // the options do not parse
    case 3:
    case 4: return ERROR_INVALID_USER_BUFFER;  // no privileges, no kernel PPP: not a suitable environment
    case 6: return 602;                        // ERROR_PORT_ALREADY_OPEN
    case 7: return 633;                        // ERROR_PORT_NOT_AVAILABLE
    case 8: return 678;                        // ERROR_NO_ANSWER: the connect script failed
    case 16: return 628;                       // ERROR_PORT_DISCONNECTED
    case 19: return 691;                       // ERROR_AUTHENTICATION_FAILURE
    default: return 629;                       // ERROR_REMOTE_DISCONNECTION
    }
}

}  // namespace

std::vector<Connection> runningConnections() {
    std::vector<Connection> connections;
    const std::string runFolder = local(kRunDir);
    if (DIR* dir = opendir(runFolder.c_str())) {
        std::vector<std::pair<pid_t, std::string>> found;
        while (dirent* file = readdir(dir)) {
            const std::string name = file->d_name;
            if (name.size() <= 8 || name.rfind("ppp-", 0) != 0 || name.substr(name.size() - 4) != ".pid") continue;
            const int fd = openat(dirfd(dir), file->d_name, O_RDONLY | O_CLOEXEC);
            if (fd < 0) continue;
            char buffer[32] = {};
            const ssize_t n = read(fd, buffer, sizeof buffer - 1);
            close(fd);
            const pid_t pid = n > 0 ? static_cast<pid_t>(std::strtol(buffer, nullptr, 10)) : 0;
            if (isLivePppd(pid)) found.emplace_back(pid, name.substr(4, name.size() - 8));
        }
        closedir(dir);
        std::sort(found.begin(), found.end());
        for (const auto& [pid, peer] : found) addConnection(connections, pid, peer);
    }
    // A pppd started by hand (pon NAME) with a peer of another hand: only
    // on the machine's own files, which the processes' peers are.
    if (!root().empty()) return connections;
    if (DIR* proc = opendir("/proc")) {
        while (dirent* process = readdir(proc)) {
            const pid_t pid = static_cast<pid_t>(std::strtol(process->d_name, nullptr, 10));
            if (pid <= 0) continue;
            const std::vector<std::string> words = commandLineOf(pid);
            if (!isPppd(words)) continue;
            for (size_t i = 1; i + 1 < words.size(); ++i) {
                if (words[i] == "call") addConnection(connections, pid, words[i + 1]);
            }
        }
        closedir(proc);
    }
    return connections;
}

Status dialPeer(const std::string& peer, Connection& connection) {
    // pon's own command; with updetach it returns once the link is up.
    const char* pppd = "/usr/sbin/pppd";
    std::vector<std::string> words{pppd, "call", peer, "updetach"};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child < 0) return failure(ERROR_NOT_ENOUGH_MEMORY, std::string("cannot start pppd: ") + std::strerror(errno));
    if (child == 0) {
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
        }
        execve(pppd, argv.data(), environ);
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return failure(code == 127 ? ERROR_INVALID_USER_BUFFER : dialFailure(code),
                       "pppd call " + peer + " ended with status " + std::to_string(code));
    }
    // The link is up: its pid file names the pppd that keeps it.
    std::string entryName;
    entryNameForPeer(peer, entryName);
    for (int attempt = 0; attempt < 50; ++attempt) {
        for (const Connection& running : runningConnections()) {
            if (running.entryName == entryName) {
                connection = running;
                return {};
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return failure(629, "pppd call " + peer + " went away after the link came up");
}

Status hangUpConnection(unsigned long handle) {
    for (const Connection& running : runningConnections()) {
        if (running.handle != handle) continue;
        if (kill(static_cast<pid_t>(handle), SIGTERM) != 0 && errno != ESRCH) {
            return failure(ERROR_ACCESS_DENIED, "cannot end pppd " + std::to_string(handle) + ": " + std::strerror(errno));
        }
        return {};
    }
    return failure(ERROR_INVALID_HANDLE, "there is no active connection " + std::to_string(handle));
}

}  // namespace ppp

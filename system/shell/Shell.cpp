// shell32 stand-in: ShellExecuteA's "open" hands the text to xdg-open, the
// desktop's own "open this document or address"; the user's application-data
// folder lies in the system root, as it lies in a Windows user's profile.
#include "shlobj.h"
#include "windows.h"

#include "SystemRoot.h"

#include <sys/stat.h>

#include <fcntl.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// ShellExecute's error returns (all 32 or less).
constexpr ULONG_PTR SE_ERR_FNF = 2;
constexpr ULONG_PTR SE_ERR_OOM = 8;
constexpr ULONG_PTR SE_ERR_NOASSOC = 31;
constexpr ULONG_PTR kSuccess = 42;

HINSTANCE result(ULONG_PTR code) { return reinterpret_cast<HINSTANCE>(code); }

bool isOpenVerb(const char* verb) {
    if (verb == nullptr) return true;  // the default verb, "open" here
    return strcasecmp(verb, "open") == 0;
}

// xdg-open's path along $PATH, searched here because the child may only
// make async-signal-safe calls (the program may have other threads).
std::string findOnPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        size_t colon = rest.find(':');
        std::string candidate(rest.substr(0, colon));
        if (candidate.empty()) candidate.push_back('.');
        candidate.append("/").append(program);
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        if (colon == std::string_view::npos) return {};
        rest.remove_prefix(colon + 1);
    }
}

}  // namespace

extern "C" {

HINSTANCE WINAPI ShellExecuteA(HWND /*window*/, LPCSTR operation, LPCSTR file, LPCSTR /*parameters*/,
                               LPCSTR directory, INT /*showCommand*/) {
    if (!isOpenVerb(operation)) return result(SE_ERR_NOASSOC);
    if (file == nullptr || *file == '\0') return result(SE_ERR_FNF);
    std::string opener = findOnPath("xdg-open");
    if (opener.empty()) return result(SE_ERR_FNF);

    // The text is one argument: no shell, no word splitting.
    char* const argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(file), nullptr};
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return result(SE_ERR_OOM);

    // Forked twice so that xdg-open (which may run as long as the document
    // stays open) is never our child to wait for: no zombie is left behind.
    pid_t middle = fork();
    if (middle < 0) {
        close(report[0]);
        close(report[1]);
        return result(SE_ERR_OOM);
    }
    if (middle == 0) {
        pid_t opened = fork();
        if (opened == 0) {
            int null = open("/dev/null", O_RDONLY);
            if (null >= 0) dup2(null, STDIN_FILENO);
            if (directory != nullptr && *directory != '\0' && chdir(directory) != 0) {
                int error = errno;
                (void)!write(report[1], &error, sizeof error);
                _exit(127);
            }
            execv(opener.c_str(), argv);
            int error = errno;
            (void)!write(report[1], &error, sizeof error);
            _exit(127);
        }
        _exit(opened < 0 ? 1 : 0);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes on a successful exec; an error number arrives otherwise.
    int childError = 0;
    ssize_t got;
    while ((got = read(report[0], &childError, sizeof childError)) < 0 && errno == EINTR) {
    }
    close(report[0]);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return result(SE_ERR_OOM);
    if (got > 0) return result(childError == ENOENT ? SE_ERR_FNF : SE_ERR_NOASSOC);
    return result(kSuccess);
}

HRESULT WINAPI SHGetFolderPathA(HWND /*window*/, int folder, HANDLE /*token*/, DWORD /*flags*/, LPSTR path) {
    if (path == nullptr) return E_FAIL;
    path[0] = '\0';
    // Only the local application data: what programs keep there stays on
    // this machine.
    if ((folder & ~CSIDL_FLAG_CREATE) != CSIDL_LOCAL_APPDATA) return E_FAIL;
    const std::string found = standin::rootFile("localappdata");
    if (found.size() >= MAX_PATH) return E_FAIL;
    if (folder & CSIDL_FLAG_CREATE) {
        std::string error;
        if (!standin::ensureSystemRoot(error)) return E_FAIL;
        if (mkdir(found.c_str(), 0700) != 0 && errno != EEXIST) return E_FAIL;
    }
    std::memcpy(path, found.c_str(), found.size() + 1);
    return S_OK;
}

}  // extern "C"

// make bench, under Wine: what a Windows user waits for at start-up.
// kivora.exe, started afresh, from CreateProcess until its first dialog is
// on the screen and painted, against kivora-bench-dialog.exe showing the
// same dialog template and nothing else. Each pair runs one after the
// other, so that a machine shared with other work slows both alike; the
// ratio is of their totals.
//   kivora-bench-startup.exe PAIRS
// Beside it: form\kivora.exe with the provider's files but no access-point
// table (the new-connection form shows), menu\kivora.exe with one (the main
// menu), and kivora-bench-dialog.exe.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / frequency;
}

struct Search {
    DWORD process;
    HWND dialog;
};

BOOL CALLBACK findDialog(HWND window, LPARAM found) {
    auto& search = *reinterpret_cast<Search*>(found);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (process != search.process || !IsWindowVisible(window) || std::string(name) != "#32770") return TRUE;
    search.dialog = window;
    return FALSE;
}

// Seconds from the start of `commandLine` until its first dialog is shown
// and painted (the dialog and every control answered the paint asked of
// them); the program is then closed. Negative when it failed, or did not
// end with status 0 within 30 s.
double secondsToPaintedDialog(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const double start = now();
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return -1;
    }
    Search search{started.dwProcessId, nullptr};
    while (search.dialog == nullptr && WaitForSingleObject(started.hProcess, 1) == WAIT_TIMEOUT) {
        EnumWindows(findDialog, reinterpret_cast<LPARAM>(&search));
    }
    double seconds = -1;
    if (search.dialog != nullptr) {
        RedrawWindow(search.dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        seconds = now() - start;
        // As the close box closes it.
        PostMessageA(search.dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    DWORD status = 1;
    if (WaitForSingleObject(started.hProcess, 30000) != WAIT_OBJECT_0 || !GetExitCodeProcess(started.hProcess, &status) ||
        status != 0) {
        seconds = -1;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return seconds;
}

bool measure(const char* what, const char* folder, const char* id, int pairs) {
    double subject = 0, baseline = 0, fastestSubject = 1e9, fastestBaseline = 1e9;
    // The first pair only warms Wine's caches.
    for (int pair = -1; pair < pairs; ++pair) {
        const double s = secondsToPaintedDialog(std::string(folder) + "\\kivora.exe");
        const double b = secondsToPaintedDialog(std::string("kivora-bench-dialog.exe ") + id);
        if (s < 0 || b < 0) {
            std::printf("%s: %s did not start, show its dialog and end\n", what, s < 0 ? "kivora.exe" : "the baseline");
            return false;
        }
        if (pair < 0) continue;
        subject += s;
        baseline += b;
        fastestSubject = std::min(fastestSubject, s);
        fastestBaseline = std::min(fastestBaseline, b);
    }
    std::printf("%-22s kivora.exe %7.1f ms   the template alone %7.1f ms   ratio %.2f   (fastest %.1f and %.1f ms)\n",
                what, subject / pairs * 1000, baseline / pairs * 1000, subject / baseline, fastestSubject * 1000,
                fastestBaseline * 1000);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int pairs = argc == 2 ? std::atoi(argv[1]) : 0;
    if (pairs <= 0) {
        std::fprintf(stderr, "usage: kivora-bench-startup PAIRS\n");
        return 2;
    }
    std::printf("Start-up to the painted dialog under Wine, mean of %d pairs:\n", pairs);
    const bool form = measure("new-connection form", "form", "129", pairs);
    const bool menu = measure("main menu", "menu", "102", pairs);
    return form && menu ? 0 : 1;
}

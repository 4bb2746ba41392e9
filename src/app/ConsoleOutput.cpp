#include "ConsoleOutput.h"

#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

namespace {

bool reachesSomeone(FILE* stream) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    return GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

void joinStartingConsole() {
    const bool output = reachesSomeone(stdout);
    const bool error = reachesSomeone(stderr);
    if ((output && error) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    // A stream that cannot be reopened stays closed; tellUser then shows a box.
    if (!output) std::freopen("CONOUT$", "w", stdout);
    if (!error) std::freopen("CONOUT$", "w", stderr);
}

void tellUser(const std::string& text, bool problem) {
    if (reachesSomeone(problem ? stderr : stdout)) {
        (problem ? std::cerr : std::cout) << text << std::flush;
        return;
    }
    // The text is ASCII: the ANSI function shows it alike in every code page.
    MessageBoxA(nullptr, text.c_str(), "Kivora", MB_OK | (problem ? MB_ICONWARNING : MB_ICONINFORMATION));
}
#else
void tellUser(const std::string& text, bool problem) { (problem ? std::cerr : std::cout) << text << std::flush; }
#endif

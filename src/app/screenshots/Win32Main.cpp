// kivora-screenshots.exe DIRECTORY: shows every dialog of the program, and a
// message box of each icon, on the screen and saves each as
// DIRECTORY\<scene>.png. Needs a screen: under Wine, xvfb-run gives one.
#include "Scenes.h"
#include "Win32Backend.h"
#include "Win32Camera.h"

#include <objbase.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kivora-screenshots DIRECTORY\n");
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    ui::Win32Backend backend;
    ui::setCurrentBackend(&backend);
    Win32Camera camera(backend, argv[1]);
    shootAllScenes(camera);
    ui::setCurrentBackend(nullptr);
    CoUninitialize();
    return camera.failed() ? 1 : 0;
}

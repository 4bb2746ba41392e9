// kivora-screenshots DIRECTORY: renders every dialog of the program, and a
// message box of each icon, offscreen into DIRECTORY/<scene>.png.
#include "QtBackend.h"
#include "QtCamera.h"
#include "Scenes.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kivora-screenshots DIRECTORY\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    ui::QtBackend backend(qtArgc, argv);
    ui::setCurrentBackend(&backend);
    QtCamera camera(backend, QString::fromLocal8Bit(argv[1]));
    shootAllScenes(camera);
    ui::setCurrentBackend(nullptr);
    return camera.failed() ? 1 : 0;
}

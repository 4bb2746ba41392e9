// kivora-screenshots DIRECTORY: renders every dialog of the program, and a
// message box of each icon, offscreen into DIRECTORY/<scene>.png.
#include "Application.h"
#include "QtBackend.h"
#include "Resources.h"
#include "Scenes.h"

#include <cstdio>
#include <cstdlib>

namespace {

class ScreenshotApplication : public ui::Application {
public:
    explicit ScreenshotApplication(Camera& camera)
        : Application(resources::loadString(resources::IDS_APP_TITLE)), camera_(camera) {}

protected:
    void initInstance() override {
        for (const Scene& scene : scenes()) scene.shoot(camera_);
    }

private:
    Camera& camera_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kivora-screenshots DIRECTORY\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    ui::QtBackend backend(qtArgc, argv);
    ui::setCurrentBackend(&backend);
    Camera camera(backend, QString::fromLocal8Bit(argv[1]));
    ScreenshotApplication application(camera);
    application.run();
    ui::setCurrentBackend(nullptr);
    return camera.failed() ? 1 : 0;
}

#include "InteractiveBackend.h"

namespace ui {

const char kInteractiveBackendName[] = "win32";

// The dialog manager's backend is not written yet: until it is, the Windows
// build runs headless only.
std::unique_ptr<Backend> makeInteractiveBackend(int&, char**, std::string& problem) {
    problem = "kivora: this build has no windows yet; run it with KIVORA_UI=script (see docs/automation.md)";
    return nullptr;
}

}  // namespace ui

#include "RunApplication.h"

#include "Application.h"
#include "Backend.h"
#include "InteractiveBackend.h"
#include "ScriptBackend.h"

#include <cstdlib>
#include <iostream>
#include <string>

namespace ui {

namespace {

int runOn(Backend& backend, Application& application) {
    setCurrentBackend(&backend);
    int status = backend.finish(application.run());
    setCurrentBackend(nullptr);
    return status;
}

}  // namespace

int runApplication(Application& application, int argc, char** argv) {
    const char* choice = std::getenv("KIVORA_UI");
    std::string backendName = choice != nullptr && *choice != '\0' ? choice : kInteractiveBackendName;
    if (backendName == "script") {
        std::unique_ptr<ScriptBackend> backend = ScriptBackend::fromEnvironment();
        return runOn(*backend, application);
    }
    if (backendName != kInteractiveBackendName) {
        std::cerr << "kivora: KIVORA_UI must be " << kInteractiveBackendName << " or script, not "
                  << backendName << "\n";
        return 1;
    }
    std::string problem;
    std::unique_ptr<Backend> backend = makeInteractiveBackend(argc, argv, problem);
    if (backend == nullptr) {
        std::cerr << problem << "\n";
        return 1;
    }
    return runOn(*backend, application);
}

}  // namespace ui

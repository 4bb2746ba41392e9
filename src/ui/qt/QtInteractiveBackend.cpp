#include "InteractiveBackend.h"

#include "QtBackend.h"

namespace ui {

const char kInteractiveBackendName[] = "qt";

std::unique_ptr<Backend> makeInteractiveBackend(int& argc, char** argv, std::string& problem) {
    if (auto displayProblem = QtBackend::displayProblem()) {
        problem = *displayProblem;
        return nullptr;
    }
    return std::make_unique<QtBackend>(argc, argv);
}

}  // namespace ui

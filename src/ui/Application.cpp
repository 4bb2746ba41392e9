#include "Application.h"

namespace ui {

namespace {
Application* theApplication = nullptr;
}

Application::Application(std::string title) : title_(std::move(title)) { theApplication = this; }

Application::~Application() {
    if (theApplication == this) theApplication = nullptr;
}

Application* Application::current() { return theApplication; }

int Application::run() {
    initInstance();
    return exitInstance();
}

int Application::exitInstance() { return 0; }

}  // namespace ui

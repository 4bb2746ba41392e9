// The backend with real windows on this platform: Qt on Linux, the Windows
// dialog manager on Windows. RunApplication takes it unless KIVORA_UI asks
// for the script backend.
#pragma once

#include "Backend.h"

#include <memory>
#include <string>

namespace ui {

// The name KIVORA_UI gives it.
extern const char kInteractiveBackendName[];

// The backend, or null with `problem` saying why no window can be opened.
// argc must outlive the backend.
std::unique_ptr<Backend> makeInteractiveBackend(int& argc, char** argv, std::string& problem);

}  // namespace ui

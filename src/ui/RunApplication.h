// Start of the program: chooses the backend by KIVORA_UI (the platform's
// own, "qt" on Linux and "win32" on Windows, the default; or "script") and
// runs the application on it.
#pragma once

namespace ui {

class Application;

// Returns the process's exit status: the application's, 1 when no window
// can be opened, 3 when the script backend's script went wrong.
int runApplication(Application& application, int argc, char** argv);

}  // namespace ui

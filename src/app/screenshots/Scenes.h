// The screenshot tool's scenes: each builds one window with sample contents
// and photographs it. Add a scene to the table in Scenes.cpp.
#pragma once

#include "windows.h"

#include <functional>
#include <string>
#include <vector>

namespace ui {
class Dialog;
}  // namespace ui

// Takes the photographs; each backend has its own (QtCamera, Win32Camera).
class Camera {
public:
    virtual ~Camera() = default;
    // Saves <name>.png: the dialog's window (made with create(), shown or
    // not), with its title bar where it has a caption.
    virtual void shoot(ui::Dialog& dialog, const char* name) = 0;
    // The same with drop-down list `listId` open over it.
    virtual void shootOpenList(ui::Dialog& dialog, int listId, const char* name) = 0;
    // The same after a user typed `utf8` at the end of edit `editId`, as the
    // backend's edit control takes it.
    virtual void shootTyped(ui::Dialog& dialog, int editId, const char* utf8, const char* name) = 0;
    // The message box the program would show, texts in CP932.
    virtual void shootMessageBox(const std::string& text, UINT type, const char* name) = 0;
};

struct Scene {
    const char* name;
    std::function<void(Camera&)> shoot;
};

const std::vector<Scene>& scenes();

// Runs an application titled as the program is, which shoots every scene.
void shootAllScenes(Camera& camera);

// The Windows backend's camera: each window shown on the (virtual) screen
// and copied from it, frame and all, then written as PNG through the Windows
// Imaging Component.
#pragma once

#include "Scenes.h"

#include <string>

namespace ui {
class Win32Backend;
}  // namespace ui

class Win32Camera : public Camera {
public:
    Win32Camera(ui::Win32Backend& backend, std::string directory)
        : backend_(backend), directory_(std::move(directory)) {}

    void shoot(ui::Dialog& dialog, const char* name) override;
    void shootOpenList(ui::Dialog& dialog, int listId, const char* name) override;
    void shootTyped(ui::Dialog& dialog, int editId, const char* utf8, const char* name) override;
    void shootMessageBox(const std::string& text, UINT type, const char* name) override;
    bool failed() const { return failed_; }

private:
    void save(HWND window, const char* name);

    ui::Win32Backend& backend_;
    std::string directory_;
    bool failed_ = false;
};

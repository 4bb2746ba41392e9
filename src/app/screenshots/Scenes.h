// The screenshot tool's scenes: each builds one window with sample contents
// and photographs it. Add a scene to the table in Scenes.cpp.
#pragma once

#include "windows.h"

#include <QImage>
#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace ui {
class Dialog;
class QtBackend;
}  // namespace ui

class Camera {
public:
    Camera(ui::QtBackend& backend, QString directory) : backend_(backend), directory_(std::move(directory)) {}

    // Saves <name>.png: the dialog's window (made with create(), shown or
    // not) with a title bar drawn for windows that have a caption.
    void shoot(ui::Dialog& dialog, const char* name);
    // The same with drop-down list `listId` open over it.
    void shootOpenList(ui::Dialog& dialog, int listId, const char* name);
    // The message box the program would show, texts in CP932.
    void shootMessageBox(const std::string& text, UINT type, const char* name);
    bool failed() const { return failed_; }
    ui::QtBackend& backend() const { return backend_; }

private:
    void save(const QImage& image, const char* name);

    ui::QtBackend& backend_;
    QString directory_;
    bool failed_ = false;
};

struct Scene {
    const char* name;
    std::function<void(Camera&)> shoot;
};

const std::vector<Scene>& scenes();

// The Qt backend's camera: offscreen windows grabbed, with a title bar of
// our own drawn where a window has a caption.
#pragma once

#include "Scenes.h"

#include <QImage>
#include <QString>

namespace ui {
class QtBackend;
}  // namespace ui

class QtCamera : public Camera {
public:
    QtCamera(ui::QtBackend& backend, QString directory) : backend_(backend), directory_(std::move(directory)) {}

    void shoot(ui::Dialog& dialog, const char* name) override;
    void shootOpenList(ui::Dialog& dialog, int listId, const char* name) override;
    void shootTyped(ui::Dialog& dialog, int editId, const char* utf8, const char* name) override;
    void shootMessageBox(const std::string& text, UINT type, const char* name) override;
    bool failed() const { return failed_; }

private:
    void save(const QImage& image, const char* name);

    ui::QtBackend& backend_;
    QString directory_;
    bool failed_ = false;
};

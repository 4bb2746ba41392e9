// Stands in for the dialog framework's backend while a test runs and keeps
// every message box that would have been shown.
#pragma once

#include "Backend.h"

#include <string>
#include <vector>

struct ShownMessage {
    std::string text;
    std::string caption;
    UINT type;
};

class RecordingBackend : public ui::Backend {
public:
    RecordingBackend() : previous_(ui::currentBackend()) { ui::setCurrentBackend(this); }
    ~RecordingBackend() override { ui::setCurrentBackend(previous_); }
    RecordingBackend(const RecordingBackend&) = delete;
    RecordingBackend& operator=(const RecordingBackend&) = delete;

    int messageBox(const std::string& text, const std::string& caption, UINT type) override {
        shown.push_back({text, caption, type});
        return IDOK;
    }

    std::vector<ShownMessage> shown;

private:
    ui::Backend* previous_;
};

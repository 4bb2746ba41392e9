// Stands in for the dialog framework's backend while a test runs that shows
// message boxes but no dialogs, and keeps every message box it is asked for.
// It lives inside an application titled "Kivora", as the program does, so
// message boxes raised without a caption get the program's title.
#pragma once

#include "Application.h"
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
    // No dialog is ever made under this backend.
    std::unique_ptr<ui::WindowView> createView(ui::Dialog&) override { return nullptr; }
    COLORREF systemColour(int) const override { return RGB(0xF0, 0xF0, 0xF0); }
    int finish(int status) override { return status; }

    std::vector<ShownMessage> shown;

private:
    struct TitledApplication : ui::Application {
        TitledApplication() : ui::Application("Kivora") {}
        void initInstance() override {}
    };
    TitledApplication application_;
    ui::Backend* previous_;
};

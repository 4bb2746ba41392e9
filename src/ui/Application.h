// The application object: one per program, built before start-up. Its
// start-up runs the program's windows (the framework has no message loop of
// its own); its exit routine runs when start-up is over.
#pragma once

#include <string>

namespace ui {

class Dialog;

class Application {
public:
    // title: CP932, the caption of message boxes raised without one.
    explicit Application(std::string title);
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application* current();

    const std::string& title() const { return title_; }
    // The window that owns windows made without a parent (not owned).
    Dialog* mainWindow() const { return mainWindow_; }
    void setMainWindow(Dialog* window) { mainWindow_ = window; }

    // Start-up, then the exit routine; returns the exit code.
    int run();

protected:
    virtual void initInstance() = 0;
    virtual int exitInstance();

private:
    std::string title_;
    Dialog* mainWindow_ = nullptr;
};

}  // namespace ui

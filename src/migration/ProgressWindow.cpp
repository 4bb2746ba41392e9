#include "ProgressWindow.h"

#include "Application.h"
#include "Resources.h"

ProgressWindow::ProgressWindow() : Dialog(resources::dialogTemplate(resources::IDD_PROGRESS)) {}

void ProgressWindow::centreOnMainWindow() {
    ui::Application* application = ui::Application::current();
    ui::Dialog* main = application != nullptr ? application->mainWindow() : nullptr;
    if (main == nullptr || !main->hasWindow() || !hasWindow()) return;
    ui::Rect mainRect = main->windowRect();
    ui::Rect own = windowRect();
    moveWindow(mainRect.left + (mainRect.width - own.width) / 2, mainRect.top + (mainRect.height - own.height) / 2);
}

void ProgressWindow::showText(const char* text) {
    if (indexOf(resources::IDC_PROGRESS_TEXT)) setControlText(resources::IDC_PROGRESS_TEXT, text ? text : "");
}

void ProgressWindow::show(bool activate) {
    showWindow(activate ? SW_SHOW : SW_SHOWNA);
    redrawWindow();
}

void ProgressWindow::hide() { showWindow(SW_HIDE); }

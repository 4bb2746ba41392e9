#include "MessageBox.h"

#include "Application.h"
#include "Backend.h"

namespace ui {

int messageBox(const char* text, UINT type, const char* caption) {
    Backend* backend = currentBackend();
    if (backend == nullptr) return IDCANCEL;
    std::string title;
    if (caption != nullptr) {
        title = caption;
    } else if (Application* application = Application::current()) {
        title = application->title();
    }
    return backend->messageBox(text ? text : "", title, type);
}

}  // namespace ui

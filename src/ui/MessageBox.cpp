#include "MessageBox.h"

#include "Backend.h"

namespace ui {

namespace {
Backend* current = nullptr;
}

Backend* currentBackend() { return current; }
void setCurrentBackend(Backend* backend) { current = backend; }

int messageBox(const char* text, UINT type, const char* caption) {
    if (current == nullptr) return IDCANCEL;
    // The application title, "Kivora", is plain ASCII and so the same in CP932.
    return current->messageBox(text ? text : "", caption ? caption : "Kivora", type);
}

}  // namespace ui

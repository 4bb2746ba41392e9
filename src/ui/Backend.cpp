#include "Backend.h"

namespace ui {

namespace {
Backend* current = nullptr;
}

Backend* currentBackend() { return current; }
void setCurrentBackend(Backend* backend) { current = backend; }

COLORREF systemColour(int index) {
    if (current != nullptr) return current->systemColour(index);
    return index == COLOR_BTNFACE ? RGB(240, 240, 240) : RGB(0, 0, 0);
}

}  // namespace ui

#include "Win32Backend.h"

#include "Cp932.h"
#include "InteractiveBackend.h"
#include "Win32WindowView.h"

namespace ui {

const char kInteractiveBackendName[] = "win32";

std::unique_ptr<Backend> makeInteractiveBackend(int&, char**, std::string&) {
    return std::make_unique<Win32Backend>();
}

std::wstring Win32Backend::toWide(const std::string& cp932Text) {
    std::string utf8;
    if (!cp932::toUtf8(cp932Text, utf8)) return {};
    return wideFromUtf8(utf8);
}

std::wstring Win32Backend::wideFromUtf8(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int utf8Length = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), utf8Length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), utf8Length, wide.data(), length);
    return wide;
}

std::string Win32Backend::utf8FromWide(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int wideLength = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::unique_ptr<WindowView> Win32Backend::createView(Dialog& dialog) {
    return std::make_unique<Win32WindowView>(*this, dialog);
}

int Win32Backend::messageBox(const std::string& text, const std::string& caption, UINT type) {
    HWND owner = GetActiveWindow();
    // Without an owner every window of the program waits for the box.
    const UINT modality = owner != nullptr ? 0 : MB_TASKMODAL;
    const int pressed = MessageBoxW(owner, toWide(text).c_str(), toWide(caption).c_str(), type | modality);
    return pressed == IDCANCEL ? IDCANCEL : IDOK;
}

COLORREF Win32Backend::systemColour(int index) const { return GetSysColor(index); }

int Win32Backend::finish(int status) { return status; }

HWND Win32Backend::windowOf(const Dialog* dialog) const {
    auto found = views_.find(dialog);
    return found != views_.end() ? found->second->window() : nullptr;
}

}  // namespace ui

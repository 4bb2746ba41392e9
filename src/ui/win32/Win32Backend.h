// The backend on Windows' own dialog manager: each dialog an in-memory
// dialog template made into a real window, real controls, real message
// boxes. Texts are CP932 inside the program and go to the system as UTF-16,
// so they show right whatever the machine's ANSI code page.
#pragma once

#include "Backend.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>

namespace ui {

class Dialog;
class Win32WindowView;

class Win32Backend : public Backend {
public:
    Win32Backend() = default;

    std::unique_ptr<WindowView> createView(Dialog& dialog) override;
    int messageBox(const std::string& text, const std::string& caption, UINT type) override;
    COLORREF systemColour(int index) const override;
    int finish(int status) override;

    // The window showing a dialog, or null (for owners, and for the
    // screenshot tool).
    HWND windowOf(const Dialog* dialog) const;

    // CP932 to UTF-16; text that does not convert shows as nothing rather
    // than as another text.
    static std::wstring toWide(const std::string& cp932Text);
    static std::wstring wideFromUtf8(const std::string& utf8);
    // A half of a surrogate pair on its own becomes U+FFFD, which CP932
    // cannot hold either.
    static std::string utf8FromWide(const std::wstring& wide);

private:
    friend class Win32WindowView;
    std::map<const Dialog*, Win32WindowView*> views_;
};

}  // namespace ui

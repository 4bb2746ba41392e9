// The interface behind the dialog framework. Exactly one backend is current;
// no program code knows which. A backend makes a view for each dialog
// window, shows the dialog's state through it and applies what the user does
// through UserInput.
#pragma once

#include "DialogTemplate.h"
#include "windows.h"

#include <cstddef>
#include <memory>
#include <string>

namespace ui {

class Dialog;

// One dialog window as a backend shows it. The dialog tells it of every
// change it makes; the view reads the new state from the dialog.
class WindowView {
public:
    virtual ~WindowView() = default;
    virtual void controlChanged(std::size_t index) = 0;
    virtual void repaintControl(std::size_t index) = 0;
    virtual void focusControl(std::size_t index) = 0;
    virtual void setVisible(bool visible, bool activate) = 0;
    // Paints the window before returning.
    virtual void repaintNow() = 0;
    virtual Rect frameRect() const = 0;
    virtual void moveTo(int left, int top) = 0;
    virtual void iconChanged() = 0;
    // Shows the dialog and lets the user work with it until it has ended.
    virtual void runModal() = 0;
    // The dialog has ended: a running modal loop returns.
    virtual void endModal() = 0;
};

class Backend {
public:
    virtual ~Backend() = default;
    // A hidden window for the dialog, its controls made from its template
    // and its current control state.
    virtual std::unique_ptr<WindowView> createView(Dialog& dialog) = 0;
    // Shows a modal message box; texts are CP932. Returns IDOK or IDCANCEL.
    virtual int messageBox(const std::string& text, const std::string& caption, UINT type) = 0;
    // GetSysColor's colours for COLOR_WINDOWTEXT and COLOR_BTNFACE.
    virtual COLORREF systemColour(int index) const = 0;
    // The program has finished with the given exit status; returns the
    // status the process ends with.
    virtual int finish(int status) = 0;
};

// The current backend (not owned). Null until start-up chooses one.
Backend* currentBackend();
void setCurrentBackend(Backend* backend);

// GetSysColor for COLOR_WINDOWTEXT and COLOR_BTNFACE: the current
// backend's, or black and light grey when none is current.
COLORREF systemColour(int index);

}  // namespace ui

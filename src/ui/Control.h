// A program object bound to one control of a dialog's window, as a
// subclassed control is: it acts on that control and hears its clicks. The
// dialog's data exchange attaches it; the window's end detaches it.
#pragma once

namespace ui {

class Dialog;

class Control {
public:
    Control() = default;
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    bool isAttached() const { return dialog_ != nullptr; }
    int controlId() const { return id_; }

protected:
    // Null while not attached.
    Dialog* dialog() const { return dialog_; }
    virtual void onAttached() {}
    // The user clicked the control. Statics hear clicks only with SS_NOTIFY;
    // without it the click goes to the dialog.
    virtual void onClicked() {}

private:
    friend class Dialog;
    friend class UserInput;
    Dialog* dialog_ = nullptr;
    int id_ = 0;
};

}  // namespace ui

// The base class of the program's dialogs. A dialog is built from a
// template; while its window exists it holds the state of every control,
// and the current backend shows that state and reports what the user does.
// Changes the program makes itself are never reported back as notifications.
#pragma once

#include "DialogTemplate.h"
#include "windows.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

class Control;
class DataExchange;
class UserInput;
class WindowView;

// What a drop-down list item carries beside its text: an integer, or a
// pointer to something the dialog owns.
using ItemData = std::uintptr_t;

struct ComboItem {
    std::string text;
    ItemData data = 0;
    // A heading between the choices: shown apart and passed over by the
    // keyboard, though a mouse can still pick it.
    bool heading = false;
};

// A picture for a control: top-down rows of 0x00RRGGBB pixels.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// A font of a control. face is CP932; height is the character height in
// pixels (a positive LOGFONT lfHeight negated); weight 400 normal, 700 bold.
struct FontDescription {
    std::string face;
    int height = 0;
    int weight = FW_NORMAL;
};

// The stock font of dialogs' controls (DEFAULT_GUI_FONT): 9-point
// "ＭＳ Ｐゴシック", 12 pixels high, normal weight.
FontDescription defaultGuiFont();

struct ControlColours {
    COLORREF text = 0;
    COLORREF background = 0;
};

// The live state of one control, in the terms a user sees it.
struct ControlState {
    const ControlTemplate* source = nullptr;
    std::string text;  // a drop-down list's text is its selected item's
    int checkState = 0;
    bool enabled = true;
    bool visible = true;
    bool readOnly = false;
    bool password = false;
    bool inputMethod = true;
    std::vector<ComboItem> items;
    int selection = -1;
    std::optional<Image> image;
    std::optional<FontDescription> font;
    std::optional<ControlColours> colours;
    // Told to assistive technology beside the control's name (CP932).
    std::string description;
};

// An entry of the window's system menu; id 0 is a separator.
struct SystemMenuItem {
    unsigned id = 0;
    std::string text;
};

class Dialog {
public:
    // parent: the owner window; null means the application's main window.
    explicit Dialog(const DialogTemplate& dialogTemplate, Dialog* parent = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Modal run: creates the window, initialises it, lets the user work
    // until endDialog, destroys the window. Returns the result given to
    // endDialog, or -1 when no window could be made. Runs nest.
    int doModal();
    // Modeless window: created and initialised, shown only when the template
    // says WS_VISIBLE. False when no window could be made.
    bool create();
    // Destroys the window (onDestroy first). The destructor does the same
    // without onDestroy, so dialogs that need it destroy explicitly.
    void destroyWindow();
    bool hasWindow() const { return view_ != nullptr; }
    void endDialog(int result);

    // The window.
    void showWindow(int command);  // SW_HIDE, SW_SHOW, SW_SHOWNA
    // Paints the window before returning, for callers that process no
    // messages while they work.
    void redrawWindow();
    Rect windowRect() const;  // screen pixels, frame included
    void moveWindow(int left, int top);
    void setIcon(const Icon& icon);
    // WS_EX_APPWINDOW gives a window its own taskbar button even when it
    // has an owner; takes effect when the window is next shown.
    void addExtendedStyle(DWORD style) { extendedStyle_ |= style; }
    bool hasSystemMenu() const { return (template_.style & WS_SYSMENU) != 0; }
    void appendSystemMenuSeparator();
    void appendSystemMenuItem(unsigned id, std::string_view text);

    // Controls, by id. Ids the window does not have are ignored and read as
    // empty, unchecked, disabled and hidden.
    std::string controlText(int id) const;
    // Copies at most capacity - 1 bytes and a terminator, never splitting a
    // double-byte character. Returns the bytes copied.
    int controlText(int id, char* buffer, int capacity) const;
    void setControlText(int id, std::string_view text);
    int checkState(int id) const;
    void setCheckState(int id, int state);
    bool isControlEnabled(int id) const;
    void enableControl(int id, bool enable);
    bool isControlVisible(int id) const;
    void showControl(int id, bool show);
    void setReadOnly(int id, bool readOnly);
    void setPassword(int id, bool password);
    // Takes the input method off an edit: only direct input reaches it.
    void disableInputMethod(int id);
    void setFocusTo(int id);
    void setDefaultButton(int id);
    int defaultButton() const { return defaultButton_; }
    void setControlImage(int id, int width, int height, std::vector<std::uint32_t> pixels);
    void setControlFont(int id, const FontDescription& font);
    void setControlColours(int id, const ControlColours& colours);
    // What assistive technology says about the control beside its name.
    void setControlDescription(int id, std::string_view description);
    void redrawControl(int id);

    // Drop-down lists. Indexes are 0-based; -1 means none.
    int addItem(int id, std::string_view text, ItemData data = 0);
    int itemCount(int id) const;
    int selection(int id) const;
    void setSelection(int id, int index);
    std::string itemText(int id, int index) const;
    ItemData itemData(int id, int index) const;
    void deleteItem(int id, int index);
    void markItemAsHeading(int id, int index);
    void resetContent(int id);

    // For backends.
    const DialogTemplate& dialogTemplate() const { return template_; }
    int templateId() const { return template_.id; }
    std::size_t controlCount() const { return controls_.size(); }
    const ControlState& controlState(std::size_t index) const { return controls_[index]; }
    std::optional<std::size_t> indexOf(int id) const;
    const std::vector<SystemMenuItem>& systemMenu() const { return systemMenu_; }
    const Icon* icon() const { return icon_; }
    DWORD extendedStyle() const { return extendedStyle_; }
    Dialog* owner() const;
    bool isModal() const { return modal_; }
    bool hasEnded() const { return ended_; }
    int result() const { return result_; }

protected:
    // Hooks, as the dialog manager calls them. onInitDialog's default moves
    // the members to the controls; returning true lets the framework set the
    // focus. onOK moves the controls to the members and ends with IDOK;
    // onCancel ends with IDCANCEL. onSysCommand closes on SC_CLOSE.
    virtual bool onInitDialog();
    virtual void onOK();
    virtual void onCancel();
    virtual void onCommand(int id, int notification);
    virtual void onSysCommand(unsigned command);
    virtual void onDestroy();
    // Sees each key the user presses while the dialog has the focus (id: the
    // focused control, 0 for the dialog itself) before the dialog manager;
    // true swallows it.
    virtual bool preTranslateKey(int controlId, int virtualKey);
    virtual void doDataExchange(DataExchange& exchange);

    // Data exchange: true moves the controls to the members, false the
    // members to the controls.
    void updateData(bool saveAndValidate);

private:
    friend class Control;
    friend class DataExchange;
    friend class UserInput;

    bool createWindow(bool modal);
    ControlState* state(int id);
    const ControlState* state(int id) const;
    void changed(const ControlState& control);
    // A command as the dialog manager delivers it: IDOK and IDCANCEL go to
    // onOK and onCancel, the rest to onCommand.
    void dispatchCommand(int id, int notification);
    void attach(int id, Control& control);

    const DialogTemplate& template_;
    Dialog* parent_;
    std::unique_ptr<WindowView> view_;
    std::vector<ControlState> controls_;
    std::map<int, Control*> attached_;
    std::vector<SystemMenuItem> systemMenu_;
    const Icon* icon_ = nullptr;
    DWORD extendedStyle_ = 0;
    int defaultButton_ = IDOK;
    int initialFocus_ = -1;  // the control id that takes the focus first
    bool modal_ = false;
    bool visible_ = false;
    bool ended_ = false;
    int result_ = 0;
};

}  // namespace ui

// Dialog templates as data: what a resource script says about a dialog and
// its controls. Texts are CP932; positions and sizes are dialog units.
#pragma once

#include "windows.h"

#include <cstddef>
#include <string>
#include <vector>

// The id of controls that need none. Resource scripts' own name, which no
// Windows header declares.
constexpr int IDC_STATIC = -1;

namespace ui {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// One size of an icon, as PNG data compiled into the program.
struct IconImage {
    int size = 0;
    const unsigned char* png = nullptr;
    std::size_t length = 0;
};

struct Icon {
    int id = 0;
    std::vector<IconImage> images;
};

enum class ControlKind {
    Static,       // text label
    Picture,      // bitmap static: shows an image the program sets
    IconStatic,   // shows an icon of the program
    Edit,
    PushButton,
    CheckBox,     // automatic check box
    RadioButton,  // automatic radio button; WS_GROUP starts a group
    GroupBox,
    DropDownList,
};

struct ControlTemplate {
    int id = IDC_STATIC;
    ControlKind kind = ControlKind::Static;
    std::string text;
    Rect rect;
    DWORD style = 0;
    const Icon* icon = nullptr;  // IconStatic only
};

struct DialogFont {
    std::string face;
    int pointSize = 9;
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    DWORD style = 0;
    DWORD extendedStyle = 0;
    int width = 0;  // of the client area
    int height = 0;
    DialogFont font;
    std::vector<ControlTemplate> controls;  // in tab order
};

// The statements of a resource script, with the styles they imply.
namespace rc {

inline ControlTemplate control(ControlKind kind, std::string text, int id, Rect rect, DWORD style) {
    return ControlTemplate{id, kind, std::move(text), rect, style | WS_VISIBLE, nullptr};
}
inline ControlTemplate leftText(std::string text, int id, Rect rect, DWORD style = 0) {
    return control(ControlKind::Static, std::move(text), id, rect, SS_LEFT | WS_GROUP | style);
}
inline ControlTemplate rightText(std::string text, int id, Rect rect, DWORD style = 0) {
    return control(ControlKind::Static, std::move(text), id, rect, SS_RIGHT | WS_GROUP | style);
}
inline ControlTemplate centredText(std::string text, int id, Rect rect, DWORD style = 0) {
    return control(ControlKind::Static, std::move(text), id, rect, SS_CENTER | WS_GROUP | style);
}
inline ControlTemplate editText(int id, Rect rect, DWORD style = 0) {
    return control(ControlKind::Edit, {}, id, rect, ES_LEFT | WS_BORDER | WS_TABSTOP | style);
}
inline ControlTemplate pushButton(std::string text, int id, Rect rect, DWORD style = 0) {
    return control(ControlKind::PushButton, std::move(text), id, rect, BS_PUSHBUTTON | WS_TABSTOP | style);
}
inline ControlTemplate defaultPushButton(std::string text, int id, Rect rect, DWORD style = 0) {
    return control(ControlKind::PushButton, std::move(text), id, rect,
                   BS_DEFPUSHBUTTON | WS_TABSTOP | style);
}
inline ControlTemplate autoCheckBox(std::string text, int id, Rect rect, DWORD style = 0) {
    return control(ControlKind::CheckBox, std::move(text), id, rect, BS_AUTOCHECKBOX | WS_TABSTOP | style);
}
inline ControlTemplate autoRadioButton(std::string text, int id, Rect rect, DWORD style = 0) {
    return control(ControlKind::RadioButton, std::move(text), id, rect, BS_AUTORADIOBUTTON | style);
}
inline ControlTemplate groupBox(std::string text, int id, Rect rect, DWORD style = 0) {
    return control(ControlKind::GroupBox, std::move(text), id, rect, BS_GROUPBOX | style);
}
inline ControlTemplate dropDownList(int id, Rect rect, DWORD style = 0) {
    return control(ControlKind::DropDownList, {}, id, rect,
                   CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | style);
}
inline ControlTemplate iconStatic(const Icon& icon, int id, Rect rect, DWORD style = 0) {
    ControlTemplate result = control(ControlKind::IconStatic, {}, id, rect, SS_ICON | style);
    result.icon = &icon;
    return result;
}
// A bitmap static starts without an image; `visible` false leaves out WS_VISIBLE.
inline ControlTemplate pictureStatic(int id, Rect rect, bool visible) {
    ControlTemplate result = control(ControlKind::Picture, {}, id, rect, SS_BITMAP);
    if (!visible) result.style &= ~WS_VISIBLE;
    return result;
}

}  // namespace rc

}  // namespace ui

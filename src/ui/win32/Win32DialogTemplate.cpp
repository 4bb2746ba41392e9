#include "Win32DialogTemplate.h"

#include "Win32Backend.h"

namespace ui {

namespace {

// The predefined window classes' atoms, as dialog templates name them.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kComboBoxClass = 0x0085;

WORD classOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::Edit: return kEditClass;
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::GroupBox: return kButtonClass;
    case ControlKind::DropDownList: return kComboBoxClass;
    case ControlKind::Static:
    case ControlKind::Picture:
    case ControlKind::IconStatic: break;
    }
    return kStaticClass;
}

}  // namespace

Win32DialogTemplate::Win32DialogTemplate(const DialogTemplate& source) {
    // Shown when the dialog says so, not on creation.
    dword((source.style & ~WS_VISIBLE) | DS_SETFONT | DS_CENTER);
    dword(source.extendedStyle);
    word(static_cast<WORD>(source.controls.size()));
    word(0);
    word(0);
    word(static_cast<WORD>(source.width));
    word(static_cast<WORD>(source.height));
    word(0);  // no menu
    word(0);  // the dialog class
    text(source.caption);
    word(static_cast<WORD>(source.font.pointSize));
    text(source.font.face);
    for (const ControlTemplate& control : source.controls) {
        alignToDword();
        DWORD style = (control.style & ~WS_VISIBLE) | WS_CHILD;
        if (control.kind == ControlKind::DropDownList) style |= CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
        dword(style);
        dword(0);
        word(static_cast<WORD>(control.rect.left));
        word(static_cast<WORD>(control.rect.top));
        word(static_cast<WORD>(control.rect.width));
        word(static_cast<WORD>(control.rect.height));
        word(static_cast<WORD>(control.id));
        word(0xFFFF);
        word(classOf(control.kind));
        text(control.text);
        word(0);  // no creation data
    }
}

void Win32DialogTemplate::dword(DWORD value) {
    word(LOWORD(value));
    word(HIWORD(value));
}

void Win32DialogTemplate::text(const std::string& cp932Text) {
    for (wchar_t c : Win32Backend::toWide(cp932Text)) word(static_cast<WORD>(c));
    word(0);
}

void Win32DialogTemplate::alignToDword() {
    if (words_.size() % 2 != 0) word(0);
}

}  // namespace ui

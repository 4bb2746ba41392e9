#include "Win32WindowView.h"

#include "Cp932.h"
#include "Dialog.h"
#include "UserInput.h"
#include "Win32Backend.h"

#include <imm.h>

#include <cstring>
#include <string>

namespace ui {

namespace {

// The predefined window classes' atoms, as dialog templates name them.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kComboBoxClass = 0x0085;
constexpr int kIconSize = 32;

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

// A DLGTEMPLATE and its DLGITEMTEMPLATEs laid out in memory as a resource
// compiler lays them out: 16-bit words, each item on a 32-bit boundary.
class TemplateWriter {
public:
    void word(WORD value) { words_.push_back(value); }
    void dword(DWORD value) {
        word(LOWORD(value));
        word(HIWORD(value));
    }
    void text(const std::wstring& value) {
        for (wchar_t c : value) word(static_cast<WORD>(c));
        word(0);
    }
    void alignToDword() {
        if (words_.size() % 2 != 0) word(0);
    }
    const DLGTEMPLATE* data() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    std::vector<WORD> words_;
};

TemplateWriter buildTemplate(const DialogTemplate& source) {
    TemplateWriter writer;
    // Shown when the dialog says so, not on creation.
    writer.dword((source.style & ~WS_VISIBLE) | DS_SETFONT | DS_CENTER);
    writer.dword(source.extendedStyle);
    writer.word(static_cast<WORD>(source.controls.size()));
    writer.word(0);
    writer.word(0);
    writer.word(static_cast<WORD>(source.width));
    writer.word(static_cast<WORD>(source.height));
    writer.word(0);  // no menu
    writer.word(0);  // the dialog class
    writer.text(Win32Backend::toWide(source.caption));
    writer.word(static_cast<WORD>(source.font.pointSize));
    writer.text(Win32Backend::toWide(source.font.face));
    for (const ControlTemplate& control : source.controls) {
        writer.alignToDword();
        writer.dword((control.style & ~WS_VISIBLE) | WS_CHILD);
        writer.dword(0);
        writer.word(static_cast<WORD>(control.rect.left));
        writer.word(static_cast<WORD>(control.rect.top));
        writer.word(static_cast<WORD>(control.rect.width));
        writer.word(static_cast<WORD>(control.rect.height));
        writer.word(static_cast<WORD>(control.id));
        writer.word(0xFFFF);
        writer.word(classOf(control.kind));
        writer.text(Win32Backend::toWide(control.text));
        writer.word(0);  // no creation data
    }
    return writer;
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// UTF-16 to CP932; false when the text has a character CP932 cannot hold.
bool toCp932(const std::wstring& wide, std::string& cp932Text) {
    cp932Text.clear();
    if (wide.empty()) return true;
    const int wideLength = static_cast<int>(wide.size());
    int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return false;
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), wideLength, utf8.data(), length, nullptr, nullptr);
    return cp932::fromUtf8(utf8, cp932Text);
}

HICON iconFromPng(const Icon& icon, int size) {
    for (const IconImage& image : icon.images) {
        if (image.size != size) continue;
        return CreateIconFromResourceEx(const_cast<PBYTE>(image.png), static_cast<DWORD>(image.length), TRUE,
                                        0x00030000, size, size, LR_DEFAULTCOLOR);
    }
    return nullptr;
}

// A top-down 32-bit DIB section holding the image: 0x00RRGGBB words are
// already the blue, green, red byte order a DIB has.
HBITMAP bitmapOf(const Image& image) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof image.pixels[0]);
    return bitmap;
}

}  // namespace

Win32WindowView::Win32WindowView(Win32Backend& backend, Dialog& dialog) : backend_(backend), dialog_(dialog) {
    const TemplateWriter writer = buildTemplate(dialog.dialogTemplate());
    HWND owner = (dialog.extendedStyle() & WS_EX_APPWINDOW) ? nullptr : backend.windowOf(dialog.owner());
    window_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), writer.data(), owner, dialogProcedure,
                                         reinterpret_cast<LPARAM>(this));
    // Without a window the view shows nothing, and a modal run ends at once.
    controls_.resize(dialog.controlCount(), nullptr);
    if (window_ == nullptr) return;
    controls_.clear();
    // The dialog manager makes the controls in template order, each after
    // the one before.
    for (HWND child = GetWindow(window_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        controls_.push_back(child);
    }
    controls_.resize(dialog.controlCount(), nullptr);
    fonts_.resize(controls_.size(), nullptr);
    brushes_.resize(controls_.size(), nullptr);
    images_.resize(controls_.size(), nullptr);
    backend_.views_[&dialog_] = this;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const ControlTemplate& source = *dialog_.controlState(i).source;
        if (source.kind == ControlKind::IconStatic && source.icon != nullptr && controls_[i] != nullptr) {
            if (HICON icon = iconFromPng(*source.icon, kIconSize)) {
                SendMessageW(controls_[i], STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
            }
        }
        controlChanged(i);
    }
}

Win32WindowView::~Win32WindowView() {
    backend_.views_.erase(&dialog_);
    if (window_ != nullptr) DestroyWindow(window_);
    for (HFONT font : fonts_) {
        if (font != nullptr) DeleteObject(font);
    }
    for (HBRUSH brush : brushes_) {
        if (brush != nullptr) DeleteObject(brush);
    }
    for (HBITMAP image : images_) {
        if (image != nullptr) DeleteObject(image);
    }
    if (icon_ != nullptr) DestroyIcon(icon_);
}

INT_PTR CALLBACK Win32WindowView::dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        // The framework sets the focus itself.
        return FALSE;
    }
    auto* view = reinterpret_cast<Win32WindowView*>(GetWindowLongPtrW(window, DWLP_USER));
    INT_PTR result = FALSE;
    if (view != nullptr && view->window_ == window && view->handleMessage(message, wParam, lParam, result)) {
        return result;
    }
    return FALSE;
}

bool Win32WindowView::handleMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
    case WM_COMMAND:
        command(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
        result = TRUE;
        return true;
    case WM_SYSCOMMAND: {
        const unsigned id = static_cast<unsigned>(wParam & 0xFFF0);
        if (id == SC_CLOSE) {
            UserInput(dialog_).close();
            result = TRUE;
            return true;
        }
        // The program's own items; the system's (move, ...) go on as usual.
        for (const SystemMenuItem& item : dialog_.systemMenu()) {
            if (item.id != 0 && item.id == static_cast<unsigned>(wParam)) {
                UserInput(dialog_).systemCommand(item.id);
                result = TRUE;
                return true;
            }
        }
        return false;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
        auto control = reinterpret_cast<HWND>(lParam);
        for (std::size_t i = 0; i < controls_.size(); ++i) {
            const ControlState& state = dialog_.controlState(i);
            if (controls_[i] != control || !state.colours || brushes_[i] == nullptr) continue;
            auto context = reinterpret_cast<HDC>(wParam);
            SetTextColor(context, state.colours->text);
            SetBkColor(context, state.colours->background);
            result = reinterpret_cast<INT_PTR>(brushes_[i]);
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

void Win32WindowView::command(HWND control, int id, int notification) {
    if (applying_ > 0) return;
    if (control == nullptr) {
        // From the dialog manager itself, not a control: its Escape.
        if (id == IDCANCEL) UserInput(dialog_).pressKey(0, VK_ESCAPE);
        return;
    }
    const int index = dialog_.indexOf(id) ? static_cast<int>(*dialog_.indexOf(id)) : -1;
    if (index < 0 || controls_[static_cast<std::size_t>(index)] != control) return;
    const ControlState& state = dialog_.controlState(static_cast<std::size_t>(index));
    switch (state.source->kind) {
    case ControlKind::Edit:
        if (notification == EN_CHANGE) {
            std::string text;
            if (toCp932(windowText(control), text)) {
                UserInput(dialog_).typeText(id, text);
            } else {
                // What CP932 cannot hold is refused at the control.
                MessageBeep(MB_OK);
                controlChanged(static_cast<std::size_t>(index));
            }
        }
        return;
    case ControlKind::DropDownList:
        if (notification == CBN_SELCHANGE) {
            UserInput(dialog_).pickItem(id, static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)));
        }
        return;
    default:
        if (notification == BN_CLICKED) UserInput(dialog_).click(id);
        return;
    }
}

int Win32WindowView::controlIdOf(HWND control) const {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i] != nullptr && (controls_[i] == control || IsChild(controls_[i], control))) {
            return dialog_.controlState(i).source->id;
        }
    }
    return 0;
}

bool Win32WindowView::translateKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || (message.wParam != VK_RETURN && message.wParam != VK_ESCAPE)) return false;
    if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
    // An open drop-down list takes its own Enter and Escape.
    HWND focus = GetFocus();
    for (HWND at = focus; at != nullptr && at != window_; at = GetParent(at)) {
        if (SendMessageW(at, CB_GETDROPPEDSTATE, 0, 0) != 0) return false;
    }
    UserInput(dialog_).pressKey(controlIdOf(focus), static_cast<int>(message.wParam));
    return true;
}

void Win32WindowView::controlChanged(std::size_t index) {
    HWND control = controls_[index];
    if (control == nullptr) return;
    const ControlState& state = dialog_.controlState(index);
    ++applying_;
    const std::wstring text = Win32Backend::toWide(state.text);
    if (state.font) {
        if (fonts_[index] != nullptr) DeleteObject(fonts_[index]);
        fonts_[index] = CreateFontW(-state.font->height, 0, 0, 0, state.font->weight, FALSE, FALSE, FALSE,
                                    SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH, Win32Backend::toWide(state.font->face).c_str());
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[index]), TRUE);
    }
    if (state.colours && brushes_[index] == nullptr) brushes_[index] = CreateSolidBrush(state.colours->background);

    switch (state.source->kind) {
    case ControlKind::Static:
    case ControlKind::GroupBox:
    case ControlKind::PushButton:
        if (windowText(control) != text) SetWindowTextW(control, text.c_str());
        if (state.source->kind == ControlKind::PushButton && state.source->id == dialog_.defaultButton()) {
            SendMessageW(window_, DM_SETDEFID, static_cast<WPARAM>(state.source->id), 0);
        }
        break;
    case ControlKind::Picture:
        showImage(index);
        break;
    case ControlKind::IconStatic:
        break;
    case ControlKind::Edit:
        // Equal when the change came from the user: leave the caret alone.
        if (windowText(control) != text) SetWindowTextW(control, text.c_str());
        SendMessageW(control, EM_SETREADONLY, state.readOnly, 0);
        SendMessageW(control, EM_SETPASSWORDCHAR, state.password ? L'*' : 0, 0);
        ImmAssociateContextEx(control, nullptr, state.inputMethod && !state.password ? IACE_DEFAULT : 0);
        InvalidateRect(control, nullptr, TRUE);
        break;
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        if (windowText(control) != text) SetWindowTextW(control, text.c_str());
        SendMessageW(control, BM_SETCHECK, state.checkState != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case ControlKind::DropDownList: {
        bool same = SendMessageW(control, CB_GETCOUNT, 0, 0) == static_cast<LRESULT>(state.items.size());
        for (std::size_t i = 0; same && i < state.items.size(); ++i) {
            const auto length = SendMessageW(control, CB_GETLBTEXTLEN, i, 0);
            std::wstring item(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, L'\0');
            SendMessageW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
            item.resize(static_cast<std::size_t>(length < 0 ? 0 : length));
            same = item == Win32Backend::toWide(state.items[i].text);
        }
        if (!same) {
            SendMessageW(control, CB_RESETCONTENT, 0, 0);
            for (const ComboItem& item : state.items) {
                SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Win32Backend::toWide(item.text).c_str()));
            }
        }
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(state.selection), 0);
        break;
    }
    }
    EnableWindow(control, state.enabled);
    ShowWindow(control, state.visible ? SW_SHOWNA : SW_HIDE);
    --applying_;
}

void Win32WindowView::showImage(std::size_t index) {
    const ControlState& state = dialog_.controlState(index);
    if (!state.image) return;
    HBITMAP bitmap = bitmapOf(*state.image);
    if (bitmap == nullptr) return;
    // The control sizes itself to the bitmap, from its top-left corner.
    SendMessageW(controls_[index], STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    if (images_[index] != nullptr) DeleteObject(images_[index]);
    images_[index] = bitmap;
}

void Win32WindowView::repaintControl(std::size_t index) {
    if (controls_[index] == nullptr) return;
    RedrawWindow(controls_[index], nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void Win32WindowView::focusControl(std::size_t index) {
    if (controls_[index] == nullptr) return;
    // Through the dialog manager, so the default button follows the focus.
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(controls_[index]), TRUE);
}

void Win32WindowView::syncSystemMenu() {
    const auto& items = dialog_.systemMenu();
    HMENU menu = GetSystemMenu(window_, FALSE);
    for (; menu != nullptr && systemMenuItems_ < items.size(); ++systemMenuItems_) {
        const SystemMenuItem& item = items[systemMenuItems_];
        if (item.id == SC_CLOSE) continue;  // the system's menu has its own
        if (item.id == 0) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu, MF_STRING, item.id, Win32Backend::toWide(item.text).c_str());
        }
    }
}

void Win32WindowView::setVisible(bool visible, bool activate) {
    if (window_ == nullptr) return;
    if (!visible) {
        ShowWindow(window_, SW_HIDE);
        return;
    }
    syncSystemMenu();
    if (DWORD extended = dialog_.extendedStyle()) {
        SetWindowLongPtrW(window_, GWL_EXSTYLE, GetWindowLongPtrW(window_, GWL_EXSTYLE) | extended);
    }
    if (!dialog_.isModal()) {
        // A modeless window opens over its owner's client area.
        if (HWND owner = backend_.windowOf(dialog_.owner()); owner != nullptr && IsWindowVisible(owner)) {
            POINT origin{0, 0};
            ClientToScreen(owner, &origin);
            SetWindowPos(window_, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    ShowWindow(window_, activate ? SW_SHOW : SW_SHOWNA);
}

void Win32WindowView::repaintNow() {
    if (window_ != nullptr) {
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
}

Rect Win32WindowView::frameRect() const {
    RECT frame{};
    if (window_ != nullptr) GetWindowRect(window_, &frame);
    return Rect{frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top};
}

void Win32WindowView::moveTo(int left, int top) {
    if (window_ != nullptr) SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WindowView::iconChanged() {
    const Icon* icon = dialog_.icon();
    if (window_ == nullptr || icon == nullptr) return;
    HICON made = iconFromPng(*icon, kIconSize);
    if (made == nullptr) return;
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(made));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(made));
    if (icon_ != nullptr) DestroyIcon(icon_);
    icon_ = made;
}

void Win32WindowView::runModal() {
    if (window_ == nullptr) {
        dialog_.endDialog(-1);
        return;
    }
    HWND owner = GetWindow(window_, GW_OWNER);
    if (owner != nullptr && IsWindowVisible(owner)) {
        // Over the middle of the owner.
        RECT ownerFrame{};
        RECT frame{};
        GetWindowRect(owner, &ownerFrame);
        GetWindowRect(window_, &frame);
        moveTo((ownerFrame.left + ownerFrame.right - (frame.right - frame.left)) / 2,
               (ownerFrame.top + ownerFrame.bottom - (frame.bottom - frame.top)) / 2);
    }
    const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
    if (disableOwner) EnableWindow(owner, FALSE);
    setVisible(true, true);
    MSG message;
    while (!dialog_.hasEnded() && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (translateKey(message)) continue;
        if (!IsDialogMessageW(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    // The owner first, so that it takes the activation back.
    if (disableOwner) EnableWindow(owner, TRUE);
    ShowWindow(window_, SW_HIDE);
}

void Win32WindowView::endModal() {
    // Wakes the modal loop, which then sees the dialog has ended.
    if (window_ != nullptr) PostMessageW(window_, WM_NULL, 0, 0);
}

}  // namespace ui

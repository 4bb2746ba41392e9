#include "Win32WindowView.h"

#include "Cp932.h"
#include "Cp932Input.h"
#include "Dialog.h"
#include "DialogNavigation.h"
#include "UserInput.h"
#include "Win32Backend.h"
#include "Win32DialogTemplate.h"

#include <commctrl.h>
#include <imm.h>

#include <cstring>
#include <string>

namespace ui {

namespace {

constexpr int kIconSize = 32;
constexpr UINT_PTR kBalloonTimer = 1;

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// A drop-down list's items are as high as the dialog font's characters, as
// the list makes them when it draws them itself.
UINT listItemHeight(HWND dialog) {
    HDC context = GetDC(dialog);
    HGDIOBJ previous = SelectObject(context, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(context, &metrics);
    SelectObject(context, previous);
    ReleaseDC(dialog, context);
    return static_cast<UINT>(metrics.tmHeight);
}

// The one tool of the balloon: tracked, placed by the view.
TTTOOLINFOW balloonTool(HWND dialog, wchar_t* text) {
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = dialog;
    tool.lpszText = text;
    return tool;
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
    const Win32DialogTemplate dialogTemplate(dialog.dialogTemplate());
    HWND owner = (dialog.extendedStyle() & WS_EX_APPWINDOW) ? nullptr : backend.windowOf(dialog.owner());
    window_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialogTemplate.data(), owner, dialogProcedure,
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
    listProcedures_.resize(controls_.size(), nullptr);
    backend_.views_[&dialog_] = this;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const ControlTemplate& source = *dialog_.controlState(i).source;
        if (source.kind == ControlKind::IconStatic && source.icon != nullptr && controls_[i] != nullptr) {
            if (HICON icon = iconFromPng(*source.icon, kIconSize)) {
                SendMessageW(controls_[i], STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
            }
        }
        if (source.kind == ControlKind::DropDownList && controls_[i] != nullptr) {
            SetWindowLongPtrW(controls_[i], GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            listProcedures_[i] = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(controls_[i], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProcedure)));
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
    if (message == WM_MEASUREITEM) {
        // Asked as the lists are made, before WM_INITDIALOG.
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType != ODT_COMBOBOX) return FALSE;
        measure->itemHeight = listItemHeight(window);
        return TRUE;
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
    case WM_DRAWITEM:
        drawListItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    case WM_TIMER:
        if (wParam != kBalloonTimer) return false;
        hideBalloon();
        result = TRUE;
        return true;
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
        if (notification == EN_CHANGE) editChanged(static_cast<std::size_t>(index));
        if (notification == EN_KILLFOCUS && control == balloonEdit_) hideBalloon();
        return;
    case ControlKind::DropDownList:
        // In the open list the highlight moves; the choice is made as it closes.
        if ((notification == CBN_SELCHANGE && SendMessageW(control, CB_GETDROPPEDSTATE, 0, 0) == 0) ||
            notification == CBN_SELENDOK) {
            listChosen(static_cast<std::size_t>(index));
        }
        if (notification == CBN_SELENDCANCEL) controlChanged(static_cast<std::size_t>(index));
        return;
    default:
        if (notification == BN_CLICKED) UserInput(dialog_).click(id);
        return;
    }
}

void Win32WindowView::editChanged(std::size_t index) {
    HWND edit = controls_[index];
    const std::wstring shown = windowText(edit);
    DWORD caret = 0;
    SendMessageW(edit, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    // A character beyond 16 bits is typed as two messages: it is judged
    // whole, once its second half has come.
    if (caret > 0 && caret <= shown.size() && IS_HIGH_SURROGATE(shown[caret - 1])) return;
    const Cp932Input input = keepCp932Characters(Win32Backend::utf8FromWide(shown));
    if (!input.refused.empty()) {
        // The caret stays where it was among the characters that stay.
        const Cp932Input beforeCaret = keepCp932Characters(Win32Backend::utf8FromWide(shown.substr(0, caret)));
        ++applying_;
        SetWindowTextW(edit, Win32Backend::toWide(input.kept).c_str());
        --applying_;
        const auto at = static_cast<WPARAM>(Win32Backend::toWide(beforeCaret.kept).size());
        SendMessageW(edit, EM_SETSEL, at, static_cast<LPARAM>(at));
        showBalloon(index, input.refused);
    }
    const ControlState& state = dialog_.controlState(index);
    if (input.kept != state.text) UserInput(dialog_).typeText(state.source->id, input.kept);
}

void Win32WindowView::listChosen(std::size_t index) {
    const ControlState& state = dialog_.controlState(index);
    const int item = static_cast<int>(SendMessageW(controls_[index], CB_GETCURSEL, 0, 0));
    if (item != state.selection) UserInput(dialog_).pickItem(state.source->id, item);
}

LRESULT CALLBACK Win32WindowView::listProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* view = reinterpret_cast<Win32WindowView*>(GetWindowLongPtrW(list, GWLP_USERDATA));
    std::size_t index = 0;
    while (view->controls_[index] != list) ++index;
    if (view->moveList(index, message, wParam)) return 0;
    return CallWindowProcW(view->listProcedures_[index], list, message, wParam, lParam);
}

bool Win32WindowView::moveList(std::size_t index, UINT message, WPARAM wParam) {
    if (message != WM_KEYDOWN && message != WM_CHAR && message != WM_MOUSEWHEEL) return false;
    HWND list = controls_[index];
    const ControlState& state = dialog_.controlState(index);
    const bool dropped = SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) != 0;
    const int current = dropped ? static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0)) : state.selection;
    int item = current;
    switch (message) {
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_UP:
        case VK_LEFT: item = listItemAfterMove(state.items, current, ListMove::Previous); break;
        case VK_DOWN:
        case VK_RIGHT: item = listItemAfterMove(state.items, current, ListMove::Next); break;
        case VK_HOME:
        case VK_PRIOR: item = listItemAfterMove(state.items, current, ListMove::First); break;
        case VK_END:
        case VK_NEXT: item = listItemAfterMove(state.items, current, ListMove::Last); break;
        default: return false;
        }
        break;
    case WM_CHAR: {
        // Control characters (Enter, Escape, ...) stay the list's own.
        if (wParam < L' ') return false;
        std::string typed;
        cp932::fromUtf8(Win32Backend::utf8FromWide(std::wstring(1, static_cast<wchar_t>(wParam))), typed);
        item = listItemTypedAhead(state.items, current, typed);
        break;
    }
    case WM_MOUSEWHEEL:
        // The open list scrolls.
        if (dropped) return false;
        item = listItemAfterMove(state.items, current,
                                 GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? ListMove::Previous : ListMove::Next);
        break;
    default:
        return false;
    }
    if (item == current) return true;
    if (dropped) {
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    } else {
        UserInput(dialog_).pickItem(state.source->id, item);
    }
    return true;
}

void Win32WindowView::drawListItem(const DRAWITEMSTRUCT& item) {
    std::size_t index = 0;
    while (index < controls_.size() && controls_[index] != item.hwndItem) ++index;
    if (item.CtlType != ODT_COMBOBOX || index == controls_.size()) return;
    const std::vector<ComboItem>& items = dialog_.controlState(index).items;
    const bool heading = item.itemID < items.size() && items[item.itemID].heading;
    // A heading is no choice: never highlighted, bold and greyed.
    const bool highlighted = (item.itemState & ODS_SELECTED) != 0 && !heading;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    HDC context = item.hDC;
    FillRect(context, &item.rcItem,
             GetSysColorBrush(highlighted ? COLOR_HIGHLIGHT : disabled ? COLOR_BTNFACE : COLOR_WINDOW));
    if (item.itemID < items.size()) {
        const auto length = SendMessageW(item.hwndItem, CB_GETLBTEXTLEN, item.itemID, 0);
        std::wstring text(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, L'\0');
        SendMessageW(item.hwndItem, CB_GETLBTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length < 0 ? 0 : length));
        auto font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
        HFONT bold = nullptr;
        if (heading) {
            LOGFONTW face{};
            GetObjectW(font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT), sizeof face, &face);
            face.lfWeight = FW_BOLD;
            bold = CreateFontIndirectW(&face);
        }
        HGDIOBJ previous = SelectObject(context, bold != nullptr ? bold : font);
        const bool grey = heading || disabled;
        SetTextColor(context, GetSysColor(grey ? COLOR_GRAYTEXT : highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        SetBkMode(context, TRANSPARENT);
        RECT textRect = item.rcItem;
        textRect.left += 1;
        DrawTextW(context, text.c_str(), static_cast<int>(text.size()), &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SelectObject(context, previous);
        if (bold != nullptr) DeleteObject(bold);
    }
    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) DrawFocusRect(context, &item.rcItem);
}

void Win32WindowView::showBalloon(std::size_t index, const std::string& refused) {
    if (balloon_ == nullptr) {
        const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
        InitCommonControlsEx(&classes);
        balloon_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_BALLOON | TTS_ALWAYSTIP,
                                   0, 0, 0, 0, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (balloon_ == nullptr) return;
        TTTOOLINFOW tool = balloonTool(window_, nullptr);
        SendMessageW(balloon_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    std::wstring text = Win32Backend::wideFromUtf8(refusedCharactersHint(refused));
    TTTOOLINFOW tool = balloonTool(window_, text.data());
    SendMessageW(balloon_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(balloon_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    // Below the edit, as the edit control's own balloon tip stands.
    RECT frame{};
    GetWindowRect(controls_[index], &frame);
    SendMessageW(balloon_, TTM_TRACKPOSITION, 0, MAKELPARAM(frame.left + 8, frame.bottom + 2));
    SendMessageW(balloon_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    balloonEdit_ = controls_[index];
    SetTimer(window_, kBalloonTimer, kRefusedCharactersHintMilliseconds, nullptr);
}

void Win32WindowView::hideBalloon() {
    if (balloon_ == nullptr) return;
    TTTOOLINFOW tool = balloonTool(window_, nullptr);
    SendMessageW(balloon_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    KillTimer(window_, kBalloonTimer);
    balloonEdit_ = nullptr;
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
    keepPictureUncovered(index);
}

void Win32WindowView::keepPictureUncovered(std::size_t index) {
    // A picture larger than its template's rectangle (the form's logo)
    // reaches over the labels beside it. They lie under it, since the
    // controls after a picture come after it in the Z order, yet each fills
    // its whole rectangle with the dialog's face when it paints: without
    // clipping its siblings it would paint over the picture.
    RECT picture{};
    if (!GetWindowRect(controls_[index], &picture)) return;
    for (std::size_t i = index + 1; i < controls_.size(); ++i) {
        RECT other{};
        RECT overlap{};
        if (controls_[i] == nullptr || !GetWindowRect(controls_[i], &other) ||
            !IntersectRect(&overlap, &picture, &other)) {
            continue;
        }
        SetWindowLongPtrW(controls_[i], GWL_STYLE, GetWindowLongPtrW(controls_[i], GWL_STYLE) | WS_CLIPSIBLINGS);
    }
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
        hideBalloon();
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

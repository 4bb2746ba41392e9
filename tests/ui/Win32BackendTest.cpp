// The Windows dialog backend, on the real dialog manager (under Wine on a
// virtual screen in make windows-test).
#include "TestDialog.h"
#include "Win32Backend.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>

namespace {

using namespace testsupport;
using ::testing::ElementsAre;

class Win32BackendTest : public ::testing::Test {
protected:
    Win32BackendTest() { ui::setCurrentBackend(&backend_); }
    ~Win32BackendTest() override { ui::setCurrentBackend(nullptr); }

    HWND control(const ui::Dialog& dialog, int id) const { return GetDlgItem(backend_.windowOf(&dialog), id); }

    // Windows' callback convention, which a lambda's function lacks on 32-bit Windows.
    static BOOL CALLBACK keepIfBalloon(HWND window, LPARAM found) {
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        if (std::wstring(name) == TOOLTIPS_CLASSW) *reinterpret_cast<HWND*>(found) = window;
        return TRUE;
    }

    // The text of the balloon this thread shows, empty when none shows.
    static std::wstring balloonText() {
        HWND balloon = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), keepIfBalloon, reinterpret_cast<LPARAM>(&balloon));
        wchar_t text[128] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.lpszText = text;
        if (balloon == nullptr || !IsWindowVisible(balloon)) return {};
        SendMessageW(balloon, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool));
        return text;
    }

    ui::Win32Backend backend_;
};

TEST_F(Win32BackendTest, EnterAndEscapeGoThroughTheDialogsOwnKeyHandlingFirst) {
    struct Case {
        const char* what;
        bool swallow;
        int key;
        int result;
        std::vector<std::string> heard;
    };
    const Case cases[] = {
        {"Enter in an edit presses the default button", false, VK_RETURN, IDOK, {"ok"}},
        {"Escape cancels", false, VK_ESCAPE, IDCANCEL, {"cancel"}},
        {"a swallowed key does nothing", true, VK_RETURN, IDCANCEL, {"cancel"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestDialog dialog;
        dialog.swallowEnterAndEscape = c.swallow;
        dialog.initialise = [&](TestDialog& d) {
            PostMessageW(control(d, kName), WM_KEYDOWN, c.key, 0);
            // Ends a dialog the key left running.
            PostMessageW(control(d, IDCANCEL), BM_CLICK, 0, 0);
        };
        EXPECT_EQ(dialog.doModal(), c.result);
        EXPECT_EQ(dialog.heard, c.heard);
    }
}

TEST_F(Win32BackendTest, ControlsShowTheStateAndReportTheUserOnly) {
    TestDialog dialog;
    dialog.radio = 0;
    dialog.initialise = [](TestDialog& d) {
        d.addItem(kList, "one");
        d.addItem(kList, "two");
        d.setSelection(kList, 0);
        d.setCheckState(kCheck, 1);
        d.setControlText(kName, "by the program");
    };
    ASSERT_TRUE(dialog.create());
    dialog.showWindow(SW_SHOW);
    EXPECT_EQ(SendMessageW(control(dialog, kCheck), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_NE(SendMessageW(control(dialog, kSecret), EM_GETPASSWORDCHAR, 0, 0), 0);
    EXPECT_EQ(SendMessageW(control(dialog, kName), EM_GETPASSWORDCHAR, 0, 0), 0);
    EXPECT_FALSE(IsWindowEnabled(control(dialog, kDisabled)));
    EXPECT_FALSE(IsWindowVisible(control(dialog, kHidden)));

    SendMessageW(control(dialog, kCheck), BM_CLICK, 0, 0);
    SendMessageW(control(dialog, kRadioB), BM_CLICK, 0, 0);
    SendMessageW(control(dialog, kRadioB), BM_CLICK, 0, 0);  // stays set
    SendMessageW(control(dialog, kRadioD), BM_CLICK, 0, 0);
    // A pick in the list, as the list reports it.
    HWND list = control(dialog, kList);
    SendMessageW(list, CB_SETCURSEL, 1, 0);
    SendMessageW(backend_.windowOf(&dialog), WM_COMMAND, MAKEWPARAM(kList, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    // Typed text reaches the dialog as CP932.
    SetWindowTextW(control(dialog, kName), L"a\u30C6");
    EXPECT_EQ(dialog.controlText(kName), "a\x83\x65");

    EXPECT_THAT(dialog.heard, ElementsAre("command 30 0", "command 41 0", "command 41 0", "command 43 0",
                                          "command 20 1"));
    EXPECT_EQ(dialog.checkState(kCheck), 0);
    EXPECT_EQ(dialog.checkState(kRadioA), 0);
    EXPECT_EQ(dialog.checkState(kRadioB), 1);
    EXPECT_EQ(dialog.checkState(kRadioD), 1);
    EXPECT_EQ(SendMessageW(control(dialog, kRadioA), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(dialog.controlText(kList), "two");
    dialog.destroyWindow();
}

TEST_F(Win32BackendTest, ListKeysAndTheWheelPassOverHeadings) {
    // Headings at 0, 3 and 5. In the open list a key moves the highlight;
    // Enter makes it the choice, Escape leaves the choice where it was.
    const char* items[] = {"Heading A", "alpha", "bravo", "Heading B", "beta", "Heading C"};
    struct Case {
        const char* what;
        int from;
        UINT message;
        WPARAM key;
        int to;
        WPARAM closeOpenList = 0;  // 0: the list stays closed
    };
    const WPARAM wheelDown = MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA));
    const Case cases[] = {
        {"Down", 2, WM_KEYDOWN, VK_DOWN, 4},          {"Right", 2, WM_KEYDOWN, VK_RIGHT, 4},
        {"Up", 4, WM_KEYDOWN, VK_UP, 2},              {"Left", 4, WM_KEYDOWN, VK_LEFT, 2},
        {"Up at the first choice", 1, WM_KEYDOWN, VK_UP, 1},
        {"Down at the last choice", 4, WM_KEYDOWN, VK_DOWN, 4},
        {"Home", 4, WM_KEYDOWN, VK_HOME, 1},          {"Page Up", 4, WM_KEYDOWN, VK_PRIOR, 1},
        {"End", 1, WM_KEYDOWN, VK_END, 4},            {"Page Down", 1, WM_KEYDOWN, VK_NEXT, 4},
        {"B types ahead", 2, WM_CHAR, L'B', 4},       {"a wraps around", 4, WM_CHAR, L'a', 1},
        {"only headings start with h", 1, WM_CHAR, L'h', 1},
        {"the wheel down", 2, WM_MOUSEWHEEL, wheelDown, 4},
        {"the wheel up", 4, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 2},
        {"Down in the open list, Enter", 2, WM_KEYDOWN, VK_DOWN, 4, VK_RETURN},
        {"End in the open list, Enter", 1, WM_KEYDOWN, VK_END, 4, VK_RETURN},
        {"Down in the open list, Escape", 2, WM_KEYDOWN, VK_DOWN, 2, VK_ESCAPE},
    };
    TestDialog dialog;
    dialog.initialise = [&](TestDialog& d) {
        for (const char* item : items) d.addItem(kList, item);
        for (int heading : {0, 3, 5}) d.markItemAsHeading(kList, heading);
    };
    ASSERT_TRUE(dialog.create());
    dialog.showWindow(SW_SHOW);
    dialog.setFocusTo(kList);
    HWND list = control(dialog, kList);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialog.setSelection(kList, c.from);
        dialog.heard.clear();
        if (c.closeOpenList != 0) SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
        SendMessageW(list, c.message, c.key, 0);
        if (c.closeOpenList != 0) {
            EXPECT_EQ(dialog.selection(kList), c.from);
            SendMessageW(list, WM_KEYDOWN, c.closeOpenList, 0);
        }
        EXPECT_EQ(dialog.selection(kList), c.to);
        EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), c.to);
        EXPECT_EQ(dialog.heard, c.to == c.from ? std::vector<std::string>{} : std::vector<std::string>{"command 20 1"});
    }
    dialog.destroyWindow();
}

TEST_F(Win32BackendTest, AnEditKeepsWhatCp932HoldsAndSaysWhatItLeftOut) {
    struct Case {
        const char* what;
        const wchar_t* typed;  // one WM_CHAR a character
        const wchar_t* pasted;
        const char* kept;
        int caret;
        const wchar_t* balloon;
    };
    const Case cases[] = {
        {"typed, CP932 holds it", L"\u30C6", L"", "a\x83\x65" "b", 2, L""},
        {"typed, CP932 cannot hold it", L"\u00E9", L"", "ab", 1, L"\u300C\u00E9\u300D" L"は使えない文字です。入力できません。"},
        {"typed as the two halves of a surrogate pair", L"\U0001F600", L"", "ab", 1,
         L"\u300C\U0001F600\u300D" L"は使えない文字です。入力できません。"},
        {"a paste keeps what CP932 holds", L"", L"x\u2460\u00E9y\U0001F600\u00E9", "ax\x87\x40yb", 4,
         L"\u300C\u00E9\U0001F600\u300D" L"は使えない文字です。入力できません。"},
    };
    TestDialog dialog;
    ASSERT_TRUE(dialog.create());
    dialog.showWindow(SW_SHOW);
    HWND edit = control(dialog, kName);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialog.setControlText(kName, "ab");
        dialog.setFocusTo(kName);
        SendMessageW(edit, EM_SETSEL, 1, 1);
        for (const wchar_t* typed = c.typed; *typed != 0; ++typed) SendMessageW(edit, WM_CHAR, *typed, 0);
        if (*c.pasted != 0) {
            ASSERT_TRUE(OpenClipboard(backend_.windowOf(&dialog)));
            EmptyClipboard();
            const std::size_t bytes = (wcslen(c.pasted) + 1) * sizeof(wchar_t);
            HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
            std::memcpy(GlobalLock(memory), c.pasted, bytes);
            GlobalUnlock(memory);
            SetClipboardData(CF_UNICODETEXT, memory);
            CloseClipboard();
            SendMessageW(edit, WM_PASTE, 0, 0);
        }
        EXPECT_EQ(dialog.controlText(kName), c.kept);
        EXPECT_EQ(ui::Win32Backend::toWide(c.kept), [&] {
            wchar_t shown[32] = {};
            GetWindowTextW(edit, shown, 32);
            return std::wstring(shown);
        }());
        DWORD caret = 0;
        SendMessageW(edit, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
        EXPECT_EQ(caret, static_cast<DWORD>(c.caret));
        EXPECT_EQ(balloonText(), c.balloon);
        // Gone as the edit loses the focus.
        dialog.setFocusTo(kApply);
        EXPECT_EQ(balloonText(), L"");
    }
    dialog.destroyWindow();
}

}  // namespace

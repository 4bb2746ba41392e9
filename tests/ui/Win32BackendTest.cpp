// The Windows dialog backend, on the real dialog manager (under Wine on a
// virtual screen in make windows-test).
#include "TestDialog.h"
#include "Win32Backend.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

namespace {

using namespace testsupport;
using ::testing::ElementsAre;

class Win32BackendTest : public ::testing::Test {
protected:
    Win32BackendTest() { ui::setCurrentBackend(&backend_); }
    ~Win32BackendTest() override { ui::setCurrentBackend(nullptr); }

    HWND control(const ui::Dialog& dialog, int id) const { return GetDlgItem(backend_.windowOf(&dialog), id); }

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
    // Typed text reaches the dialog as CP932; what CP932 cannot hold is refused.
    SetWindowTextW(control(dialog, kName), L"a\u30C6");
    EXPECT_EQ(dialog.controlText(kName), "a\x83\x65");
    SetWindowTextW(control(dialog, kName), L"a\u00E9");
    EXPECT_EQ(dialog.controlText(kName), "a\x83\x65");
    wchar_t shown[8] = {};
    GetWindowTextW(control(dialog, kName), shown, 8);
    EXPECT_STREQ(shown, L"a\u30C6");

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

}  // namespace

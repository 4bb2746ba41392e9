// Window, dialog and control constants of the Windows user interface
// (winuser.h), with their published names and values. Dialog templates and
// the dialogs' handlers speak in these.
#pragma once

#include <cstdint>

using COLORREF = std::uint32_t;

constexpr COLORREF RGB(unsigned red, unsigned green, unsigned blue) {
    return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}
constexpr unsigned GetRValue(COLORREF colour) { return colour & 0xFF; }
constexpr unsigned GetGValue(COLORREF colour) { return (colour >> 8) & 0xFF; }
constexpr unsigned GetBValue(COLORREF colour) { return (colour >> 16) & 0xFF; }

// Window styles.
constexpr std::uint32_t WS_POPUP = 0x80000000;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_DISABLED = 0x08000000;
constexpr std::uint32_t WS_CAPTION = 0x00C00000;
constexpr std::uint32_t WS_BORDER = 0x00800000;
constexpr std::uint32_t WS_VSCROLL = 0x00200000;
constexpr std::uint32_t WS_SYSMENU = 0x00080000;
constexpr std::uint32_t WS_GROUP = 0x00020000;
constexpr std::uint32_t WS_TABSTOP = 0x00010000;
constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000;
constexpr std::uint32_t DS_MODALFRAME = 0x80;

// Static controls.
constexpr std::uint32_t SS_LEFT = 0x0;
constexpr std::uint32_t SS_CENTER = 0x1;
constexpr std::uint32_t SS_RIGHT = 0x2;
constexpr std::uint32_t SS_ICON = 0x3;
constexpr std::uint32_t SS_BITMAP = 0xE;
constexpr std::uint32_t SS_TYPEMASK = 0x1F;
constexpr std::uint32_t SS_NOTIFY = 0x100;
constexpr std::uint32_t SS_CENTERIMAGE = 0x200;

// Edit controls.
constexpr std::uint32_t ES_LEFT = 0x0;
constexpr std::uint32_t ES_PASSWORD = 0x20;
constexpr std::uint32_t ES_AUTOHSCROLL = 0x80;
constexpr std::uint32_t ES_READONLY = 0x800;

// Buttons.
constexpr std::uint32_t BS_PUSHBUTTON = 0x0;
constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x1;
constexpr std::uint32_t BS_AUTOCHECKBOX = 0x3;
constexpr std::uint32_t BS_GROUPBOX = 0x7;
constexpr std::uint32_t BS_AUTORADIOBUTTON = 0x9;
constexpr std::uint32_t BS_TYPEMASK = 0xF;

// Combo boxes.
constexpr std::uint32_t CBS_DROPDOWNLIST = 0x3;

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWNA = 8;

// Notification codes of WM_COMMAND.
constexpr int BN_CLICKED = 0;
constexpr int STN_CLICKED = 0;
constexpr int CBN_SELCHANGE = 1;

// System commands.
constexpr unsigned SC_CLOSE = 0xF060;

// Virtual keys.
constexpr int VK_RETURN = 0x0D;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;

// System colours.
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_BTNFACE = 15;

// Fonts.
constexpr int LF_FACESIZE = 32;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

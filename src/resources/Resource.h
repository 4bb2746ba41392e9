// Resource and control ids of the program's dialogs, strings and icons.
#pragma once

namespace resources {

enum DialogId : int {
    IDD_ABOUTBOX = 100,
    IDD_MAIN_MENU = 102,
    IDD_NEW_CONNECTION = 129,
    IDD_PROGRESS = 132,
    IDD_ACCESS_POINT_CHANGE = 134,
    IDD_ISDN_USER_CHANGE = 135,
};

enum IconId : int {
    IDI_PROGRAM = 128,  // the application's own, shown in the about box
    IDI_WINDOW = 139,   // the dialogs' window icon
};

enum StringId : unsigned {
    IDS_ABOUT_ITEM = 101,   // the about item of the system menu
    IDS_APP_TITLE = 57344,  // the application title, caption of message boxes
};

// The system-menu command of the about item.
constexpr unsigned IDM_ABOUTBOX = 0x0010;

// Main menu (102).
constexpr int IDC_MENU_NEW_CONNECTION = 1000;
constexpr int IDC_MENU_MIGRATION = 1001;
constexpr int IDC_MENU_TITLE = 1006;

// New connection (129).
constexpr int IDC_USER_NAME = 1001;
constexpr int IDC_PASSWORD = 1002;
constexpr int IDC_ACCESS_NUMBER = 1003;
constexpr int IDC_ENTRY_NAME = 1005;
constexpr int IDC_MAKE_DEFAULT = 1011;
constexpr int IDC_MODEM = 1018;
constexpr int IDC_TONE = 1019;
constexpr int IDC_PULSE = 1020;
constexpr int IDC_DOMAIN = 1021;
constexpr int IDC_LOGO = 1023;
constexpr int IDC_CONNECTION_TYPE = 1024;

// Progress window (132).
constexpr int IDC_PROGRESS_TEXT = 1022;

// Confirmation dialogs (134, 135); 1001, 1002, 1018 and 1021 as above.
constexpr int IDC_PHONE_NUMBER = 1003;
constexpr int IDC_OLD_NUMBER = 1004;
constexpr int IDC_NEW_NUMBER = 1005;
constexpr int IDC_CONNECTION_NAME = 1006;
constexpr int IDC_EDIT_USER = 1011;
constexpr int IDC_EDIT_PASSWORD = 1012;
constexpr int IDC_EDIT_MODEM = 1013;
constexpr int IDC_OLD_USER = 1014;
constexpr int IDC_NEW_USER = 1015;
constexpr int IDC_OLD_DOMAIN = 1016;
constexpr int IDC_NEW_DOMAIN = 1017;

}  // namespace resources

#include "Resources.h"

#include "EmbeddedIcons.h"
#include "Text.h"

#include <cstdlib>

namespace resources {

namespace {

using namespace ui::rc;
using ui::DialogTemplate;
using ui::Rect;

constexpr DWORD kDialogStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;

ui::DialogFont dialogFont() { return {text("ＭＳ Ｐゴシック"), 9}; }

DialogTemplate aboutBox() {
    return {IDD_ABOUTBOX, text("Kivora のﾊﾞｰｼﾞｮﾝ情報"), kDialogStyle | WS_VISIBLE, 0, 230, 46, dialogFont(),
            {
                iconStatic(icon(IDI_PROGRAM), IDC_STATIC, Rect{12, 10, 20, 20}),
                leftText(text("Kivora バージョン " KIVORA_VERSION), IDC_STATIC, Rect{44, 11, 120, 8}),
                leftText(text("ダイヤルアップ接続の設定ツール"), IDC_STATIC, Rect{44, 25, 120, 8}),
                defaultPushButton(text("OK"), IDOK, Rect{170, 10, 50, 14}, WS_GROUP),
            }};
}

DialogTemplate mainMenu() {
    return {IDD_MAIN_MENU, text("Kivora"), kDialogStyle | WS_VISIBLE, WS_EX_APPWINDOW, 174, 171, dialogFont(),
            {
                centredText(text("インターネット　Kivora"), IDC_MENU_TITLE, Rect{7, 8, 160, 20}, SS_CENTERIMAGE),
                groupBox({}, IDC_STATIC, Rect{7, 34, 160, 62}),
                pushButton(text("新規作成"), IDC_MENU_NEW_CONNECTION, Rect{42, 49, 90, 16}),
                centredText(text("新しくダイヤルアップ設定を作成します"), IDC_STATIC, Rect{12, 74, 150, 8}),
                groupBox({}, IDC_STATIC, Rect{7, 102, 160, 62}),
                pushButton(text("アクセスポイントの移行"), IDC_MENU_MIGRATION, Rect{42, 117, 90, 16}),
                centredText(text("各設定を新しいアクセスポイントに置き換えます"), IDC_STATIC,
                            Rect{12, 142, 150, 8}),
            }};
}

DialogTemplate newConnection() {
    return {IDD_NEW_CONNECTION, text("Kivora"), kDialogStyle, 0, 227, 243, dialogFont(),
            {
                rightText(text("この接続に付ける名前："), IDC_STATIC, Rect{18, 13, 72, 8}),
                editText(IDC_ENTRY_NAME, Rect{94, 10, 128, 14}, ES_AUTOHSCROLL),
                pictureStatic(IDC_LOGO, Rect{7, 28, 13, 14}, false),
                rightText(text("ユーザー名："), IDC_STATIC, Rect{22, 33, 68, 8}),
                editText(IDC_USER_NAME, Rect{94, 30, 46, 14}, ES_AUTOHSCROLL),
                leftText(text("@"), IDC_DOMAIN, Rect{143, 33, 79, 8}),
                rightText(text("パスワード："), IDC_STATIC, Rect{18, 53, 72, 8}),
                editText(IDC_PASSWORD, Rect{94, 50, 128, 14}, ES_PASSWORD | ES_AUTOHSCROLL),
                groupBox({}, IDC_STATIC, Rect{5, 71, 217, 74}),
                rightText(text("接続方法："), IDC_STATIC, Rect{10, 87, 80, 8}),
                dropDownList(IDC_CONNECTION_TYPE, Rect{94, 84, 123, 120}),
                rightText(text("アクセスポイント電話番号："), IDC_STATIC, Rect{10, 107, 80, 8}),
                editText(IDC_ACCESS_NUMBER, Rect{94, 104, 123, 14}, ES_AUTOHSCROLL),
                groupBox({}, IDC_STATIC, Rect{5, 151, 217, 59}),
                rightText(text("モデム："), IDC_STATIC, Rect{10, 166, 80, 8}),
                dropDownList(IDC_MODEM, Rect{94, 163, 123, 100}),
                autoRadioButton(text("トーン（プッシュ回線）"), IDC_TONE, Rect{20, 182, 84, 10},
                                WS_GROUP | WS_TABSTOP),
                autoRadioButton(text("パルス（ダイヤル回線）"), IDC_PULSE, Rect{110, 182, 96, 10}),
                leftText(text("（電話をかける時にピポパと音がする場合はトーンです）"), IDC_STATIC,
                         Rect{20, 196, 192, 8}),
                autoCheckBox(text("このダイヤルアップ設定を「既定の接続」にする"), IDC_MAKE_DEFAULT,
                             Rect{10, 221, 150, 10}),
                defaultPushButton(text("作成"), IDOK, Rect{172, 219, 50, 14}),
                leftText(text("PHSの場合、メーカーにより#の後の数字が異なる場合があります。\n"
                              "詳しくはPHSカードのマニュアルをご覧下さい。"),
                         IDC_STATIC, Rect{20, 123, 197, 16}),
                leftText(text("※"), IDC_STATIC, Rect{12, 123, 8, 8}),
            }};
}

DialogTemplate progress() {
    return {IDD_PROGRESS, {}, DS_MODALFRAME | WS_POPUP, 0, 179, 44, dialogFont(),
            {
                centredText({}, IDC_PROGRESS_TEXT, Rect{7, 7, 165, 30}, SS_CENTERIMAGE),
            }};
}

// The two push buttons lead the tab order, so the dialog opens with the
// focus on 変更する and Enter confirms.
DialogTemplate accessPointChange() {
    return {IDD_ACCESS_POINT_CHANGE, text("Kivora"), kDialogStyle, 0, 277, 209, dialogFont(),
            {
                defaultPushButton(text("変更する"), IDOK, Rect{150, 186, 55, 14}),
                pushButton(text("変更しない"), IDCANCEL, Rect{210, 186, 57, 14}),
                leftText(text("古いアクセスポイントに設定されているダイヤルアップネットワークがあります。"),
                         IDC_STATIC, Rect{10, 10, 257, 8}),
                leftText(text("新しいアクセスポイントに変更してよろしいですか？"), IDC_STATIC,
                         Rect{10, 22, 257, 8}),
                rightText(text("接続の名前："), IDC_STATIC, Rect{14, 43, 58, 8}),
                editText(IDC_CONNECTION_NAME, Rect{76, 40, 140, 14}, ES_AUTOHSCROLL | ES_READONLY),
                rightText(text("古い電話番号："), IDC_STATIC, Rect{14, 62, 58, 8}),
                editText(IDC_OLD_NUMBER, Rect{76, 59, 100, 14}, ES_AUTOHSCROLL | ES_READONLY),
                leftText(text("を"), IDC_STATIC, Rect{179, 62, 12, 8}),
                rightText(text("新しい電話番号："), IDC_STATIC, Rect{14, 81, 58, 8}),
                editText(IDC_NEW_NUMBER, Rect{76, 78, 100, 14}, ES_AUTOHSCROLL),
                leftText(text("に変更します"), IDC_STATIC, Rect{179, 81, 40, 8}),
                groupBox({}, IDC_STATIC, Rect{10, 99, 257, 76}),
                rightText(text("ユーザー名："), IDC_STATIC, Rect{14, 115, 58, 8}),
                editText(IDC_USER_NAME, Rect{76, 112, 56, 14}, ES_AUTOHSCROLL),
                leftText(text("@"), IDC_DOMAIN, Rect{135, 115, 80, 8}),
                autoCheckBox(text("編集する"), IDC_EDIT_USER, Rect{222, 113, 40, 10}),
                rightText(text("パスワード："), IDC_STATIC, Rect{14, 135, 58, 8}),
                editText(IDC_PASSWORD, Rect{76, 132, 139, 14}, ES_PASSWORD | ES_AUTOHSCROLL),
                autoCheckBox(text("編集する"), IDC_EDIT_PASSWORD, Rect{222, 133, 40, 10}),
                rightText(text("モデム："), IDC_STATIC, Rect{14, 155, 58, 8}),
                dropDownList(IDC_MODEM, Rect{76, 152, 139, 100}),
                autoCheckBox(text("編集する"), IDC_EDIT_MODEM, Rect{222, 153, 40, 10}),
            }};
}

DialogTemplate isdnUserChange() {
    return {IDD_ISDN_USER_CHANGE, text("Kivora"), kDialogStyle, 0, 277, 205, dialogFont(),
            {
                defaultPushButton(text("変更する"), IDOK, Rect{150, 182, 55, 14}),
                pushButton(text("変更しない"), IDCANCEL, Rect{210, 182, 57, 14}),
                leftText(text("古いユーザー名で設定されているフレッツＩＳＤＮ設定があります。"), IDC_STATIC,
                         Rect{10, 10, 257, 8}),
                leftText(text("新しいユーザー名に変更してよろしいですか？"), IDC_STATIC, Rect{10, 22, 257, 8}),
                rightText(text("接続の名前："), IDC_STATIC, Rect{14, 43, 58, 8}),
                editText(IDC_CONNECTION_NAME, Rect{76, 40, 140, 14}, ES_AUTOHSCROLL | ES_READONLY),
                rightText(text("電話番号："), IDC_STATIC, Rect{14, 62, 58, 8}),
                editText(IDC_PHONE_NUMBER, Rect{76, 59, 100, 14}, ES_AUTOHSCROLL | ES_READONLY),
                rightText(text("古いユーザー名："), IDC_STATIC, Rect{14, 81, 58, 8}),
                editText(IDC_OLD_USER, Rect{76, 78, 56, 14}, ES_AUTOHSCROLL | ES_READONLY),
                leftText(text("@"), IDC_OLD_DOMAIN, Rect{135, 81, 80, 8}),
                leftText(text("を"), IDC_STATIC, Rect{218, 81, 12, 8}),
                rightText(text("新しいユーザー名："), IDC_STATIC, Rect{14, 100, 58, 8}),
                editText(IDC_NEW_USER, Rect{76, 97, 56, 14}, ES_AUTOHSCROLL | ES_READONLY),
                leftText(text("@"), IDC_NEW_DOMAIN, Rect{135, 100, 80, 8}),
                leftText(text("に変更します"), IDC_STATIC, Rect{218, 100, 40, 8}),
                groupBox({}, IDC_STATIC, Rect{10, 118, 257, 55}),
                rightText(text("パスワード："), IDC_STATIC, Rect{14, 134, 58, 8}),
                editText(IDC_PASSWORD, Rect{76, 131, 139, 14}, ES_PASSWORD | ES_AUTOHSCROLL),
                autoCheckBox(text("編集する"), IDC_EDIT_PASSWORD, Rect{222, 132, 40, 10}),
                rightText(text("モデム："), IDC_STATIC, Rect{14, 154, 58, 8}),
                dropDownList(IDC_MODEM, Rect{76, 151, 139, 100}),
                autoCheckBox(text("編集する"), IDC_EDIT_MODEM, Rect{222, 152, 40, 10}),
            }};
}

ui::Icon loadIcon(IconId id) {
    ui::Icon result{id, {}};
    for (const EmbeddedIcon& image : embeddedIcons()) {
        if (image.iconId == id) result.images.push_back({image.size, image.png, image.length});
    }
    return result;
}

}  // namespace

const ui::DialogTemplate& dialogTemplate(DialogId id) {
    switch (id) {
    case IDD_ABOUTBOX: {
        static const DialogTemplate about = aboutBox();
        return about;
    }
    case IDD_MAIN_MENU: {
        static const DialogTemplate menu = mainMenu();
        return menu;
    }
    case IDD_NEW_CONNECTION: {
        static const DialogTemplate form = newConnection();
        return form;
    }
    case IDD_PROGRESS: {
        static const DialogTemplate window = progress();
        return window;
    }
    case IDD_ACCESS_POINT_CHANGE: {
        static const DialogTemplate change = accessPointChange();
        return change;
    }
    case IDD_ISDN_USER_CHANGE: {
        static const DialogTemplate change = isdnUserChange();
        return change;
    }
    }
    std::abort();  // every DialogId is handled above
}

const char* loadString(unsigned id) {
    switch (id) {
    case IDS_ABOUT_ITEM: return text("Kivora のﾊﾞｰｼﾞｮﾝ情報(&A)...");
    case IDS_APP_TITLE: return text("Kivora");
    default: return "";
    }
}

const char* programVersion() { return KIVORA_VERSION; }

const ui::Icon& icon(IconId id) {
    switch (id) {
    case IDI_PROGRAM: {
        static const ui::Icon program = loadIcon(IDI_PROGRAM);
        return program;
    }
    case IDI_WINDOW: {
        static const ui::Icon window = loadIcon(IDI_WINDOW);
        return window;
    }
    }
    std::abort();  // every IconId is handled above
}

}  // namespace resources

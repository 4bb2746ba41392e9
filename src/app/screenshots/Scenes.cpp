#include "Scenes.h"

#include "AboutDialog.h"
#include "MainMenuDialog.h"
#include "NewConnectionDialog.h"
#include "ProgressWindow.h"
#include "Resources.h"
#include "Text.h"

using namespace resources;
using resources::text;

namespace {

// The modems a user could have: one of each kind.
void fillModems(ui::Dialog& dialog) {
    dialog.addItem(IDC_MODEM, text("標準 56000 bps モデム"));
    dialog.addItem(IDC_MODEM, text("PHS データ通信カード"));
    dialog.setSelection(IDC_MODEM, 0);
}

// The real form over the demo provider's files, which make screenshots lays
// beside the tool; the customer has typed an account and the modems are a
// user's.
void newConnection(Camera& camera) {
    NewConnectionDialog form;
    form.create();
    fillModems(form);
    form.setControlText(IDC_USER_NAME, "taro");
    form.setControlText(IDC_PASSWORD, "secret");
    camera.shoot(form, "new-connection");
}

void accessPointChange(Camera& camera) {
    ui::Dialog change(dialogTemplate(IDD_ACCESS_POINT_CHANGE));
    change.create();
    change.setIcon(icon(IDI_WINDOW));
    change.setControlText(IDC_CONNECTION_NAME, text("ルリカケ通信"));
    change.setControlText(IDC_OLD_NUMBER, "03-5550-1234");
    change.setControlText(IDC_NEW_NUMBER, "0570-550-100");
    change.setControlText(IDC_USER_NAME, "taro");
    change.setControlText(IDC_DOMAIN, "@dial.rurikake.example");
    change.setControlText(IDC_PASSWORD, "secret");
    fillModems(change);
    for (int id : {IDC_USER_NAME, IDC_PASSWORD, IDC_MODEM}) change.enableControl(id, false);
    camera.shoot(change, "access-point-change");
}

void isdnUserChange(Camera& camera) {
    ui::Dialog change(dialogTemplate(IDD_ISDN_USER_CHANGE));
    change.create();
    change.setIcon(icon(IDI_WINDOW));
    change.setControlText(IDC_CONNECTION_NAME, text("ルリカケ通信 ISDN"));
    change.setControlText(IDC_PHONE_NUMBER, "0355504000");
    change.setControlText(IDC_OLD_USER, "taro");
    change.setControlText(IDC_OLD_DOMAIN, "@rknet.example");
    change.setControlText(IDC_NEW_USER, "taro");
    change.setControlText(IDC_NEW_DOMAIN, "@isdn.rurikake.example");
    change.setControlText(IDC_PASSWORD, "secret");
    fillModems(change);
    for (int id : {IDC_PASSWORD, IDC_MODEM}) change.enableControl(id, false);
    camera.shoot(change, "isdn-user-change");
}

}  // namespace

const std::vector<Scene>& scenes() {
    static const std::vector<Scene> all = {
        {"main-menu",
         [](Camera& camera) {
             MainMenuDialog menu;
             menu.create();
             camera.shoot(menu, "main-menu");
         }},
        {"about",
         [](Camera& camera) {
             AboutDialog about;
             about.create();
             camera.shoot(about, "about");
         }},
        {"new-connection", newConnection},
        {"progress",
         [](Camera& camera) {
             ProgressWindow progress;
             progress.create();
             progress.showText(text("ダイヤルアップネットワークをチェックしています"));
             camera.shoot(progress, "progress");
         }},
        {"access-point-change", accessPointChange},
        {"isdn-user-change", isdnUserChange},
        {"message-warning",
         [](Camera& camera) {
             camera.shootMessageBox(text("RASAPI32.DLL エラー"), MB_ICONWARNING | MB_OK, "message-warning");
         }},
        {"message-information",
         [](Camera& camera) {
             camera.shootMessageBox(text("ダイヤルアップネットワークを作成しました"), MB_ICONINFORMATION | MB_OK,
                                    "message-information");
         }},
        {"message-question",
         [](Camera& camera) {
             camera.shootMessageBox(text("[ルリカケ通信]は既に存在します\n\n上書きしてよろしいですか？"),
                                    MB_ICONQUESTION | MB_OKCANCEL, "message-question");
         }},
    };
    return all;
}

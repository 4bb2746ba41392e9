#include "Scenes.h"

#include "AboutDialog.h"
#include "Application.h"
#include "AccessPointChangeDialog.h"
#include "IsdnUserChangeDialog.h"
#include "MainMenuDialog.h"
#include "NewConnectionDialog.h"
#include "NumberRewriting.h"
#include "ProgressWindow.h"
#include "Resources.h"
#include "Text.h"

#include <cstring>

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
    camera.shootOpenList(form, IDC_CONNECTION_TYPE, "new-connection-methods");
}

// A character CP932 cannot hold, typed into the name: the edit keeps it out
// and says so below itself.
void refusedCharacter(Camera& camera) {
    NewConnectionDialog form;
    form.create();
    fillModems(form);
    camera.shootTyped(form, IDC_ENTRY_NAME, "€", "new-connection-refused-character");
}

// The demo provider's customer whose entry still dials 東京第1（旧）
// behind the outside-line prefix "0,": the proposal the pass makes for it.
// Without the remote-access service the modem list is filled by hand.
void accessPointChange(Camera& camera) {
    AccessPointRecord retired{};
    std::strcpy(retired.areaCode, "03");
    std::strcpy(retired.localNumber, "55501234");
    AccessPointTable general;
    general.append(retired);
    const char* oldNumber = "0,03-5550-1234";

    AccessPointChangeDialog change;
    change.connectionName = text("ルリカケ通信");
    change.oldNumber = oldNumber;
    change.newNumber = composeNumber(matchOldAccessPoint(general, "", oldNumber), "0570-550-100");
    change.userName = userPartOf("taro@rknet.example");
    change.domainLabel = "@dial.rurikake.example";
    change.password = "secret";
    change.modemName = text("標準 56000 bps モデム");
    change.create();
    fillModems(change);
    camera.shoot(change, "access-point-change");
}

// Its ISDN entry, which dials the ISDN number with the retired domain.
void isdnUserChange(Camera& camera) {
    std::string oldUserPart;
    splitAtOldDomain("jiro@rknet.example", "@rknet.example", oldUserPart);

    IsdnUserChangeDialog change;
    change.connectionName = text("ルリカケ通信 ISDN");
    change.phoneNumber = "0355504000";
    change.oldUserName = oldUserPart;
    change.oldDomainLabel = "@rknet.example";
    change.newUserName = oldUserPart;
    change.newDomainLabel = "@isdn.rurikake.example";
    change.password = "secret";
    change.modemName = text("標準 56000 bps モデム");
    change.create();
    fillModems(change);
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
        {"new-connection-refused-character", refusedCharacter},
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

void shootAllScenes(Camera& camera) {
    class ScreenshotApplication : public ui::Application {
    public:
        explicit ScreenshotApplication(Camera& camera)
            : Application(resources::loadString(resources::IDS_APP_TITLE)), camera_(camera) {}

    protected:
        void initInstance() override {
            for (const Scene& scene : scenes()) scene.shoot(camera_);
        }

    private:
        Camera& camera_;
    };
    ScreenshotApplication application(camera);
    application.run();
}

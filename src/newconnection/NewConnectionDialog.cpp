#include "NewConnectionDialog.h"

#include "Backend.h"
#include "ConnectionCreation.h"
#include "ChangeMessages.h"
#include "Cp932.h"
#include "DataExchange.h"
#include "EntryNameCheck.h"
#include "IspSettings.h"
#include "MessageBox.h"
#include "Platform.h"
#include "ProgressWindow.h"
#include "ProviderCsvFile.h"
#include "SetupLock.h"
#include "RasLists.h"
#include "Resources.h"
#include "Text.h"
#include "TextLimits.h"

#include <cstdio>
#include <cstring>

using namespace resources;

namespace {

// The ISP settings' defaults go straight into the form's boxes.
class FormTextSink : public DialogTextSink {
public:
    explicit FormTextSink(ui::Dialog& form) : form_(form) {}
    void setControlText(int controlId, const char* text) override { form_.setControlText(controlId, text); }

private:
    ui::Dialog& form_;
};

void warn(const char* message) {
    ui::messageBox(message, MB_ICONWARNING | MB_OK);
}

bool canReadProviderFile(const char* fileName) {
    char path[MAX_PATH];
    ProviderCsvFile file;
    return dataFilePath(fileName, path) && file.open(path);
}

// Without either file the form can never be completed: the user is told
// once where the provider's files belong.
void tellWhenProviderFilesAreMissing() {
    if (canReadProviderFile("CTMENU.csv") || canReadProviderFile("ISP_INF.csv")) return;
    char directory[MAX_PATH];
    if (programDirectory(directory) == 0) directory[0] = '\0';
    char message[MAX_PATH + 512];
    std::snprintf(message, sizeof message,
                  text("プロバイダーの設定ファイル（CTMENU.csv、ISP_INF.csv）が見つかりません。\n\n"
                       "プロバイダーから届いたファイルを、次のフォルダーに置いてから起動し直してください。\n\n%s"),
                  directory);
    ui::messageBox(message, MB_ICONINFORMATION | MB_OK);
}

}  // namespace

NewConnectionDialog::NewConnectionDialog(ui::Dialog* parent)
    : Dialog(resources::dialogTemplate(IDD_NEW_CONNECTION), parent), icon_(resources::icon(IDI_WINDOW)) {}

void NewConnectionDialog::doDataExchange(ui::DataExchange& exchange) {
    Dialog::doDataExchange(exchange);
    exchange.radio(IDC_TONE, dialMode);
    exchange.check(IDC_MAKE_DEFAULT, makeDefault);
}

bool NewConnectionDialog::onInitDialog() {
    Dialog::onInitDialog();
    addExtendedStyle(WS_EX_APPWINDOW);
    setIcon(icon_);
    disableInputMethod(IDC_USER_NAME);
    disableInputMethod(IDC_ACCESS_NUMBER);
    showLogo();
    fillModemList();
    loadConnectionTypeMenu();
    const std::string domain = IspSettings().lookupDomain(DomainKind::Dialup);
    if (!domain.empty()) setControlText(IDC_DOMAIN, domain);
    FormTextSink sink(*this);
    IspSettings().loadDialogDefaults(sink);
    applyConnectionType();
    tellWhenProviderFilesAreMissing();
    return true;
}

bool NewConnectionDialog::preTranslateKey(int, int virtualKey) {
    return virtualKey == VK_RETURN || virtualKey == VK_ESCAPE;
}

void NewConnectionDialog::onCommand(int id, int notification) {
    if (id == IDC_CONNECTION_TYPE && notification == CBN_SELCHANGE) applyConnectionType();
}

void NewConnectionDialog::onDestroy() {
    Dialog::onDestroy();
    clearConnectionTypeMenu();
}

void NewConnectionDialog::showLogo() {
    char path[MAX_PATH];
    if (!dataFilePath("Logo.png", path) || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return;
    showControl(IDC_LOGO, true);
    if (!logo_.loadFromFile(path)) return;
    // The picture is composed on the dialog's own face colour, so that its
    // transparent parts show the form.
    const COLORREF face = ui::systemColour(COLOR_BTNFACE);
    setControlImage(IDC_LOGO, static_cast<int>(logo_.width()), static_cast<int>(logo_.height()),
                    logo_.composedPixels(rgbColour(GetRValue(face), GetGValue(face), GetBValue(face))));
}

void NewConnectionDialog::fillModemList() {
    for (int index = itemCount(IDC_MODEM) - 1; index >= 0; --index) deleteItem(IDC_MODEM, index);
    std::vector<std::string> modems;
    enumerateModemNames(remoteAccess(), modems);
    for (const std::string& modem : modems) addItem(IDC_MODEM, modem);
    if (itemCount(IDC_MODEM) > 0) setSelection(IDC_MODEM, 0);
}

bool NewConnectionDialog::loadConnectionTypeMenu() {
    clearConnectionTypeMenu();
    std::vector<ConnectionTypeItem> items;
    if (!readConnectionTypeItems(items)) return false;
    for (const ConnectionTypeItem& item : items) {
        connectionItems_.push_back(std::make_unique<ConnectionTypeItem>(item));
        const int index = addItem(IDC_CONNECTION_TYPE, item.displayName,
                                  reinterpret_cast<ui::ItemData>(connectionItems_.back().get()));
        if (item.typeCode == kHeadingTypeCode) markItemAsHeading(IDC_CONNECTION_TYPE, index);
    }
    if (itemCount(IDC_CONNECTION_TYPE) > 0) setSelection(IDC_CONNECTION_TYPE, 0);
    return true;
}

void NewConnectionDialog::clearConnectionTypeMenu() {
    for (int index = itemCount(IDC_CONNECTION_TYPE) - 1; index >= 0; --index) deleteItem(IDC_CONNECTION_TYPE, index);
    connectionItems_.clear();
}

bool NewConnectionDialog::selectedConnectionTexts(char (&domainOut)[kConnectionTextCapacity],
                                                  char (&numberOut)[kConnectionTextCapacity]) const {
    const int index = selection(IDC_CONNECTION_TYPE);
    if (index < 0) return false;
    const auto* item = reinterpret_cast<const ConnectionTypeItem*>(itemData(IDC_CONNECTION_TYPE, index));
    if (item == nullptr || item->typeCode == kHeadingTypeCode) return false;
    std::memcpy(domainOut, item->domainText, sizeof item->domainText);
    std::memcpy(numberOut, item->accessNumber, sizeof item->accessNumber);
    return true;
}

void NewConnectionDialog::applyConnectionType() {
    updateData(true);
    char domain[kConnectionTextCapacity];
    char number[kConnectionTextCapacity];
    if (selectedConnectionTexts(domain, number)) {
        lastValidSelection = selection(IDC_CONNECTION_TYPE);
        setControlText(IDC_ACCESS_NUMBER, number);
        setControlText(IDC_DOMAIN, domain);
    } else if (lastValidSelection >= 0) {
        warn(text("接続方法を選択してください"));
        setSelection(IDC_CONNECTION_TYPE, lastValidSelection);
    }
}

bool NewConnectionDialog::checkForm() {
    // Blanks are content: only a box with nothing at all in it is empty.
    if (!requireText(controlText(IDC_ENTRY_NAME), text("この接続に付ける名前が入力されていません"))) return false;
    // A name the phonebook would refuse is refused here, before anything is
    // written and while everything typed is still in the form. Its length
    // has a message of its own, below.
    const std::string entryName = controlText(IDC_ENTRY_NAME);
    if (entryName.size() <= RAS_MaxEntryName && !phonebookAcceptsName(remoteAccess(), entryName)) {
        warn(text("この接続に付ける名前は使えません\n\n"
                  "名前には文字か数字を入れてください。\n"
                  "次の文字とタブなどの制御文字は使えません：  \\ / : * ? < > |\n"
                  "名前の先頭にピリオド（.）は使えません。"));
        return false;
    }
    const struct {
        int id;
        const char* message;
    } required[] = {
        {IDC_USER_NAME, text("ユーザー名が入力されていません")},
        {IDC_PASSWORD, text("パスワードが入力されていません")},
        {IDC_ACCESS_NUMBER, text("アクセスポイント電話番号が入力されていません")},
        {IDC_MODEM, text("モデムが選択されていません")},
    };
    for (const auto& field : required) {
        if (!requireText(controlText(field.id), field.message)) return false;
    }
    if (dialMode < 0) {
        warn(text("トーンかパルスを選択してください"));
        return false;
    }
    if (lastValidSelection < 0) {
        warn(text("接続方法を選択してください"));
        return false;
    }
    return fitsField(controlText(IDC_ENTRY_NAME), RAS_MaxEntryName, text("この接続に付ける名前")) &&
           fitsField(controlText(IDC_USER_NAME), userNameRoom(controlText(IDC_DOMAIN)), text("ユーザー名")) &&
           fitsField(controlText(IDC_PASSWORD), PWLEN, text("パスワード")) &&
           fitsField(controlText(IDC_ACCESS_NUMBER), accessNumberRoom(dialMode == 1), text("アクセスポイント電話番号"));
}

bool NewConnectionDialog::entryExists(const std::string& name) const {
    std::vector<std::string> names;
    if (enumerateEntryNames(remoteAccess(), names) != 0) return false;
    for (const std::string& existing : names) {
        if (cp932::compareNoCaseMultiByte(existing, name) == 0) return true;
    }
    return false;
}

void NewConnectionDialog::onOK() {
    updateData(true);
    if (!checkForm()) return;

    const std::string entryName = controlText(IDC_ENTRY_NAME);
    if (entryExists(entryName)) {
        char question[512];
        std::snprintf(question, sizeof question, text("[%s]は既に存在します\n\n上書きしてよろしいですか？"),
                      entryName.c_str());
        if (ui::messageBox(question, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
    }

    // The whole change, from the former entry's reading to its replacement,
    // is made while no other Kivora changes entries.
    const SetupLock lock;
    if (!lock.held()) {
        tellAnotherSetupRuns();
        return;
    }
    bool created = false;
    DefaultConnectionResult defaultConnection;
    {
        // No messages are processed while the phonebook is written, so the
        // window is painted before the work starts.
        ProgressWindow progress;
        if (progress.create()) {
            progress.showText(text("ダイヤルアップネットワーク作成中"));
            progress.show(false);
        }
        created = createConnection(defaultConnection);
    }
    if (created) {
        ui::messageBox(text("ダイヤルアップネットワークを作成しました"), MB_ICONINFORMATION | MB_OK);
        // The entry stays, but what makes it the default connection is not
        // reported as done when it is not.
        const std::string unset = defaultConnectionWarning(entryName.c_str(), defaultConnection);
        if (!unset.empty()) warn(unset.c_str());
    } else {
        warn(text("ダイヤルアップネットワーク作成に失敗しました"));
    }
    updateData(true);
    endDialog(IDOK);
}

bool NewConnectionDialog::createConnection(DefaultConnectionResult& defaultConnection) {
    ConnectionRequest request;
    request.entryName = controlText(IDC_ENTRY_NAME);
    request.modem = controlText(IDC_MODEM);
    request.accessNumber = controlText(IDC_ACCESS_NUMBER);
    request.userName = controlText(IDC_USER_NAME);
    request.domain = controlText(IDC_DOMAIN);
    request.password = controlText(IDC_PASSWORD);
    request.pulse = dialMode == 1;
    request.makeDefault = makeDefault != 0;
    return ::createConnection(remoteAccess(), request, defaultConnection);
}

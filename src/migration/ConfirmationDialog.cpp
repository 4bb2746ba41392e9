#include "ConfirmationDialog.h"

#include "Accessibility.h"
#include "Cp932.h"
#include "DataExchange.h"
#include "RasLists.h"
#include "RemoteAccess.h"
#include "Resources.h"
#include "Text.h"
#include "TextLimits.h"

#include <utility>
#include <vector>

using namespace resources;

namespace {

// The modem list's text, as the list hands it out.
constexpr int kModemTextCapacity = 256;

}  // namespace

ConfirmationDialog::ConfirmationDialog(resources::DialogId id)
    : Dialog(resources::dialogTemplate(id)), icon_(resources::icon(IDI_WINDOW)) {}

bool ConfirmationDialog::onInitDialog() {
    Dialog::onInitDialog();
    addExtendedStyle(WS_EX_APPWINDOW);
    setIcon(icon_);
    fillModemList();
    keepOriginals();
    describeUnlockBoxes();
    applyUnlockStates();
    // The template's first tab stop is 変更する, so Enter confirms.
    return true;
}

void ConfirmationDialog::onOK() {
    updateData(true);
    if (answersFit()) endDialog(IDOK);
}

bool ConfirmationDialog::answersFit() {
    return !editPassword || fitsField(password, PWLEN, text("パスワード"));
}

void ConfirmationDialog::onCommand(int id, int notification) {
    if (notification == BN_CLICKED && id == IDC_EDIT_MODEM) applyUnlock(IDC_EDIT_MODEM, IDC_MODEM);
    if (notification == BN_CLICKED && id == IDC_EDIT_PASSWORD) applyUnlock(IDC_EDIT_PASSWORD, IDC_PASSWORD);
    if (notification == CBN_SELCHANGE && id == IDC_MODEM) {
        char text[kModemTextCapacity];
        controlText(IDC_MODEM, text, sizeof text);
        modemName = text;
    }
}

void ConfirmationDialog::doDataExchange(ui::DataExchange& exchange) {
    exchange.text(IDC_CONNECTION_NAME, connectionName);
    exchange.text(IDC_PASSWORD, password);
    exchange.check(IDC_EDIT_MODEM, editModem);
    exchange.check(IDC_EDIT_PASSWORD, editPassword);
}

void ConfirmationDialog::applyUnlockStates() {
    applyUnlock(IDC_EDIT_MODEM, IDC_MODEM);
    applyUnlock(IDC_EDIT_PASSWORD, IDC_PASSWORD);
}

void ConfirmationDialog::describeUnlockBoxes() {
    for (auto [box, field] : {std::pair{IDC_EDIT_USER, IDC_USER_NAME}, std::pair{IDC_EDIT_PASSWORD, IDC_PASSWORD},
                              std::pair{IDC_EDIT_MODEM, IDC_MODEM}}) {
        auto fieldIndex = indexOf(field);
        if (!fieldIndex || !indexOf(box)) continue;
        // "ユーザー名：" and "編集する" make "ユーザー名を編集する".
        std::string label = ui::accessibleName(*this, *fieldIndex);
        const std::string colon = text("：");
        if (label.size() >= colon.size() && label.compare(label.size() - colon.size(), colon.size(), colon) == 0) {
            label.resize(label.size() - colon.size());
        }
        setControlDescription(box, label + text("を") + controlText(box));
    }
}

void ConfirmationDialog::applyUnlock(int box, int field) {
    const bool unlocked = checkState(box) != 0;
    if (!unlocked) restoreOriginal(field);
    updateData(true);
    enableControl(field, unlocked);
}

void ConfirmationDialog::keepOriginals() {
    originalUserName_ = controlText(IDC_USER_NAME);
    originalPassword_ = controlText(IDC_PASSWORD);
    originalModemName_ = modemName;
    originalModemSelection_ = selection(IDC_MODEM);
}

void ConfirmationDialog::restoreOriginal(int field) {
    switch (field) {
    case IDC_USER_NAME:
        setControlText(field, originalUserName_);
        break;
    case IDC_PASSWORD:
        setControlText(field, originalPassword_);
        break;
    case IDC_MODEM:
        setSelection(field, originalModemSelection_);
        modemName = originalModemName_;
        break;
    default:
        break;
    }
}

void ConfirmationDialog::fillModemList() {
    for (int index = itemCount(IDC_MODEM) - 1; index >= 0; --index) deleteItem(IDC_MODEM, index);
    std::vector<std::string> modems;
    enumerateModemNames(remoteAccess(), modems);
    for (const std::string& modem : modems) addItem(IDC_MODEM, modem);
    if (modems.empty()) return;
    setSelection(IDC_MODEM, 0);
    for (int index = 0; index < static_cast<int>(modems.size()); ++index) {
        if (cp932::compareNoCaseMultiByte(modems[index], modemName) == 0) {
            setSelection(IDC_MODEM, index);
            break;
        }
    }
}

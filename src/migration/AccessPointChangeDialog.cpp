#include "AccessPointChangeDialog.h"

#include "DataExchange.h"
#include "EntryUpdate.h"
#include "Text.h"
#include "TextLimits.h"

using namespace resources;

AccessPointChangeDialog::AccessPointChangeDialog() : ConfirmationDialog(IDD_ACCESS_POINT_CHANGE) {}

void AccessPointChangeDialog::onCommand(int id, int notification) {
    if (notification == BN_CLICKED && id == IDC_EDIT_USER) applyUnlock(IDC_EDIT_USER, IDC_USER_NAME);
    ConfirmationDialog::onCommand(id, notification);
}

bool AccessPointChangeDialog::onInitDialog() {
    proposedUserName_ = userName;
    return ConfirmationDialog::onInitDialog();
}

bool AccessPointChangeDialog::answersFit() {
    const PhoneNumberParts number = numberAsStored(newNumber, usesAreaCodes);
    const std::string& user = editUser ? userName : proposedUserName_;
    return requireText(newNumber, text("新しい電話番号が入力されていません")) &&
           fitsField(number.areaCode, RAS_MaxAreaCode, text("新しい電話番号の市外局番")) &&
           fitsField(number.localNumber, RAS_MaxPhoneNumber, text("新しい電話番号")) &&
           requireText(user, text("ユーザー名が入力されていません")) &&
           fitsField(user, userNameRoom(domainLabel), text("ユーザー名")) && ConfirmationDialog::answersFit();
}

void AccessPointChangeDialog::doDataExchange(ui::DataExchange& exchange) {
    ConfirmationDialog::doDataExchange(exchange);
    exchange.text(IDC_NEW_NUMBER, newNumber);
    exchange.text(IDC_USER_NAME, userName);
    exchange.check(IDC_EDIT_USER, editUser);
    exchange.text(IDC_OLD_NUMBER, oldNumber);
    exchange.text(IDC_DOMAIN, domainLabel);
}

void AccessPointChangeDialog::applyUnlockStates() {
    applyUnlock(IDC_EDIT_USER, IDC_USER_NAME);
    ConfirmationDialog::applyUnlockStates();
}

#include "IsdnUserChangeDialog.h"

#include "DataExchange.h"
#include "Text.h"
#include "TextLimits.h"

using namespace resources;

IsdnUserChangeDialog::IsdnUserChangeDialog() : ConfirmationDialog(IDD_ISDN_USER_CHANGE) {}

bool IsdnUserChangeDialog::answersFit() {
    return fitsField(newUserName, userNameRoom(newDomainLabel), text("新しいユーザー名")) &&
           ConfirmationDialog::answersFit();
}

void IsdnUserChangeDialog::doDataExchange(ui::DataExchange& exchange) {
    ConfirmationDialog::doDataExchange(exchange);
    exchange.text(IDC_PHONE_NUMBER, phoneNumber);
    exchange.text(IDC_OLD_USER, oldUserName);
    exchange.text(IDC_NEW_USER, newUserName);
    exchange.text(IDC_OLD_DOMAIN, oldDomainLabel);
    exchange.text(IDC_NEW_DOMAIN, newDomainLabel);
}

#include "AccessPointChangeDialog.h"

#include "DataExchange.h"

using namespace resources;

AccessPointChangeDialog::AccessPointChangeDialog() : ConfirmationDialog(IDD_ACCESS_POINT_CHANGE) {}

void AccessPointChangeDialog::onCommand(int id, int notification) {
    if (notification == BN_CLICKED && id == IDC_EDIT_USER) applyUnlock(IDC_EDIT_USER, IDC_USER_NAME);
    ConfirmationDialog::onCommand(id, notification);
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

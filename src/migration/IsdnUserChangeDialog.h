// Dialog 135: an ISDN entry still carries the retired user-name domain.
// Shows the provider's ISDN number and the user name before and after; only
// the password and the modem can be changed here. 変更する confirms.
#pragma once

#include "ConfirmationDialog.h"

class IsdnUserChangeDialog : public ConfirmationDialog {
public:
    IsdnUserChangeDialog();

    std::string phoneNumber;
    std::string oldUserName;
    std::string newUserName;
    std::string oldDomainLabel;
    std::string newDomainLabel;

protected:
    bool answersFit() override;
    void doDataExchange(ui::DataExchange& exchange) override;
};

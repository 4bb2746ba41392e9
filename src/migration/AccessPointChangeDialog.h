// Dialog 134: an entry dials a retired access point. Shows its number next
// to the proposed one, which the user may correct, and the user name apart
// from the new domain, which cannot be edited. 変更する confirms.
#pragma once

#include "ConfirmationDialog.h"

class AccessPointChangeDialog : public ConfirmationDialog {
public:
    AccessPointChangeDialog();

    std::string oldNumber;
    // What 1005 holds at OK is what is written.
    std::string newNumber;
    // The user part, without the domain.
    std::string userName;
    std::string domainLabel;
    int editUser = 0;
    // Whether the entry keeps its area code apart, as the number is then
    // stored in two fields.
    bool usesAreaCodes = false;

protected:
    bool onInitDialog() override;
    bool answersFit() override;
    void onCommand(int id, int notification) override;
    void doDataExchange(ui::DataExchange& exchange) override;
    void applyUnlockStates() override;

private:
    // The user part proposed, which OK writes unless the box was unlocked.
    std::string proposedUserName_;
};

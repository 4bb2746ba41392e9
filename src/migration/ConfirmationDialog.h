// What the two confirmation dialogs of the migration share: the window icon
// and a taskbar button of their own (the main menu is hidden meanwhile), the
// modem list with the entry's modem preselected, and the "編集する" boxes
// that unlock the password and the modem.
#pragma once

#include "Dialog.h"
#include "Resource.h"

#include <string>

class ConfirmationDialog : public ui::Dialog {
public:
    // The entry's modem. Preselecting it in the list does not change it;
    // only the user's pick does, so a modem that is not installed survives.
    std::string modemName;
    std::string connectionName;
    std::string password;
    int editModem = 0;
    int editPassword = 0;

protected:
    explicit ConfirmationDialog(resources::DialogId id);

    bool onInitDialog() override;
    // Refuses, with a warning and the dialog left open, what could not be
    // written whole.
    void onOK() override;
    void onCommand(int id, int notification) override;
    void doDataExchange(ui::DataExchange& exchange) override;

    // Enables or disables each field after its box, in the dialog's order.
    virtual void applyUnlockStates();
    // Whether what OK would write fits the entry's records; warns otherwise.
    virtual bool answersFit();
    // Moves the controls to the members, then enables `field` while `box`
    // is ticked. Unticked, the field shows again what it showed when the
    // dialog opened, since that is what will be written.
    void applyUnlock(int box, int field);

private:
    void fillModemList();
    // What the unlockable fields show when the dialog opens.
    void keepOriginals();
    // Each 編集する box is described by the field it unlocks, since the three
    // read alike.
    void describeUnlockBoxes();
    void restoreOriginal(int field);

    std::string originalUserName_;
    std::string originalPassword_;
    std::string originalModemName_;
    int originalModemSelection_ = -1;

    const ui::Icon& icon_;
};

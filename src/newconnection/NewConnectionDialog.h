// The form in which the customer creates the provider's dial-up connection:
// a name, the account's user name and password, the connection method (which
// brings the access number and the user name's domain), the modem, tone or
// pulse, and whether it becomes the default connection. 作成 checks the form,
// asks before replacing an entry, creates the connection, tells the outcome
// and ends the form.
#pragma once

#include "ConnectionTypeMenu.h"
#include "DefaultConnection.h"
#include "Dialog.h"
#include "LogoControl.h"

#include <memory>
#include <string>
#include <vector>

class NewConnectionDialog : public ui::Dialog {
public:
    // parent: null makes the application's main window the owner.
    explicit NewConnectionDialog(ui::Dialog* parent = nullptr);

protected:
    bool onInitDialog() override;
    // 作成.
    void onOK() override;
    void onCommand(int id, int notification) override;
    void onDestroy() override;
    // Enter and Escape do nothing: only a click on 作成 (or Space on it)
    // submits, only the close box cancels.
    bool preTranslateKey(int controlId, int virtualKey) override;
    void doDataExchange(ui::DataExchange& exchange) override;

private:
    // Shows Logo.png from beside the program; without the file the logo
    // control stays hidden.
    void showLogo();
    void fillModemList();

    // The connection-method list: each item carries its ConnectionTypeItem,
    // which the form owns until the list is emptied.
    bool loadConnectionTypeMenu();
    void clearConnectionTypeMenu();
    // The selected method's domain and number; false, leaving both as they
    // are, when nothing is selected or the selection is a heading.
    bool selectedConnectionTexts(char (&domainOut)[kConnectionTextCapacity],
                                 char (&numberOut)[kConnectionTextCapacity]) const;
    // Takes the selected method's domain and number into the form; a heading
    // chosen after a method is refused and the method selected again.
    void applyConnectionType();

    // The checks of 作成, in order; the first that fails is shown and the
    // form stays as it is.
    bool checkForm();
    // Whether the phonebook has an entry of that name in any ASCII letter
    // case; false when the phonebook cannot be listed.
    bool entryExists(const std::string& name) const;
    // `defaultConnection`: what of the default connection was not written.
    bool createConnection(DefaultConnectionResult& defaultConnection);

    const ui::Icon& icon_;
    int dialMode = 0;  // 0 tone, 1 pulse, -1 neither
    int makeDefault = 1;
    // The last connection method accepted; -1 until one has been.
    int lastValidSelection = -1;
    LogoControl logo_;
    std::vector<std::unique_ptr<ConnectionTypeItem>> connectionItems_;
};

// What a user does to a dialog, applied as the dialog manager would apply
// it. Backends report the user through this and nothing else; each action
// returns, when it cannot apply, the reason why (a user could not have done
// it: no such control, disabled, hidden, read-only, no such item).
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace ui {

class Dialog;

using Refusal = std::optional<std::string>;

class UserInput {
public:
    // accepted, when given, runs once an action is known to apply, before
    // it takes effect (the script backend echoes the action then).
    explicit UserInput(Dialog& dialog, std::function<void()> accepted = {})
        : dialog_(dialog), accepted_(std::move(accepted)) {}

    // Replaces the text of an edit; text is CP932.
    Refusal typeText(int id, const std::string& text);
    // Picks an item of a drop-down list; the selection notification follows.
    Refusal pickItem(int id, int index);
    // Clicks a control: a check box toggles, a radio button sets its group, a
    // push button is pressed. A click on a static without SS_NOTIFY falls
    // through to the dialog, where nothing happens.
    Refusal click(int id);
    // A key pressed while control id (0: the dialog) has the focus: first the
    // dialog's key pre-translation, then Enter presses the focused push
    // button or the default button, Escape cancels, Space clicks a button.
    Refusal pressKey(int id, int virtualKey);
    // The close box (of a dialog with a system menu).
    Refusal close();
    // An item of the system menu.
    Refusal systemCommand(unsigned id);

private:
    Refusal reachable(int id) const;
    void accept() const;

    Dialog& dialog_;
    std::function<void()> accepted_;
};

}  // namespace ui

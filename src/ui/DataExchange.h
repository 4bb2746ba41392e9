// Moves values between a dialog's members and its controls, in the
// direction the dialog asks for (Dialog::updateData).
#pragma once

#include <string>

namespace ui {

class Control;
class Dialog;

class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saving) : dialog_(dialog), saving_(saving) {}

    // True when the controls' values go to the members.
    bool saving() const { return saving_; }

    void text(int id, std::string& value);
    void check(int id, int& value);
    // value: the index of the set button in the radio group that starts at
    // firstId, counting radio buttons only; -1 when none is set.
    void radio(int firstId, int& value);
    // index: the selected item of a drop-down list, -1 for none.
    void comboSelection(int id, int& index);
    // Attaches control to the control id, once.
    void control(int id, Control& control);

private:
    Dialog& dialog_;
    bool saving_;
};

}  // namespace ui

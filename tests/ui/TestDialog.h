// A dialog for the framework's tests: one control of each kind, and a record
// of every notification it hears.
#pragma once

#include "Cp932.h"
#include "DataExchange.h"
#include "Dialog.h"

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

enum TestControl {
    kName = 10,
    kReadOnly = 11,
    kSecret = 12,
    kList = 20,
    kCheck = 30,
    kRadioA = 40,
    kRadioB = 41,
    kRadioC = 42,
    kRadioD = 43,
    kStatus = 50,
    kHidden = 51,
    kApply = 60,
    kDisabled = 61,
};

inline const ui::DialogTemplate& testTemplate() {
    using namespace ui::rc;
    using ui::Rect;
    static const ui::DialogTemplate dialog = {
        500,
        "Test",
        DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
        0,
        200,
        160,
        {cp932::fromUtf8("ＭＳ Ｐゴシック"), 9},
        {
            leftText("Name:", IDC_STATIC, Rect{5, 8, 40, 8}),
            editText(kName, Rect{50, 5, 100, 14}),
            editText(kReadOnly, Rect{50, 22, 100, 14}, ES_READONLY),
            editText(kSecret, Rect{50, 39, 100, 14}, ES_PASSWORD),
            dropDownList(kList, Rect{50, 56, 100, 60}),
            autoCheckBox("Check", kCheck, Rect{5, 74, 60, 10}),
            autoRadioButton("A", kRadioA, Rect{5, 88, 30, 10}, WS_GROUP | WS_TABSTOP),
            autoRadioButton("B", kRadioB, Rect{40, 88, 30, 10}),
            autoRadioButton("C", kRadioC, Rect{80, 88, 30, 10}, WS_GROUP | WS_TABSTOP),
            autoRadioButton("D", kRadioD, Rect{120, 88, 30, 10}),
            leftText("ready", kStatus, Rect{5, 102, 80, 8}),
            leftText("unseen", kHidden, Rect{90, 102, 80, 8}),
            pushButton("Apply", kApply, Rect{5, 120, 50, 14}),
            pushButton("Never", kDisabled, Rect{60, 120, 50, 14}, WS_DISABLED),
            defaultPushButton("OK", IDOK, Rect{90, 140, 50, 14}),
            pushButton("Cancel", IDCANCEL, Rect{145, 140, 50, 14}),
        }};
    return dialog;
}

class TestDialog : public ui::Dialog {
public:
    explicit TestDialog(const ui::DialogTemplate& source = testTemplate(), ui::Dialog* parent = nullptr)
        : Dialog(source, parent) {}

    // Runs at the end of the initialisation, after the members went to the controls.
    std::function<void(TestDialog&)> initialise;
    std::function<void(TestDialog&, int id, int notification)> command;
    bool swallowEnterAndEscape = false;

    std::vector<std::string> heard;
    std::string name;
    int check = 0;
    int radio = -1;
    int listSelection = -1;

    using Dialog::updateData;

protected:
    bool onInitDialog() override {
        bool result = Dialog::onInitDialog();
        showControl(kHidden, false);
        if (initialise) initialise(*this);
        return result;
    }
    void onCommand(int id, int notification) override {
        heard.push_back("command " + std::to_string(id) + " " + std::to_string(notification));
        if (command) command(*this, id, notification);
    }
    void onSysCommand(unsigned id) override {
        heard.push_back("syscommand " + std::to_string(id));
        Dialog::onSysCommand(id);
    }
    void onOK() override {
        heard.push_back("ok");
        Dialog::onOK();
    }
    void onCancel() override {
        heard.push_back("cancel");
        Dialog::onCancel();
    }
    bool preTranslateKey(int, int virtualKey) override {
        return swallowEnterAndEscape && (virtualKey == VK_RETURN || virtualKey == VK_ESCAPE);
    }
    void doDataExchange(ui::DataExchange& exchange) override {
        exchange.text(kName, name);
        exchange.check(kCheck, check);
        exchange.radio(kRadioA, radio);
        exchange.comboSelection(kList, listSelection);
    }
};

}  // namespace testsupport

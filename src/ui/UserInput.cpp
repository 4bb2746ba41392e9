#include "UserInput.h"

#include "Control.h"
#include "Dialog.h"

#include <algorithm>

namespace ui {

namespace {

bool isButton(ControlKind kind) {
    return kind == ControlKind::PushButton || kind == ControlKind::CheckBox || kind == ControlKind::RadioButton;
}

}  // namespace

Refusal UserInput::reachable(int id) const {
    const ControlState* control = dialog_.state(id);
    if (control == nullptr) return "no control " + std::to_string(id);
    if (!control->visible) return "control " + std::to_string(id) + " is hidden";
    if (!control->enabled) return "control " + std::to_string(id) + " is disabled";
    return std::nullopt;
}

void UserInput::accept() const {
    if (accepted_) accepted_();
}

Refusal UserInput::typeText(int id, const std::string& text) {
    if (Refusal refusal = reachable(id)) return refusal;
    ControlState& edit = *dialog_.state(id);
    if (edit.source->kind != ControlKind::Edit) return "control " + std::to_string(id) + " is not an edit";
    if (edit.readOnly) return "edit " + std::to_string(id) + " is read-only";
    accept();
    edit.text = text;
    dialog_.changed(edit);
    return std::nullopt;
}

Refusal UserInput::pickItem(int id, int index) {
    if (Refusal refusal = reachable(id)) return refusal;
    ControlState& list = *dialog_.state(id);
    if (list.source->kind != ControlKind::DropDownList) {
        return "control " + std::to_string(id) + " is not a drop-down list";
    }
    if (index < 0 || index >= static_cast<int>(list.items.size())) {
        return "list " + std::to_string(id) + " has no item " + std::to_string(index);
    }
    accept();
    list.selection = index;
    list.text = list.items[index].text;
    dialog_.changed(list);
    dialog_.dispatchCommand(id, CBN_SELCHANGE);
    return std::nullopt;
}

Refusal UserInput::click(int id) {
    if (Refusal refusal = reachable(id)) return refusal;
    ControlState& control = *dialog_.state(id);
    bool isText = control.source->kind == ControlKind::Edit || control.source->kind == ControlKind::DropDownList;
    if (isText) return "control " + std::to_string(id) + " is not a button";
    accept();
    switch (control.source->kind) {
    case ControlKind::PushButton:
        break;
    case ControlKind::CheckBox:
        control.checkState = control.checkState == 0 ? 1 : 0;
        dialog_.changed(control);
        break;
    case ControlKind::RadioButton: {
        // The group runs from the nearest WS_GROUP control at or before this
        // one up to the next WS_GROUP control.
        auto& controls = dialog_.controls_;
        std::size_t self = static_cast<std::size_t>(&control - controls.data());
        std::size_t first = self;
        while (first > 0 && !(controls[first].source->style & WS_GROUP)) --first;
        for (std::size_t i = first; i < controls.size(); ++i) {
            if (i != first && (controls[i].source->style & WS_GROUP)) break;
            if (controls[i].source->kind != ControlKind::RadioButton) continue;
            // Every button of the group is told again: the view may have
            // unset the clicked one itself.
            controls[i].checkState = i == self ? 1 : 0;
            dialog_.changed(controls[i]);
        }
        break;
    }
    case ControlKind::Edit:
    case ControlKind::DropDownList:
        return std::nullopt;  // refused above
    case ControlKind::Static:
    case ControlKind::Picture:
    case ControlKind::IconStatic:
    case ControlKind::GroupBox:
        if (!(control.source->style & SS_NOTIFY)) return std::nullopt;
        if (auto attached = dialog_.attached_.find(id); attached != dialog_.attached_.end()) {
            attached->second->onClicked();
        }
        dialog_.dispatchCommand(id, STN_CLICKED);
        return std::nullopt;
    }
    dialog_.dispatchCommand(id, BN_CLICKED);
    return std::nullopt;
}

Refusal UserInput::pressKey(int id, int virtualKey) {
    const ControlState* focused = nullptr;
    if (id != 0) {
        if (Refusal refusal = reachable(id)) return refusal;
        focused = dialog_.state(id);
    }
    accept();
    if (dialog_.preTranslateKey(id, virtualKey)) return std::nullopt;

    switch (virtualKey) {
    case VK_RETURN: {
        int target = focused != nullptr && focused->source->kind == ControlKind::PushButton
                         ? id
                         : dialog_.defaultButton();
        // With no such button the command still goes out, as the dialog
        // manager sends it; a disabled or hidden one takes no Enter.
        const ControlState* button = dialog_.state(target);
        if (button != nullptr && (!button->enabled || !button->visible)) return std::nullopt;
        dialog_.dispatchCommand(target, BN_CLICKED);
        return std::nullopt;
    }
    case VK_ESCAPE:
        dialog_.dispatchCommand(IDCANCEL, BN_CLICKED);
        return std::nullopt;
    case VK_SPACE:
        if (focused != nullptr && isButton(focused->source->kind)) UserInput(dialog_).click(id);
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

Refusal UserInput::close() {
    if (!dialog_.hasSystemMenu()) return "dialog " + std::to_string(dialog_.templateId()) + " has no close box";
    accept();
    dialog_.dispatchCommand(IDCANCEL, BN_CLICKED);
    return std::nullopt;
}

Refusal UserInput::systemCommand(unsigned id) {
    const auto& menu = dialog_.systemMenu();
    bool present = id != 0 && std::any_of(menu.begin(), menu.end(),
                                          [id](const SystemMenuItem& item) { return item.id == id; });
    if (!present) return "no system-menu item " + std::to_string(id);
    accept();
    dialog_.onSysCommand(id);
    return std::nullopt;
}

}  // namespace ui

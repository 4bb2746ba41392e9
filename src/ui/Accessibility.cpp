#include "Accessibility.h"

#include "Cp932.h"
#include "Dialog.h"

namespace ui {

std::string withoutMnemonic(std::string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (cp932::isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
            result.append(text.substr(i, 2));
            ++i;
        } else if (text[i] != '&') {
            result += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '&') {
            result += '&';
            ++i;
        }
    }
    return result;
}

std::string accessibleName(const Dialog& dialog, std::size_t index) {
    const ControlState& control = dialog.controlState(index);
    switch (control.source->kind) {
    case ControlKind::Edit:
    case ControlKind::DropDownList:
    case ControlKind::Picture:
    case ControlKind::IconStatic:
        break;
    default:
        return withoutMnemonic(control.text);
    }
    if (index == 0) return {};
    const ControlState& before = dialog.controlState(index - 1);
    return before.source->kind == ControlKind::Static ? withoutMnemonic(before.text) : std::string();
}

}  // namespace ui

#include "DataExchange.h"

#include "Dialog.h"

namespace ui {

void DataExchange::text(int id, std::string& value) {
    if (saving_) {
        value = dialog_.controlText(id);
    } else {
        dialog_.setControlText(id, value);
    }
}

void DataExchange::check(int id, int& value) {
    if (saving_) {
        value = dialog_.checkState(id);
    } else {
        dialog_.setCheckState(id, value);
    }
}

void DataExchange::radio(int firstId, int& value) {
    auto first = dialog_.indexOf(firstId);
    if (!first) return;
    if (saving_) value = -1;
    int position = 0;
    for (std::size_t i = *first; i < dialog_.controlCount(); ++i) {
        const ControlState& button = dialog_.controlState(i);
        if (button.source->kind != ControlKind::RadioButton) break;
        if (i != *first && (button.source->style & WS_GROUP)) break;
        if (saving_) {
            if (button.checkState != 0) value = position;
        } else {
            dialog_.setCheckState(button.source->id, position == value ? 1 : 0);
        }
        ++position;
    }
}

void DataExchange::comboSelection(int id, int& index) {
    if (saving_) {
        index = dialog_.selection(id);
    } else {
        dialog_.setSelection(id, index);
    }
}

void DataExchange::control(int id, Control& control) { dialog_.attach(id, control); }

}  // namespace ui

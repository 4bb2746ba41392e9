#include "DialogNavigation.h"

#include "Cp932.h"
#include "Dialog.h"

namespace ui {

namespace {

bool canTakeFocus(const ControlState& control) {
    switch (control.source->kind) {
    case ControlKind::Static:
    case ControlKind::Picture:
    case ControlKind::IconStatic:
    case ControlKind::GroupBox:
        return false;
    default:
        return control.enabled && control.visible;
    }
}

std::size_t groupStart(const Dialog& dialog, std::size_t index) {
    while (index > 0 && !(dialog.controlState(index).source->style & WS_GROUP)) --index;
    return index;
}

// One past the group's last control.
std::size_t groupEnd(const Dialog& dialog, std::size_t index) {
    std::size_t end = index + 1;
    while (end < dialog.controlCount() && !(dialog.controlState(end).source->style & WS_GROUP)) ++end;
    return end;
}

// Tab lands on a group of radio buttons at its checked button, when there
// is one that can take the focus.
std::size_t checkedRadioOfGroup(const Dialog& dialog, std::size_t index) {
    if (dialog.controlState(index).source->kind != ControlKind::RadioButton) return index;
    for (std::size_t i = groupStart(dialog, index); i < groupEnd(dialog, index); ++i) {
        const ControlState& control = dialog.controlState(i);
        if (control.source->kind == ControlKind::RadioButton && control.checkState != 0 && canTakeFocus(control)) {
            return i;
        }
    }
    return index;
}

}  // namespace

std::optional<std::size_t> nextTabStop(const Dialog& dialog, std::optional<std::size_t> from, bool backward) {
    const std::size_t count = dialog.controlCount();
    if (count == 0) return std::nullopt;
    // A radio button's own group is left, never re-entered.
    std::optional<std::size_t> ownGroup;
    if (from && dialog.controlState(*from).source->kind == ControlKind::RadioButton) {
        ownGroup = groupStart(dialog, *from);
    }
    std::size_t position = from ? *from : (backward ? 0 : count - 1);
    for (std::size_t step = 0; step < count; ++step) {
        position = backward ? (position + count - 1) % count : (position + 1) % count;
        const ControlState& control = dialog.controlState(position);
        if (!(control.source->style & WS_TABSTOP) || !canTakeFocus(control)) continue;
        if (ownGroup && groupStart(dialog, position) == *ownGroup && position != *from) continue;
        return checkedRadioOfGroup(dialog, position);
    }
    return std::nullopt;
}

std::optional<std::size_t> nextInGroup(const Dialog& dialog, std::size_t from, bool backward) {
    const std::size_t start = groupStart(dialog, from);
    const std::size_t size = groupEnd(dialog, from) - start;
    std::size_t offset = from - start;
    for (std::size_t step = 1; step < size; ++step) {
        offset = backward ? (offset + size - 1) % size : (offset + 1) % size;
        if (canTakeFocus(dialog.controlState(start + offset))) return start + offset;
    }
    return std::nullopt;
}

int listItemAfterMove(const std::vector<ComboItem>& items, int current, ListMove move) {
    const int count = static_cast<int>(items.size());
    auto firstChoice = [&](int from, int step) {
        for (int i = from; i >= 0 && i < count; i += step) {
            if (!items[static_cast<std::size_t>(i)].heading) return i;
        }
        return current;
    };
    switch (move) {
    case ListMove::Previous: return firstChoice(current - 1, -1);
    case ListMove::Next: return firstChoice(current + 1, 1);
    case ListMove::First: return firstChoice(0, 1);
    case ListMove::Last: return firstChoice(count - 1, -1);
    }
    return current;
}

int listItemTypedAhead(const std::vector<ComboItem>& items, int current, std::string_view typed) {
    const int count = static_cast<int>(items.size());
    if (typed.empty()) return current;
    const std::string prefix = cp932::foldNoCaseMultiByte(typed);
    for (int step = 1; step <= count; ++step) {
        const int i = ((current + step) % count + count) % count;
        const ComboItem& item = items[static_cast<std::size_t>(i)];
        if (!item.heading && cp932::foldNoCaseMultiByte(item.text).starts_with(prefix)) return i;
    }
    return current;
}

}  // namespace ui

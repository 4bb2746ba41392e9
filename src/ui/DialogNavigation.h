// The keyboard rules of the dialog manager, for backends that must provide
// them themselves. A group runs from a control with WS_GROUP up to the next
// one; Tab goes from tab stop to tab stop and enters a group of radio
// buttons at its checked button; the arrow keys move within a group.
#pragma once

#include <cstddef>
#include <optional>

namespace ui {

class Dialog;

// The control Tab (or Shift+Tab, backward) moves the focus to from the
// control at `from` (none: from before the first control).
std::optional<std::size_t> nextTabStop(const Dialog& dialog, std::optional<std::size_t> from, bool backward);

// The control an arrow key moves to within the group of the control at
// `from`, wrapping around; only controls that can take the focus count.
std::optional<std::size_t> nextInGroup(const Dialog& dialog, std::size_t from, bool backward);

}  // namespace ui

// The keyboard rules of the dialog manager, for backends that must provide
// them themselves. A group runs from a control with WS_GROUP up to the next
// one; Tab goes from tab stop to tab stop and enters a group of radio
// buttons at its checked button; the arrow keys move within a group. And
// the program's own rule for drop-down lists, which every backend applies:
// the keys pass over headings.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace ui {

class Dialog;
struct ComboItem;

// The control Tab (or Shift+Tab, backward) moves the focus to from the
// control at `from` (none: from before the first control).
std::optional<std::size_t> nextTabStop(const Dialog& dialog, std::optional<std::size_t> from, bool backward);

// The control an arrow key moves to within the group of the control at
// `from`, wrapping around; only controls that can take the focus count.
std::optional<std::size_t> nextInGroup(const Dialog& dialog, std::size_t from, bool backward);

// The keys that move a drop-down list: the arrow keys one item back or on,
// Home and Page Up to the first choice, End and Page Down to the last.
enum class ListMove { Previous, Next, First, Last };

// The item a list at `current` moves to, passing over headings in the
// direction of travel; `current` when there is no choice that way.
int listItemAfterMove(const std::vector<ComboItem>& items, int current, ListMove move);

// Type-ahead: the next choice after `current`, wrapping around, whose text
// starts with `typed` (CP932, ASCII letters in either case); `current` when
// none does.
int listItemTypedAhead(const std::vector<ComboItem>& items, int current, std::string_view typed);

}  // namespace ui

// What assistive technology is told about a control, derived from the
// template as Windows derives it: a control with a text of its own is named
// by it; one without (an edit, a drop-down list) by the static text right
// before it in the template. The mnemonic '&' is dropped either way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ui {

class Dialog;

// CP932.
std::string accessibleName(const Dialog& dialog, std::size_t index);

// A label's text as it is read: "&&" is a literal '&', any other '&' marks
// the mnemonic and is dropped.
std::string withoutMnemonic(std::string_view text);

}  // namespace ui

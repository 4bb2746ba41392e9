// How the program refuses what a user typed that cannot be stored whole: an
// empty box that must hold something, or a text longer than the record field
// it goes into. Each refusal is one warning in the program's words, and the
// dialog stays open with the text as typed; nothing is ever cut to fit.
#pragma once

#include <cstddef>
#include <string_view>

// Bytes of user name that fit the stored user name in front of `domain`
// (0 when the domain alone fills it).
std::size_t userNameRoom(std::string_view domain);

// True when `value` is not empty; otherwise warns with `message`.
bool requireText(std::string_view value, const char* message);

// True when `value` fits `room` bytes; otherwise warns that `fieldName` is
// too long, giving the limit in half-width (one byte) and full-width
// characters.
bool fitsField(std::string_view value, std::size_t room, const char* fieldName);

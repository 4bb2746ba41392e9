// The line format of the store files keeps CP932 text as it is, byte for
// byte, and escapes only what a line cannot hold or what would not read
// back as the same bytes.
#pragma once

#include <string>
#include <string_view>

namespace standin::ras {

// Escapes a value for one line of a store file. Double-byte characters stay
// as they are, including trail bytes 0x5C and 0x7C; a single-byte backslash
// becomes "\\", newline, CR and tab become "\n", "\r", "\t", and any other
// control byte, an orphan lead byte or a byte CP932 does not define becomes
// "\xHH". The result is one line without tabs; CP932 text in it stays
// readable as such.
std::string escapeText(std::string_view bytes);

// Reverses escapeText. False, with `bytes` unspecified, on an unknown or
// incomplete escape sequence, an escape that would yield NUL, or a control
// byte standing unescaped (a stray CR, say).
bool unescapeText(std::string_view text, std::string& bytes);

// CP932 bytes as UTF-8 for people: what is not a CP932 character, and
// control bytes, show as \xHH so that the text stays on its line.
std::string forDisplay(std::string_view cp932Text);

// True for CP932 text without control characters: what names must be, so
// that they list one a line and convert for display.
bool isPlainText(std::string_view bytes);

}  // namespace standin::ras

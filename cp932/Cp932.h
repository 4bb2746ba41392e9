// Helpers for CP932 (Windows' Japanese ANSI code page) byte strings, the
// encoding of every text inside the program.
#pragma once

#include <string>
#include <string_view>

namespace cp932 {

// True for a byte that starts a double-byte character (0x81-0x9F, 0xE0-0xFC).
bool isLeadByte(unsigned char byte);

// Byte-wise comparison that folds ASCII letters wherever they stand, trail
// bytes included, as the C runtime's _stricmp does. <0, 0 or >0.
int compareAsciiNoCase(std::string_view a, std::string_view b);

// Folds ASCII letters only in single-byte characters; double-byte characters
// compare byte for byte, as _mbsicmp does. <0, 0 or >0.
int compareNoCaseMultiByte(std::string_view a, std::string_view b);

// The text with ASCII letters in single-byte characters lowered: two texts
// have the same key exactly when compareNoCaseMultiByte finds them equal.
std::string foldNoCaseMultiByte(std::string_view text);

// Conversions at the program's borders. They fail (returning false and
// leaving the output empty) rather than replace what the other side cannot
// hold.
bool toUtf8(std::string_view cp932Text, std::string& utf8);
bool fromUtf8(std::string_view utf8Text, std::string& cp932);

// Conveniences for texts known to convert (the program's own literals);
// they throw std::invalid_argument when the text does not.
std::string toUtf8(std::string_view cp932Text);
std::string fromUtf8(std::string_view utf8Text);

}  // namespace cp932

// What an edit takes of a text typed or pasted into it: the program keeps
// every text in CP932 and must never receive a character it would lose, so
// an edit keeps what CP932 can hold and says, beside itself, what it left out.
#pragma once

#include <string>
#include <string_view>

namespace ui {

struct Cp932Input {
    std::string kept;     // every character CP932 can hold, in CP932
    std::string refused;  // the characters left out (UTF-8), each once
};

// utf8: the text as the edit would hold it.
Cp932Input keepCp932Characters(std::string_view utf8);

// The hint for characters left out. UTF-8 in and out: they have no CP932 form.
std::string refusedCharactersHint(std::string_view refused);

// How long the hint stays, as long as a tooltip.
constexpr int kRefusedCharactersHintMilliseconds = 5000;

}  // namespace ui

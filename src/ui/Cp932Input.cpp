#include "Cp932Input.h"

#include "Cp932.h"

namespace ui {

namespace {

// The bytes of the UTF-8 character starting at `lead`; a stray byte is a
// character of its own, which CP932 cannot hold.
std::size_t characterLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

}  // namespace

Cp932Input keepCp932Characters(std::string_view utf8) {
    Cp932Input input;
    if (cp932::fromUtf8(utf8, input.kept)) return input;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::string_view character = utf8.substr(i, characterLength(static_cast<unsigned char>(utf8[i])));
        std::string held;
        if (cp932::fromUtf8(character, held)) {
            input.kept += held;
        } else if (input.refused.find(character) == std::string::npos) {
            input.refused += character;
        }
        i += character.size();
    }
    return input;
}

std::string refusedCharactersHint(std::string_view refused) {
    return "「" + std::string(refused) + "」は使えない文字です。入力できません。";
}

}  // namespace ui

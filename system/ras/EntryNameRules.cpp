#include "EntryNameRules.h"

#include "Cp932.h"
#include "ras.h"

#include <cctype>
#include <cstring>
#include <string>

namespace standin::ras {

namespace {

constexpr char kForbidden[] = "\\/:*?<>|";

// A double-byte character counts as a letter unless it comes from the
// first row of JIS X 0208 (lead byte 0x81: the ideographic space,
// punctuation and symbols). Half-width katakana (0xA6 to 0xDF) are letters.
bool isLetterOrDigit(std::string_view character) {
    const auto first = static_cast<unsigned char>(character[0]);
    if (character.size() == 2) return first != 0x81;
    return std::isalnum(first) != 0 || (first >= 0xA6 && first <= 0xDF);
}

}  // namespace

Status checkPublishedEntryNameRules(std::string_view name) {
    if (!name.empty() && name.front() == '.') {
        return failure(ERROR_INVALID_NAME, "an entry name cannot begin with a period");
    }
    bool hasLetterOrDigit = false;
    for (std::size_t i = 0; i < name.size();) {
        // Walked by character: a trail byte may equal '\\' or '|'.
        const std::size_t length = cp932::isLeadByte(static_cast<unsigned char>(name[i])) ? 2 : 1;
        const std::string_view character = name.substr(i, length);
        if (length == 1 && std::strchr(kForbidden, character[0]) != nullptr) {
            return failure(ERROR_INVALID_NAME, "an entry name cannot hold " + std::string(character));
        }
        hasLetterOrDigit = hasLetterOrDigit || isLetterOrDigit(character);
        i += length;
    }
    if (!hasLetterOrDigit) return failure(ERROR_INVALID_NAME, "an entry name needs a letter or a digit");
    return {};
}

}  // namespace standin::ras

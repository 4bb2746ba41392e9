#include "Text.h"

#include "Cp932.h"

#include <string>
#include <unordered_map>

namespace resources {

const char* text(std::string_view utf8Literal) {
    // Node-based, so the stored strings never move.
    static std::unordered_map<std::string, std::string> converted;
    auto it = converted.find(std::string(utf8Literal));
    if (it == converted.end()) {
        it = converted.emplace(std::string(utf8Literal), cp932::fromUtf8(utf8Literal)).first;
    }
    return it->second.c_str();
}

}  // namespace resources

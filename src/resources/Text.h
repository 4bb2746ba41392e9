// The program's own texts. Sources are UTF-8; inside the program every text
// is CP932, so each literal is converted here, once, and kept.
#pragma once

#include <string_view>

namespace resources {

// The CP932 form of a UTF-8 literal of the program. The pointer stays valid
// for the life of the process.
const char* text(std::string_view utf8Literal);

}  // namespace resources

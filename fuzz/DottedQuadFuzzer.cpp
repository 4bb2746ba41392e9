// Name-server addresses from ISP_INF.csv: any text, terminated as a settings
// value is.
#include "FuzzSupport.h"
#include "IspSettings.h"

#include <algorithm>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const RASIPADDR untouched{9, 9, 9, 9};
    RASIPADDR address = untouched;
    if (parseDottedQuad(text.c_str(), address)) {
        const std::size_t length = std::strlen(text.c_str());
        fuzzing::require(std::count(text.c_str(), text.c_str() + length, '.') == 3,
                         "a valid address has exactly three dots");
    } else {
        fuzzing::require(std::memcmp(&address, &untouched, sizeof untouched) == 0,
                         "an invalid address leaves the output alone");
    }
    return 0;
}

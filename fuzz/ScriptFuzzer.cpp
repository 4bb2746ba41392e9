// A script for the script backend as any bytes.
#include "FuzzSupport.h"
#include "Script.h"

#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
    const ui::ParsedScript script = ui::parseScript(input);
    fuzzing::require(script.error.empty() || script.error.starts_with("line "), "an error names its line");
    return 0;
}

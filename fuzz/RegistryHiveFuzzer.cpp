// A registry hive file as any bytes. What the stand-in accepts it must write
// back so that it reads the same again, and every key it lists exists.
#include "FuzzSupport.h"
#include "Hive.h"

#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    standin::Hive hive("HKEY_CURRENT_USER");
    std::string error;
    if (!hive.parse(text, error)) return 0;
    for (const standin::RegistryKey& key : hive.keys()) {
        fuzzing::require(hive.hasKey(key.path), "every listed key exists");
    }
    const std::string written = hive.serialize();
    standin::Hive again("HKEY_CURRENT_USER");
    fuzzing::require(again.parse(written, error), "what the store writes it reads back");
    fuzzing::require(again.serialize() == written, "what the store reads back it writes unchanged");
    return 0;
}

// phonebook.txt and credentials.txt as any bytes. What the stand-in accepts
// it must write back so that it reads the same again.
#include "Credentials.h"
#include "FuzzSupport.h"
#include "Phonebook.h"

#include <string>
#include <string_view>

namespace {

template <typename Records>
void checkRoundTrip(std::string_view content, bool (*parse)(std::string_view, Records&, std::string&),
                    std::string (*serialize)(const Records&)) {
    Records records;
    std::string reason;
    if (!parse(content, records, reason)) return;
    const std::string written = serialize(records);
    Records again;
    fuzzing::require(parse(written, again, reason), "what the store writes it reads back");
    fuzzing::require(serialize(again) == written, "what the store reads back it writes unchanged");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    checkRoundTrip<standin::ras::Phonebook>(content, standin::ras::parsePhonebook,
                                            standin::ras::serializePhonebook);
    checkRoundTrip<standin::ras::Credentials>(content, standin::ras::parseCredentials,
                                              standin::ras::serializeCredentials);
    return 0;
}

// ISP_INF.csv as any bytes: every lookup reads the file as the program does.
#include "FuzzSupport.h"
#include "IspSettings.h"

#include <cstring>

namespace {

// The longest value a settings line can carry: 512 bytes less the key's
// first byte and the comma.
constexpr std::size_t kLongestValue = 510;

class CheckingDialog : public DialogTextSink {
public:
    void setControlText(int controlId, const char* text) override {
        fuzzing::require(controlId == kConnectionNameBoxId || controlId == kAccessNumberBoxId,
                         "defaults go only to the name and number boxes");
        fuzzing::require(std::strlen(text) <= kLongestValue, "a default fits the line it came from");
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzing::ScratchFile file("ISP_INF.csv");
    const IspSettings settings(file.write(data, size));
    for (int kind = 0; kind <= 6; ++kind) {
        fuzzing::require(settings.lookupDomain(static_cast<DomainKind>(kind)).size() <= kLongestValue,
                         "a domain fits the line it came from");
        fuzzing::require(settings.lookupDefaultNumber(static_cast<NumberKind>(kind)).size() <= kLongestValue,
                         "a number fits the line it came from");
    }
    const RASIPADDR untouched{9, 9, 9, 9};
    RASIPADDR primary = untouched;
    RASIPADDR secondary = untouched;
    if (!settings.lookupDnsServers(primary, secondary)) {
        fuzzing::require(std::memcmp(&primary, &untouched, sizeof untouched) == 0 &&
                             std::memcmp(&secondary, &untouched, sizeof untouched) == 0,
                         "name servers switched off leave both addresses alone");
    }
    CheckingDialog dialog;
    settings.loadDialogDefaults(dialog);
    return 0;
}

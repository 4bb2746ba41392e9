#include "IspSettings.h"

#include "Cp932.h"
#include "Platform.h"
#include "ProviderCsvFile.h"

#include <cstring>
#include <string_view>
#include <utility>

namespace {

constexpr char kSettingsFileName[] = "ISP_INF.csv";

// Line buffer capacities, NUL included; the name-server reader's lines are
// one byte shorter than the other lookups'.
constexpr std::size_t kLookupLineCapacity = 513;
constexpr std::size_t kDnsLineCapacity = 512;

std::string settingsFilePath() {
    char path[MAX_PATH];
    // A path that does not fit stays empty and reads as a missing file.
    dataFilePath(kSettingsFileName, path);
    return path;
}

bool isKey(std::string_view field, const char* key) {
    return cp932::compareAsciiNoCase(field, key) == 0;
}

// Calls handleRow(key, value) for every row with a non-empty key and value,
// in file order. A missing or unreadable file has no rows.
template <std::size_t Capacity, typename RowHandler>
void forEachSettingsRow(const std::string& filePath, ProviderFileObserver* observer, RowHandler handleRow) {
    ProviderCsvFile file;
    if (!file.open(filePath.c_str())) return;
    file.observe(observer);
    char line[Capacity] = {};
    while (file.readLine(line, sizeof line)) {
        FirstCommaRow row;
        if (!splitAtFirstComma(line, row)) {
            if (observer != nullptr) observer->lineSkipped(std::strchr(line, ',') ? LineSkip::EmptyValue : LineSkip::NoComma);
        } else if (row.firstField.empty()) {
            if (observer != nullptr) observer->lineSkipped(LineSkip::EmptyKey);
        } else {
            handleRow(row.firstField, row.value);
        }
    }
}

constexpr const char* kKeys[] = {"OldDomain",        "DialupDomain",        "MobileDomain",
                                  "FletsIsdnDomain",  "AirHDomain",          "DefaultTelNumber",
                                  "DefaultMobileNumber", "DefaultFletsIsdnNumber", "SetDnsIpAddress",
                                  "Dns1",             "Dns2",                "DefaultEntryName"};

const char* domainKey(DomainKind kind) {
    switch (kind) {
    case DomainKind::Dialup: return "DialupDomain";
    case DomainKind::Mobile: return "MobileDomain";
    case DomainKind::FletsIsdn: return "FletsIsdnDomain";
    case DomainKind::AirH: return "AirHDomain";
    case DomainKind::Old: return "OldDomain";
    }
    return nullptr;
}

const char* numberKey(NumberKind kind) {
    switch (kind) {
    case NumberKind::DefaultTel: return "DefaultTelNumber";
    case NumberKind::DefaultMobile: return "DefaultMobileNumber";
    case NumberKind::DefaultFletsIsdn: return "DefaultFletsIsdnNumber";
    }
    return nullptr;
}

}  // namespace

std::span<const char* const> ispSettingsKeys() { return kKeys; }

IspSettings::IspSettings() : filePath_(settingsFilePath()) {}

IspSettings::IspSettings(std::string filePath) : filePath_(std::move(filePath)) {}

void IspSettings::taken(const char* key) const {
    if (observer_ != nullptr) observer_->settingTaken(key);
}

std::string IspSettings::lookupValue(const char* key) const {
    std::string result;
    if (key == nullptr) return result;
    forEachSettingsRow<kLookupLineCapacity>(filePath_, observer_, [&](std::string_view field, std::string_view value) {
        if (!isKey(field, key)) return;
        result.assign(value);
        taken(key);
    });
    return result;
}

std::string IspSettings::lookupDomain(DomainKind kind) const { return lookupValue(domainKey(kind)); }

std::string IspSettings::lookupDefaultNumber(NumberKind kind) const { return lookupValue(numberKey(kind)); }

bool IspSettings::lookupDnsServers(RASIPADDR& primary, RASIPADDR& secondary) const {
    bool switchedOn = false;
    std::string primaryText;
    std::string secondaryText;
    forEachSettingsRow<kDnsLineCapacity>(filePath_, observer_, [&](std::string_view field, std::string_view value) {
        if (isKey(field, "SetDnsIpAddress")) {
            // Once on, a later row does not switch it off again.
            if (cp932::compareAsciiNoCase(value, "TRUE") == 0) switchedOn = true;
            taken("SetDnsIpAddress");
        }
        if (isKey(field, "Dns1")) {
            primaryText.assign(value);
            taken("Dns1");
        }
        if (isKey(field, "Dns2")) {
            secondaryText.assign(value);
            taken("Dns2");
        }
    });
    if (switchedOn) {
        parseDottedQuad(primaryText.c_str(), primary);
        parseDottedQuad(secondaryText.c_str(), secondary);
    }
    return switchedOn;
}

bool IspSettings::loadDialogDefaults(DialogTextSink& dialog) const {
    bool found = false;
    forEachSettingsRow<kLookupLineCapacity>(filePath_, observer_, [&](std::string_view field, std::string_view value) {
        // The row's value ends the line, so it is NUL-terminated in the line buffer.
        if (isKey(field, "DefaultEntryName")) {
            dialog.setControlText(kConnectionNameBoxId, value.data());
            found = true;
            taken("DefaultEntryName");
        }
        if (isKey(field, "DefaultTelNumber")) {
            dialog.setControlText(kAccessNumberBoxId, value.data());
            found = true;
            taken("DefaultTelNumber");
        }
    });
    return found;
}

bool parseDottedQuad(const char* text, RASIPADDR& out) { return readDottedQuad(text, out) == DottedQuadFault::None; }

DottedQuadFault readDottedQuad(const char* text, RASIPADDR& out) {
    if (text == nullptr || *text == '\0') return DottedQuadFault::Empty;
    // Longer parts are refused, leading zeros or not.
    constexpr std::size_t kMaxPartLength = 4;
    BYTE parts[4] = {};
    int dots = 0;
    std::size_t partStart = 0;
    std::size_t length = std::strlen(text);
    // A number outside 0 to 255 is refused: keeping its low byte would name
    // another server.
    auto storePart = [&](std::size_t end) {
        int value = leadingDecimalValue(std::string_view(text + partStart, end - partStart));
        if (value < 0 || value > 255) return false;
        parts[dots] = static_cast<BYTE>(value);
        return true;
    };
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == '.') {
            if (dots >= 3) return DottedQuadFault::TooManyDots;
            if (!storePart(i)) return DottedQuadFault::OutOfRange;
            ++dots;
            partStart = i + 1;
        } else if (i - partStart + 1 > kMaxPartLength) {
            return DottedQuadFault::PartTooLong;
        }
    }
    if (dots != 3) return DottedQuadFault::TooFewDots;
    if (length == partStart) return DottedQuadFault::EmptyLastPart;
    if (!storePart(length)) return DottedQuadFault::OutOfRange;
    out.a = parts[0];
    out.b = parts[1];
    out.c = parts[2];
    out.d = parts[3];
    return DottedQuadFault::None;
}

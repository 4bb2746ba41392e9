#include "AccessPointTable.h"

#include "Platform.h"
#include "ProviderCsvFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kLineCapacity = 513;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void AccessPointTable::clear() {
    records_.clear();
    records_.shrink_to_fit();
}

void AccessPointTable::append(const AccessPointRecord& record) {
    if (records_.size() == records_.capacity()) {
        std::size_t growth = std::clamp<std::size_t>(records_.size() / 8, 4, 1024);
        records_.reserve(records_.size() + growth);
    }
    records_.push_back(record);
}

bool loadAccessPointTable(const char* fileName, AccessPointTable& table) {
    char path[MAX_PATH];
    // A path that does not fit stays empty and reads as a missing file.
    dataFilePath(fileName, path);
    return loadAccessPointTableFile(path, table);
}

bool loadAccessPointTableFile(const char* filePath, AccessPointTable& table, ProviderFileObserver* observer) {
    table.clear();
    if (!providerFileExists(filePath)) return false;
    ProviderCsvFile file;
    if (!file.open(filePath)) return true;
    file.observe(observer);
    char line[kLineCapacity] = {};
    while (file.readLine(line, sizeof line)) {
        // The first field is the provider's own label and may be empty.
        FirstCommaRow row;
        if (!splitAtFirstComma(line, row)) {
            if (observer != nullptr) observer->lineSkipped(std::strchr(line, ',') ? LineSkip::EmptyValue : LineSkip::NoComma);
            continue;
        }
        AccessPointRecord record{};
        if (!splitAccessNumber(row.value, record.areaCode, record.localNumber)) {
            if (observer != nullptr) observer->lineSkipped(LineSkip::TooWide);
            continue;
        }
        table.append(record);
        if (observer != nullptr) observer->accessPointRead(record);
    }
    return true;
}

bool splitAccessNumber(std::string_view value, char (&areaCodeOut)[RAS_MaxAreaCode + 1],
                       char (&localNumberOut)[RAS_MaxPhoneNumber + 1]) {
    areaCodeOut[0] = '\0';
    localNumberOut[0] = '\0';
    std::size_t hyphen = value.find('-');
    if (hyphen == std::string_view::npos) {
        if (value.size() > RAS_MaxPhoneNumber) return false;
        std::memcpy(localNumberOut, value.data(), value.size());
        localNumberOut[value.size()] = '\0';
        return true;
    }
    if (hyphen > RAS_MaxAreaCode) return false;
    // Hyphens, blanks and brackets inside the local number are dropped.
    std::size_t digits = 0;
    for (char c : value.substr(hyphen + 1)) {
        if (!isDigit(c)) continue;
        if (digits == RAS_MaxPhoneNumber) {
            localNumberOut[0] = '\0';
            return false;
        }
        localNumberOut[digits++] = c;
    }
    localNumberOut[digits] = '\0';
    std::memcpy(areaCodeOut, value.data(), hyphen);
    areaCodeOut[hyphen] = '\0';
    return true;
}

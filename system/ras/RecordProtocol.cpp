#include "RecordProtocol.h"

namespace standin::ras {

DWORD entryRecordSize(const std::vector<std::string>& alternates) {
    std::size_t size = sizeof(RASENTRYA);
    if (!alternates.empty()) ++size;
    for (const std::string& number : alternates) size += number.size() + 1;
    return size <= std::numeric_limits<DWORD>::max() ? static_cast<DWORD>(size) : 0;
}

DWORD alternateOffset(const std::vector<std::string>& alternates) {
    return alternates.empty() ? 0 : sizeof(RASENTRYA);
}

void fillEntryRecord(RASENTRYA* buffer, const RASENTRYA& properties, const std::vector<std::string>& alternates) {
    RASENTRYA record = properties;
    record.dwSize = sizeof(RASENTRYA);
    record.dwAlternateOffset = alternateOffset(alternates);
    std::memcpy(buffer, &record, sizeof record);
    if (alternates.empty()) return;
    auto* list = reinterpret_cast<char*>(buffer) + record.dwAlternateOffset;
    for (const std::string& number : alternates) {
        std::memcpy(list, number.c_str(), number.size() + 1);
        list += number.size() + 1;
    }
    *list = '\0';
}

bool alternatesOf(const RASENTRYA& record, DWORD size, std::vector<std::string>& alternates) {
    alternates.clear();
    if (record.dwAlternateOffset == 0) return true;
    if (record.dwAlternateOffset < sizeof(RASENTRYA) || record.dwAlternateOffset >= size) return false;
    const auto* at = reinterpret_cast<const char*>(&record) + record.dwAlternateOffset;
    const auto* end = reinterpret_cast<const char*>(&record) + size;
    while (at < end) {
        const auto* terminator = static_cast<const char*>(std::memchr(at, '\0', static_cast<std::size_t>(end - at)));
        if (terminator == nullptr) return false;
        if (terminator == at) return true;
        alternates.emplace_back(at, terminator);
        at = terminator + 1;
    }
    return false;
}

}  // namespace standin::ras

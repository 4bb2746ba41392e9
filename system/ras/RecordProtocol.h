// How the entry points take and fill their callers' records, answering as
// Windows does where its answers are on record (docs/system.md names where).
// Nothing here knows where the records come from: whatever keeps the state
// behind the entry points answers through these, so every implementation
// of them checks its callers by the same rules.
#pragma once

#include "ras.h"

#include <cstddef>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace standin::ras {

// The enumerations' two calls (RasEnumEntriesA, RasEnumDevicesA,
// RasEnumConnectionsA). 87 without a size or a count pointer; 632 for a
// buffer whose first record's dwSize is not the record's, whatever size is
// passed; then `list` fills the items (0, or the error code to answer);
// 603, with the bytes and the count needed, when there is no buffer or it
// is too small for every record; else each record is filled by `fill`.
template <typename Item, typename Record, typename List, typename Fill>
DWORD enumerate(Record* buffer, LPDWORD size, LPDWORD count, List list, Fill fill) {
    if (size == nullptr || count == nullptr) return ERROR_INVALID_PARAMETER;
    if (buffer != nullptr && buffer->dwSize != sizeof(Record)) return ERROR_INVALID_SIZE;
    std::vector<Item> items;
    if (DWORD listed = list(items)) return listed;
    if (items.size() > std::numeric_limits<DWORD>::max() / sizeof(Record)) return ERROR_NOT_ENOUGH_MEMORY;
    const auto needed = static_cast<DWORD>(items.size() * sizeof(Record));
    *count = static_cast<DWORD>(items.size());
    if (*size < needed || (buffer == nullptr && needed != 0)) {
        *size = needed;
        return ERROR_BUFFER_TOO_SMALL;
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        Record record;
        std::memset(&record, 0, sizeof record);
        record.dwSize = sizeof(Record);
        fill(record, items[i]);
        std::memcpy(&buffer[i], &record, sizeof record);
    }
    *size = needed;
    return ERROR_SUCCESS;
}

// An entry's record as a caller's buffer holds it: the RASENTRYA, then,
// when the entry has alternate numbers, their list (each number and its
// NUL, then one NUL more) right after it, where dwAlternateOffset points.
// The bytes that takes; 0 when it would not fit a DWORD.
DWORD entryRecordSize(const std::vector<std::string>& alternates);
// Where the list stands: 0 for none.
DWORD alternateOffset(const std::vector<std::string>& alternates);

// Fills a buffer of entryRecordSize(alternates) bytes.
void fillEntryRecord(RASENTRYA* buffer, const RASENTRYA& properties, const std::vector<std::string>& alternates);

// The alternate numbers of a caller's record in a buffer of `size` bytes:
// none for a dwAlternateOffset of 0, else the list it points to. False when
// that list does not lie after the RASENTRYA and end within the buffer.
bool alternatesOf(const RASENTRYA& record, DWORD size, std::vector<std::string>& alternates);

}  // namespace standin::ras

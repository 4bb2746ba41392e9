// The provider's retired access points: APGEN.csv (ordinary lines) and
// APPHS.csv (PHS), one "anything,area-local" row per line, read into tables
// in file order.
#pragma once

#include "ras.h"

#include <cstddef>
#include <string_view>
#include <vector>

class ProviderFileObserver;

// The widths of a phonebook entry's area-code and local-number fields.
struct AccessPointRecord {
    char areaCode[RAS_MaxAreaCode + 1];
    char localNumber[RAS_MaxPhoneNumber + 1];
};

class AccessPointTable {
public:
    std::size_t count() const { return records_.size(); }
    std::size_t capacity() const { return records_.capacity(); }
    const AccessPointRecord& operator[](std::size_t index) const { return records_[index]; }
    auto begin() const { return records_.begin(); }
    auto end() const { return records_.end(); }

    // Empties the table and releases its storage.
    void clear();
    // Grows a full table by an eighth of its count, at least 4 and at most
    // 1024 records at a time.
    void append(const AccessPointRecord& record);

private:
    std::vector<AccessPointRecord> records_;
};

// Empties `table` and fills it from the named file beside the program. False
// only when the file does not exist; a file that cannot be opened leaves the
// table empty and gives true.
bool loadAccessPointTable(const char* fileName, AccessPointTable& table);
// The same for a table file at an explicit path, told to `observer` if given.
bool loadAccessPointTableFile(const char* filePath, AccessPointTable& table,
                              ProviderFileObserver* observer = nullptr);

// Splits "area-local": the area code is the bytes before the first hyphen,
// the local number only the digits after it; without a hyphen the whole
// value is the local number. False, with both outputs empty, when a part is
// wider than its field: a cut number would dial somewhere else.
bool splitAccessNumber(std::string_view value, char (&areaCodeOut)[RAS_MaxAreaCode + 1],
                       char (&localNumberOut)[RAS_MaxPhoneNumber + 1]);

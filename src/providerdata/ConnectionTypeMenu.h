// The provider's connection methods, CTMENU.csv: one method per line,
// "type,display name,domain,access number", read in file order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class ProviderFileObserver;

constexpr std::size_t kConnectionTextCapacity = 256;

// Type code of a heading line: shown in the list, never accepted as a method.
constexpr std::int32_t kHeadingTypeCode = 9;

struct ConnectionTypeItem {
    std::int32_t typeCode;
    char displayName[kConnectionTextCapacity];
    char domainText[kConnectionTextCapacity];
    char accessNumber[kConnectionTextCapacity];
};

// Fills `item` (cleared first) from one line. Fields are separated by commas
// outside double-byte characters; empty fields are skipped but still counted,
// fields after the fourth are ignored. False for a line that does not start
// with a digit (headers and remarks), and for a line with a text longer than
// its member: cut, a domain or number would be a different one.
bool parseConnectionTypeLine(std::string_view line, ConnectionTypeItem& item);

// Replaces `items` with the methods of CTMENU.csv beside the program. False
// only when the file does not exist; a file that cannot be opened gives no
// items and true.
bool readConnectionTypeItems(std::vector<ConnectionTypeItem>& items);
// The same for a menu file at an explicit path, told to `observer` if given.
bool readConnectionTypeItemsFile(const char* filePath, std::vector<ConnectionTypeItem>& items,
                                 ProviderFileObserver* observer = nullptr);

#include "ConnectionTypeMenu.h"

#include "Cp932.h"
#include "Platform.h"
#include "ProviderCsvFile.h"

#include <cstring>

namespace {

constexpr char kMenuFileName[] = "CTMENU.csv";
constexpr std::size_t kLineCapacity = 512;

bool copyField(std::string_view field, char (&member)[kConnectionTextCapacity]) {
    if (field.size() >= kConnectionTextCapacity) return false;
    std::memcpy(member, field.data(), field.size());
    member[field.size()] = '\0';
    return true;
}

// Field 1 is the type code, 2 to 4 the texts; later fields are dropped.
bool storeField(int fieldNumber, std::string_view field, ConnectionTypeItem& item) {
    switch (fieldNumber) {
    case 1: item.typeCode = leadingDecimalValue(field); return true;
    case 2: return copyField(field, item.displayName);
    case 3: return copyField(field, item.domainText);
    case 4: return copyField(field, item.accessNumber);
    default: return true;
    }
}

}  // namespace

bool parseConnectionTypeLine(std::string_view line, ConnectionTypeItem& item) {
    item = ConnectionTypeItem{};
    if (line.empty() || line[0] < '0' || line[0] > '9') return false;
    int fieldNumber = 1;
    std::size_t fieldStart = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (cp932::isLeadByte(static_cast<unsigned char>(c))) {
            // The second byte goes with its lead byte unseen, comma or not; a
            // lead byte that ends the line stands alone.
            i += (i + 1 < line.size()) ? 2 : 1;
            continue;
        }
        if (c == ',') {
            std::string_view field = line.substr(fieldStart, i - fieldStart);
            if (!field.empty() && !storeField(fieldNumber, field, item)) return false;
            ++fieldNumber;
            fieldStart = i + 1;
        }
        ++i;
    }
    std::string_view last = line.substr(fieldStart);
    return last.empty() || storeField(fieldNumber, last, item);
}

bool readConnectionTypeItems(std::vector<ConnectionTypeItem>& items) {
    char path[MAX_PATH];
    // A path that does not fit stays empty and reads as a missing file.
    dataFilePath(kMenuFileName, path);
    return readConnectionTypeItemsFile(path, items);
}

bool readConnectionTypeItemsFile(const char* filePath, std::vector<ConnectionTypeItem>& items,
                                 ProviderFileObserver* observer) {
    items.clear();
    if (!providerFileExists(filePath)) return false;
    ProviderCsvFile file;
    if (!file.open(filePath)) return true;
    file.observe(observer);
    char line[kLineCapacity] = {};
    while (file.readLine(line, sizeof line)) {
        ConnectionTypeItem item;
        if (parseConnectionTypeLine(line, item)) {
            items.push_back(item);
            if (observer != nullptr) observer->menuItemRead(item);
        } else if (observer != nullptr) {
            observer->lineSkipped(line[0] >= '0' && line[0] <= '9' ? LineSkip::TextTooLong : LineSkip::NotADigit);
        }
    }
    return true;
}

// Runs one provider-file reader the way the program does, on the files beside
// this executable, and prints what it found. The tests copy it into a
// scratch directory together with the files.
#include "AccessPointTable.h"
#include "ConnectionTypeMenu.h"
#include "IspSettings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class PrintingDialog : public DialogTextSink {
public:
    void setControlText(int controlId, const char* text) override { std::printf("%d=%s\n", controlId, text); }
};

void printAddress(const RASIPADDR& address) {
    std::printf(" %d.%d.%d.%d", address.a, address.b, address.c, address.d);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const char* command = argv[1];
    IspSettings settings;
    if (std::strcmp(command, "domain") == 0 && argc == 3) {
        std::printf("[%s]\n", settings.lookupDomain(static_cast<DomainKind>(std::atoi(argv[2]))).c_str());
    } else if (std::strcmp(command, "number") == 0 && argc == 3) {
        std::printf("[%s]\n", settings.lookupDefaultNumber(static_cast<NumberKind>(std::atoi(argv[2]))).c_str());
    } else if (std::strcmp(command, "dns") == 0) {
        RASIPADDR primary{};
        RASIPADDR secondary{};
        std::printf("%s", settings.lookupDnsServers(primary, secondary) ? "true" : "false");
        printAddress(primary);
        printAddress(secondary);
        std::printf("\n");
    } else if (std::strcmp(command, "defaults") == 0) {
        PrintingDialog dialog;
        bool found = settings.loadDialogDefaults(dialog);
        std::printf("%s\n", found ? "true" : "false");
    } else if (std::strcmp(command, "table") == 0 && argc == 3) {
        AccessPointTable table;
        bool loaded = loadAccessPointTable(argv[2], table);
        std::printf("%s %zu\n", loaded ? "true" : "false", table.count());
        for (const AccessPointRecord& record : table) std::printf("%s|%s\n", record.areaCode, record.localNumber);
    } else if (std::strcmp(command, "menu") == 0) {
        std::vector<ConnectionTypeItem> items;
        bool loaded = readConnectionTypeItems(items);
        std::printf("%s %zu\n", loaded ? "true" : "false", items.size());
        for (const ConnectionTypeItem& item : items) {
            std::printf("%d|%s|%s|%s\n", item.typeCode, item.displayName, item.domainText, item.accessNumber);
        }
    } else {
        return 2;
    }
    return 0;
}

// CTMENU.csv as any bytes, read as the form fills its connection methods;
// the whole input also goes to the line splitter as one line of any length.
#include "ConnectionTypeMenu.h"
#include "FuzzSupport.h"

#include <cstring>
#include <string_view>

namespace {

void requireTerminated(const ConnectionTypeItem& item) {
    for (const char* text : {item.displayName, item.domainText, item.accessNumber}) {
        fuzzing::require(std::memchr(text, '\0', kConnectionTextCapacity) != nullptr,
                         "a connection text ends inside its member");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzing::ScratchFile file("CTMENU.csv");
    std::vector<ConnectionTypeItem> items;
    fuzzing::require(readConnectionTypeItemsFile(file.write(data, size), items), "an existing menu file loads");
    for (const ConnectionTypeItem& item : items) requireTerminated(item);

    ConnectionTypeItem item;
    if (parseConnectionTypeLine(std::string_view(reinterpret_cast<const char*>(data), size), item)) {
        requireTerminated(item);
    }
    return 0;
}

// APGEN.csv and APPHS.csv as any bytes, read into a table as the migration
// pass reads them.
#include "AccessPointTable.h"
#include "FuzzSupport.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzing::ScratchFile file("APGEN.csv");
    AccessPointTable table;
    fuzzing::require(loadAccessPointTableFile(file.write(data, size), table), "an existing table file loads");
    for (const AccessPointRecord& record : table) {
        fuzzing::require(std::memchr(record.areaCode, '\0', sizeof record.areaCode) != nullptr,
                         "an area code ends inside its field");
        fuzzing::require(std::memchr(record.localNumber, '\0', sizeof record.localNumber) != nullptr,
                         "a local number ends inside its field");
    }
    return 0;
}

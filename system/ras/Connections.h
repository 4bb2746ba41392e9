// The active connections, in connections.txt: one
// HANDLE<TAB>ENTRY<TAB>DEVICE TYPE<TAB>DEVICE NAME a line. The stand-in
// dials nothing; a connection is a record that an entry is connected.
#pragma once

#include "ras.h"

#include <string>
#include <string_view>
#include <vector>

namespace standin::ras {

struct Connection {
    DWORD handle;  // never 0; the caller holds it as its HRASCONN
    std::string entryName;
    std::string deviceType;
    std::string deviceName;
};

bool parseConnections(std::string_view content, std::vector<Connection>& connections, std::string& reason);
std::string serializeConnections(const std::vector<Connection>& connections);

}  // namespace standin::ras

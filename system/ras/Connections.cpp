#include "Connections.h"

#include "Phonebook.h"
#include "SectionFile.h"
#include "TabbedFile.h"

#include <charconv>

namespace standin::ras {

bool parseConnections(std::string_view content, std::vector<Connection>& connections, std::string& reason) {
    std::vector<TabbedLine> lines;
    if (!parseTabbedLines(content, lines, reason)) return false;
    connections.clear();
    for (TabbedLine& line : lines) {
        if (line.fields.size() != 4) {
            reason = atLine(line.line, "expected HANDLE<TAB>ENTRY<TAB>DEVICE TYPE<TAB>DEVICE NAME");
            return false;
        }
        const std::string& handleText = line.fields[0];
        DWORD handle = 0;
        auto [end, error] = std::from_chars(handleText.data(), handleText.data() + handleText.size(), handle);
        if (error != std::errc() || end != handleText.data() + handleText.size() || handle == 0) {
            reason = atLine(line.line, "the handle must be a number from 1 to 4294967295");
            return false;
        }
        if (Status name = checkEntryName(line.fields[1]); !name.ok()) {
            reason = atLine(line.line, name.detail);
            return false;
        }
        if (line.fields[2].size() > RAS_MaxDeviceType || line.fields[3].size() > RAS_MaxDeviceName) {
            reason = atLine(line.line, "the device type or name is longer than RASCONNA holds");
            return false;
        }
        for (const Connection& earlier : connections) {
            if (earlier.handle == handle) {
                reason = atLine(line.line, "handle " + handleText + " is used twice");
                return false;
            }
        }
        connections.push_back(
            {handle, std::move(line.fields[1]), std::move(line.fields[2]), std::move(line.fields[3])});
    }
    return true;
}

std::string serializeConnections(const std::vector<Connection>& connections) {
    std::string out =
        "# Active connections, CP932: HANDLE<TAB>ENTRY<TAB>DEVICE TYPE<TAB>DEVICE NAME a line.\n";
    for (const Connection& connection : connections) {
        appendTabbedLine(out, {std::to_string(connection.handle), connection.entryName, connection.deviceType,
                               connection.deviceName});
    }
    return out;
}

}  // namespace standin::ras

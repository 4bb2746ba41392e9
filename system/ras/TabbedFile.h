// The format of the device list, the active connections and the injected
// faults: one record a line, its fields separated by tabs and escaped with
// escapeText; blank lines and lines starting with "#" are comments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace standin::ras {

struct TabbedLine {
    size_t line;
    std::vector<std::string> fields;  // unescaped bytes
};

// False, with "line N: ..." in `reason`, on a bad escape sequence or a last
// line without its line break.
bool parseTabbedLines(std::string_view content, std::vector<TabbedLine>& lines, std::string& reason);

void appendTabbedLine(std::string& out, const std::vector<std::string_view>& fields);

}  // namespace standin::ras

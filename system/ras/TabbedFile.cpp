#include "TabbedFile.h"

#include "SectionFile.h"
#include "TextEscaping.h"

namespace standin::ras {

bool parseTabbedLines(std::string_view content, std::vector<TabbedLine>& lines, std::string& reason) {
    lines.clear();
    if (!endsWholeLine(content, reason)) return false;
    size_t lineNumber = 0;
    while (!content.empty()) {
        ++lineNumber;
        size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (line.empty() || line.front() == '#') continue;

        TabbedLine parsed{lineNumber, {}};
        // Tabs never occur inside a double-byte character, so the raw line
        // can be cut at them before unescaping.
        for (;;) {
            size_t tab = line.find('\t');
            std::string field;
            if (!unescapeText(line.substr(0, tab), field)) {
                reason = atLine(lineNumber, "a control byte or a bad escape sequence");
                return false;
            }
            parsed.fields.push_back(std::move(field));
            if (tab == std::string_view::npos) break;
            line.remove_prefix(tab + 1);
        }
        lines.push_back(std::move(parsed));
    }
    return true;
}

void appendTabbedLine(std::string& out, const std::vector<std::string_view>& fields) {
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) out += '\t';
        out += escapeText(field);
        first = false;
    }
    out += '\n';
}

}  // namespace standin::ras

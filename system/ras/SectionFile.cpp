#include "SectionFile.h"

#include "TextEscaping.h"

#include <algorithm>
#include <map>

namespace standin::ras {

namespace {

bool isKeyCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

std::string atLine(size_t line, std::string_view what) {
    std::string text = "line " + std::to_string(line) + ": ";
    text += what;
    return text;
}

bool endsWholeLine(std::string_view content, std::string& reason, size_t firstLine) {
    if (content.empty() || content.back() == '\n') return true;
    size_t lines = static_cast<size_t>(std::count(content.begin(), content.end(), '\n'));
    reason = atLine(firstLine + lines, "the last line has no line break: the file was cut short");
    return false;
}

bool parseSections(std::string_view content, std::vector<Section>& sections, std::string& reason,
                   size_t firstLine) {
    sections.clear();
    if (!endsWholeLine(content, reason, firstLine)) return false;
    // The line of each key of the current record. Looked up, not searched:
    // a damaged 2 MB file of one record took a minute to refuse.
    std::map<std::string_view, size_t> keyLines;
    size_t lineNumber = firstLine - 1;
    while (!content.empty()) {
        ++lineNumber;
        size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        if (line.empty() || line.front() == '#') continue;

        if (line.front() == '[') {
            // The name ends at the line's last byte, so a "]" inside it (a
            // trail byte, say) needs no escape.
            if (line.size() < 2 || line.back() != ']') {
                reason = atLine(lineNumber, "a record header must look like [name]");
                return false;
            }
            Section section{lineNumber, {}, {}};
            if (!unescapeText(line.substr(1, line.size() - 2), section.name)) {
                reason = atLine(lineNumber, "a control byte or a bad escape sequence in the record name");
                return false;
            }
            sections.push_back(std::move(section));
            keyLines.clear();
            continue;
        }

        size_t equals = line.find('=');
        std::string_view key = line.substr(0, equals);
        if (equals == std::string_view::npos || key.empty() ||
            !std::all_of(key.begin(), key.end(), isKeyCharacter)) {
            reason = atLine(lineNumber, "expected field=value, a [name] header or a # comment");
            return false;
        }
        if (sections.empty()) {
            reason =
                atLine(lineNumber, "field " + std::string(key) + " stands before the first [name] header");
            return false;
        }
        Section& section = sections.back();
        if (auto [earlier, first] = keyLines.emplace(key, lineNumber); !first && key != kAlternateKey) {
            reason = atLine(lineNumber, "field " + std::string(key) + " is given twice (first on line " +
                                            std::to_string(earlier->second) + ")");
            return false;
        }
        SectionValue value{lineNumber, key, {}};
        if (!unescapeText(line.substr(equals + 1), value.value)) {
            reason = atLine(lineNumber,
                            "a control byte or a bad escape sequence in the value of " + std::string(key));
            return false;
        }
        section.values.push_back(std::move(value));
    }
    return true;
}

void appendComment(std::string& out, std::string_view comment) {
    out += "# ";
    out += comment;
    out += '\n';
}

void appendHeader(std::string& out, std::string_view name) {
    out += '[';
    out += escapeText(name);
    out += "]\n";
}

void appendValue(std::string& out, std::string_view key, std::string_view value) {
    out += key;
    out += '=';
    out += escapeText(value);
    out += '\n';
}

}  // namespace standin::ras

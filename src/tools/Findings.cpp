#include "Findings.h"

#include "Cp932.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <ostream>

namespace {

const char* severityName(Severity severity) {
    switch (severity) {
    case Severity::Note: return "note";
    case Severity::Warning: return "warning";
    case Severity::Error: return "error";
    }
    return "";
}

std::string hexByte(unsigned char byte) {
    char text[5];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    return text;
}

std::string jsonString(std::string_view text) {
    std::string json = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[7];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            json += escaped;
        } else {
            json += static_cast<char>(c);
        }
    }
    return json + "\"";
}

}  // namespace

void Findings::add(std::string file, std::size_t line, Severity severity, std::string message) {
    findings_.push_back({std::move(file), line, severity, std::move(message)});
}

std::size_t Findings::count(Severity severity) const {
    return static_cast<std::size_t>(std::count_if(findings_.begin(), findings_.end(),
                                                  [&](const Finding& f) { return f.severity == severity; }));
}

int Findings::exitStatus() const {
    if (count(Severity::Error) > 0) return 2;
    return count(Severity::Warning) > 0 ? 1 : 0;
}

void Findings::sort() {
    std::map<std::string, std::size_t> fileOrder;
    for (const Finding& finding : findings_) fileOrder.emplace(finding.file, fileOrder.size());
    std::stable_sort(findings_.begin(), findings_.end(), [&](const Finding& a, const Finding& b) {
        const std::size_t fileA = fileOrder[a.file];
        const std::size_t fileB = fileOrder[b.file];
        return fileA != fileB ? fileA < fileB : a.line < b.line;
    });
}

void printText(std::ostream& out, const Findings& findings) {
    for (const Finding& finding : findings.all()) {
        out << finding.file;
        if (finding.line > 0) out << ':' << finding.line;
        out << ": " << severityName(finding.severity) << ": " << finding.message << '\n';
    }
    out << findings.count(Severity::Error) << " error(s), " << findings.count(Severity::Warning) << " warning(s), "
        << findings.count(Severity::Note) << " note(s)\n";
}

void printJson(std::ostream& out, const Findings& findings) {
    out << "{\n  \"findings\": [";
    const char* separator = "\n";
    for (const Finding& finding : findings.all()) {
        out << separator << "    {\"file\": " << jsonString(finding.file) << ", \"line\": " << finding.line
            << ", \"severity\": \"" << severityName(finding.severity)
            << "\", \"message\": " << jsonString(finding.message) << '}';
        separator = ",\n";
    }
    out << (findings.all().empty() ? "],\n" : "\n  ],\n");
    out << "  \"errors\": " << findings.count(Severity::Error) << ",\n  \"warnings\": "
        << findings.count(Severity::Warning) << ",\n  \"notes\": " << findings.count(Severity::Note) << "\n}\n";
}

std::string shown(std::string_view cp932Text) {
    std::string utf8;
    if (cp932::toUtf8(cp932Text, utf8)) return '"' + utf8 + '"';
    // Character by character, so that the readable part stays readable.
    std::string text = "\"";
    for (std::size_t i = 0; i < cp932Text.size();) {
        const std::size_t width =
            cp932::isLeadByte(static_cast<unsigned char>(cp932Text[i])) && i + 1 < cp932Text.size() ? 2 : 1;
        std::string character;
        if (cp932Text[i] != '\0' && cp932::toUtf8(cp932Text.substr(i, width), character)) {
            text += character;
        } else {
            for (std::size_t k = 0; k < width; ++k) text += hexByte(static_cast<unsigned char>(cp932Text[i + k]));
        }
        i += width;
    }
    return text + '"';
}

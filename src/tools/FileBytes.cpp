#include "FileBytes.h"

#include "Cp932.h"

#include <fstream>
#include <iterator>
#include <optional>

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The offset of the first character that is not CP932, none when all are.
// Characters are walked as the program walks them: a lead byte takes the
// byte after it along.
std::optional<std::size_t> firstInvalidByte(std::string_view text) {
    std::string utf8;
    if (cp932::toUtf8(text, utf8)) return std::nullopt;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t width =
            cp932::isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        if (!cp932::toUtf8(text.substr(i, width), utf8)) return i;
        i += width;
    }
    return std::nullopt;
}

enum class LineEnd { None, Cr, Lf, CrLf };

const char* lineEndName(LineEnd end) {
    switch (end) {
    case LineEnd::Cr: return "CR";
    case LineEnd::Lf: return "LF";
    case LineEnd::CrLf: return "CR LF";
    case LineEnd::None: break;
    }
    return "none";
}

std::string hexByte(unsigned char byte) {
    static const char digits[] = "0123456789ABCDEF";
    return std::string("0x") + digits[byte >> 4] + digits[byte & 0xF];
}

}  // namespace

void checkFileBytes(std::string_view bytes, const std::string& file, std::string_view whatTheMarkDoes,
                    Severity markSeverity, Findings& findings) {
    if (bytes.starts_with(kUtf8Mark)) {
        findings.add(file, 1, markSeverity,
                     "the file starts with a UTF-8 byte-order mark; " + std::string(whatTheMarkDoes));
    }
    bool invalidCp932 = false;
    LineEnd firstEnd = LineEnd::None;
    bool mixReported = false;
    std::size_t lineNumber = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i <= bytes.size(); ++i) {
        const bool atEnd = i == bytes.size();
        if (!atEnd && bytes[i] != '\r' && bytes[i] != '\n') continue;
        const std::string_view line = bytes.substr(lineStart, i - lineStart);
        if (std::size_t nul = line.find('\0'); nul != std::string_view::npos) {
            findings.add(file, lineNumber, Severity::Warning,
                         "NUL byte at byte offset " + std::to_string(lineStart + nul) +
                             ": the program reads this line only up to it");
        }
        // The mark has its own finding.
        const std::size_t markBytes = lineStart == 0 && bytes.starts_with(kUtf8Mark) ? kUtf8Mark.size() : 0;
        if (std::optional<std::size_t> bad = firstInvalidByte(line.substr(markBytes))) {
            *bad += markBytes;
            invalidCp932 = true;
            findings.add(file, lineNumber, Severity::Warning,
                         "byte " + hexByte(static_cast<unsigned char>(line[*bad])) + " at byte offset " +
                             std::to_string(lineStart + *bad) +
                             " is not CP932 text: the program shows it as garbage or compares it wrongly");
        }
        if (atEnd) break;
        LineEnd end = LineEnd::Lf;
        if (bytes[i] == '\r') {
            end = i + 1 < bytes.size() && bytes[i + 1] == '\n' ? LineEnd::CrLf : LineEnd::Cr;
            if (end == LineEnd::CrLf) ++i;
        }
        if (firstEnd == LineEnd::None) {
            firstEnd = end;
        } else if (end != firstEnd && !mixReported) {
            mixReported = true;
            findings.add(file, lineNumber, Severity::Note,
                         std::string("line ends are mixed: ") + lineEndName(end) + " here, " + lineEndName(firstEnd) +
                             " before; the program takes either");
        }
        ++lineNumber;
        lineStart = i + 1;
    }
    std::string asCp932;
    if (invalidCp932 && cp932::fromUtf8(bytes, asCp932)) {
        findings.add(file, 0, Severity::Note, "the file reads as UTF-8: save it in CP932 (Shift_JIS) instead");
    }
}

std::string readFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

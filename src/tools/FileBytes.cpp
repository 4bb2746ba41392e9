#include "FileBytes.h"

#include <iconv.h>

#include <fstream>
#include <iterator>
#include <optional>

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// An iconv conversion descriptor, closed with its owner.
class Conversion {
public:
    Conversion(const char* to, const char* from) : descriptor_(iconv_open(to, from)) {}
    ~Conversion() {
        if (descriptor_ != reinterpret_cast<iconv_t>(-1)) iconv_close(descriptor_);
    }
    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;

    // The offset of the first byte that does not convert, none when all do.
    std::optional<std::size_t> firstInvalidByte(std::string_view text) {
        if (descriptor_ == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
        iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        std::string out(text.size() * 4 + 4, '\0');
        char* outPtr = out.data();
        std::size_t outLeft = out.size();
        if (iconv(descriptor_, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) return std::nullopt;
        return static_cast<std::size_t>(in - text.data());
    }

private:
    iconv_t descriptor_;
};

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
    Conversion cp932("UTF-8", "CP932");
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
        if (std::optional<std::size_t> bad = cp932.firstInvalidByte(line.substr(markBytes))) {
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
    if (invalidCp932 && !Conversion("UTF-16LE", "UTF-8").firstInvalidByte(bytes)) {
        findings.add(file, 0, Severity::Note, "the file reads as UTF-8: save it in CP932 (Shift_JIS) instead");
    }
}

std::string readFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

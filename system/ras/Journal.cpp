#include "Journal.h"

#include "SectionFile.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace standin::ras {

namespace {

constexpr std::size_t kChecksumDigits = 16;

std::string hex(std::uint64_t value) {
    char digits[kChecksumDigits + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(value));
    return digits;
}

bool parseDecimal(std::string_view text, std::uint64_t& value) {
    if (text.empty() || (text.size() > 1 && text.front() == '0')) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool parseChecksum(std::string_view text, std::uint64_t& value) {
    if (text.size() != kChecksumDigits ||
        !std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); })) {
        return false;
    }
    std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return true;
}

// "WORD NUMBER CHECKSUM" with one space between; false for anything else.
bool parseFramingLine(std::string_view line, std::string_view& word, std::uint64_t& number,
                      std::uint64_t& checksum) {
    size_t first = line.find(' ');
    if (first == std::string_view::npos) return false;
    size_t second = line.find(' ', first + 1);
    if (second == std::string_view::npos) return false;
    word = line.substr(0, first);
    return parseDecimal(line.substr(first + 1, second - first - 1), number) &&
           parseChecksum(line.substr(second + 1), checksum);
}

std::string framed(std::string_view word, std::string_view text) {
    std::string out;
    out.reserve(text.size() + 48);
    out += word;
    out += ' ';
    out += std::to_string(text.size());
    out += ' ';
    out += hex(journalChecksum(text));
    out += '\n';
    out += text;
    return out;
}

}  // namespace

std::uint64_t journalChecksum(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::string journalHeader(std::string_view fileName, std::uint64_t baseSize, std::uint64_t baseChecksum) {
    std::string out;
    appendComment(out, "Changes to " + std::string(fileName) + " not yet written into it, oldest first.");
    appendComment(out, "Each is a put (the whole record) or a remove, framed by its length and checksum.");
    out += "base " + std::to_string(baseSize) + ' ' + hex(baseChecksum) + '\n';
    return out;
}

std::string journalPut(std::string_view text) {
    return framed("put", text);
}

std::string journalRemove(std::string_view headerLine) {
    return framed("remove", headerLine);
}

std::string journalWhole(std::uint64_t size, std::uint64_t checksum) {
    return "whole " + std::to_string(size) + ' ' + hex(checksum) + '\n';
}

bool readJournalHeader(std::string_view journal, std::uint64_t& baseSize, std::uint64_t& baseChecksum,
                       std::size_t& end, std::size_t& line, std::string& reason) {
    size_t offset = 0;
    for (size_t lines = 1;; ++lines) {
        size_t lineEnd = journal.find('\n', offset);
        if (lineEnd == std::string_view::npos) {
            reason = atLine(lines, "the journal ends before its base line");
            return false;
        }
        std::string_view text = journal.substr(offset, lineEnd - offset);
        offset = lineEnd + 1;
        if (!text.empty() && text.front() == '#') continue;
        std::string_view word;
        if (!parseFramingLine(text, word, baseSize, baseChecksum) || word != "base") {
            reason = atLine(lines, "expected the base line, base SIZE CHECKSUM");
            return false;
        }
        end = offset;
        line = lines + 1;
        return true;
    }
}

bool readJournalRecords(std::string_view journal, std::size_t offset, std::size_t line,
                        std::vector<JournalRecord>& records, std::size_t& end, std::size_t& endLine,
                        std::string& reason) {
    records.clear();
    for (;;) {
        end = offset;
        endLine = line;
        size_t lineEnd = journal.find('\n', offset);
        if (lineEnd == std::string_view::npos) return true;  // nothing more, or a record line cut short
        std::string_view word;
        std::uint64_t length = 0;
        std::uint64_t checksum = 0;
        if (!parseFramingLine(journal.substr(offset, lineEnd - offset), word, length, checksum) ||
            (word != "put" && word != "remove" && word != "whole")) {
            reason = atLine(line, "expected a record line, put or remove LENGTH CHECKSUM, or whole SIZE CHECKSUM");
            return false;
        }
        size_t textStart = lineEnd + 1;
        if (word == "whole") {
            records.push_back({JournalRecord::Kind::Whole, {}, line, length, checksum});
            offset = textStart;
            line += 1;
            continue;
        }
        if (length > journal.size() - textStart) return true;  // a record cut short
        std::string_view text = journal.substr(textStart, length);
        if (journalChecksum(text) != checksum) {
            reason = atLine(line, "the record's checksum does not match its text");
            return false;
        }
        if (text.empty() || text.back() != '\n') {
            reason = atLine(line, "the record's text does not end with a line break");
            return false;
        }
        records.push_back({word == "remove" ? JournalRecord::Kind::Remove : JournalRecord::Kind::Put, text, line + 1});
        offset = textStart + length;
        line += 1 + static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    }
}

}  // namespace standin::ras

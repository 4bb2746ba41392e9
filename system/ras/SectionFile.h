// The format of the phonebook and the credentials: a "[name]" line opens a
// record, "field=value" lines fill it, blank lines and lines starting with
// "#" are comments. Names and values are escaped with escapeText.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace standin::ras {

// phonebook.txt's key for an entry's alternate number: the one key a record
// may give more than once, each line one number, in dialling order.
constexpr std::string_view kAlternateKey = "alternate";

struct SectionValue {
    size_t line;
    std::string_view key;
    std::string value;  // unescaped bytes
};

struct Section {
    size_t line;
    std::string name;  // unescaped bytes
    std::vector<SectionValue> values;
};

// False, with "line N: what is wrong" in `reason`, on a line that is neither
// a comment, a header nor a field=value line, on a field before the first
// header, on a key but kAlternateKey given twice in a record, on a bad
// escape, or on a last line without its line break. Lines are
// counted from `firstLine`, for content that starts inside a file.
bool parseSections(std::string_view content, std::vector<Section>& sections, std::string& reason,
                   size_t firstLine = 1);

// "line N: what" — how every store file names the place of a fault.
std::string atLine(size_t line, std::string_view what);

// Every line of a store file ends with a line break: a last line without
// one is what is left of a file cut short, never a value. False, with the
// line in `reason`, for such content; lines are counted from `firstLine`.
bool endsWholeLine(std::string_view content, std::string& reason, size_t firstLine = 1);

void appendComment(std::string& out, std::string_view comment);
void appendHeader(std::string& out, std::string_view name);
void appendValue(std::string& out, std::string_view key, std::string_view value);

}  // namespace standin::ras

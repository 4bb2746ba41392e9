// The number matching of the migration pass. The input is lines: the entry's
// area code, its local number, then old access points as APGEN.csv writes
// them ("area-local"), which become the table searched.
#include "FuzzSupport.h"
#include "NumberRewriting.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

bool isDigitOrDash(char c) { return (c >= '0' && c <= '9') || c == '-'; }

std::string withoutDashes(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c != '-') out += c;
    }
    return out;
}

// What a located number promises: the pattern, dashes inside it ignored,
// ending the number or standing before a byte that is neither digit nor dash.
void checkLocated(std::string_view number, std::string_view pattern) {
    std::size_t start = 0;
    std::size_t end = 0;
    const bool found = locateNumber(number, pattern, start, end);
    if (found) {
        fuzzing::require(start < end && end < number.size(), "a match lies inside the number");
        fuzzing::require(end + 1 == number.size() || !isDigitOrDash(number[end + 1]),
                         "a match ends the number or a run of digits and dashes");
        fuzzing::require(withoutDashes(number.substr(start, end - start)) + number[end] == pattern,
                         "the matched stretch is the pattern with dashes inside");
    }
    const NumberMatch match = splitAtNumber(number, pattern);
    fuzzing::require(match.found == found, "splitting finds what locating finds");
    if (match.found) {
        fuzzing::require(match.prefix == number.substr(0, start) && match.suffix == number.substr(end + 1),
                         "prefix and suffix are what surrounds the match");
    } else {
        fuzzing::require(match.prefix.empty() && match.suffix.empty(), "no match leaves both texts empty");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string_view> lines;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    while (!input.empty()) {
        const std::size_t end = input.find('\n');
        lines.push_back(input.substr(0, end));
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    }
    if (lines.size() < 2) return 0;
    const std::string_view areaCode = lines[0];
    const std::string_view localNumber = lines[1];

    AccessPointTable table;
    for (std::size_t i = 2; i < lines.size(); ++i) {
        AccessPointRecord record{};
        if (!splitAccessNumber(lines[i], record.areaCode, record.localNumber)) continue;
        table.append(record);
        checkLocated(localNumber, record.localNumber);
        checkLocated(localNumber, std::string(record.areaCode) + record.localNumber);
        matchIsdnAccessPoint(lines[i], areaCode, localNumber);
    }
    const NumberMatch match = matchOldAccessPoint(table, areaCode, localNumber);
    if (match.found) {
        fuzzing::require(match.prefix.size() + match.suffix.size() + 2 <= localNumber.size() &&
                             localNumber.starts_with(match.prefix) && localNumber.ends_with(match.suffix),
                         "an old access point is found inside the local number");
    }
    return 0;
}

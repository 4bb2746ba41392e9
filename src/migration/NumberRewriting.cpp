#include "NumberRewriting.h"

namespace {

bool isDigitOrDash(char c) { return (c >= '0' && c <= '9') || c == '-'; }

}  // namespace

bool locateNumber(std::string_view number, std::string_view pattern, std::size_t& start, std::size_t& end) {
    // Completion is only tested on a second matched byte.
    if (number.empty() || pattern.size() < 2) return false;
    std::size_t matched = 0;
    // Set where the byte now examined may end a match: at the end of the
    // number and left of any byte that is neither a digit nor a dash.
    bool armed = true;
    for (std::size_t i = number.size(); i-- > 0;) {
        char c = number[i];
        if (armed) {
            armed = false;
            if (c == pattern.back()) {
                matched = 1;
                end = i;
                continue;
            }
        }
        if (matched > 0) {
            if (c == '-') continue;
            if (c == pattern[pattern.size() - 1 - matched]) {
                if (++matched == pattern.size()) {
                    start = i;
                    return true;
                }
            } else {
                // The byte that broke the attempt never opens a new one.
                matched = 0;
            }
            continue;
        }
        if (!isDigitOrDash(c)) armed = true;
        if (i + 1 < pattern.size()) return false;
    }
    return false;
}

NumberMatch splitAtNumber(std::string_view number, std::string_view pattern) {
    NumberMatch match;
    std::size_t start = 0;
    std::size_t end = 0;
    if (number.size() < pattern.size() || !locateNumber(number, pattern, start, end)) return match;
    match.found = true;
    match.prefix.assign(number.substr(0, start));
    match.suffix.assign(number.substr(end + 1));
    return match;
}

NumberMatch matchOldAccessPoint(const AccessPointTable& table, std::string_view areaCode,
                                std::string_view localNumber) {
    // One buffer for every joined record: the pass calls this for each entry
    // against the whole table, so a string made per record would cost more
    // than the comparison itself.
    std::string joined;
    for (const AccessPointRecord& record : table) {
        std::string_view pattern;
        if (!areaCode.empty()) {
            if (areaCode != record.areaCode) continue;
            pattern = record.localNumber;
        } else {
            joined.assign(record.areaCode).append(record.localNumber);
            pattern = joined;
        }
        NumberMatch match = splitAtNumber(localNumber, pattern);
        if (match.found) return match;
    }
    return {};
}

bool matchIsdnAccessPoint(std::string_view isdnNumber, std::string_view areaCode, std::string_view localNumber) {
    if (isdnNumber.empty()) return false;
    std::string entryNumber(areaCode);
    entryNumber.append(localNumber);
    std::size_t start = 0;
    std::size_t end = 0;
    return locateNumber(entryNumber, isdnNumber, start, end);
}

std::string userPartOf(std::string_view userName) {
    std::size_t at = userName.find('@');
    if (at == std::string_view::npos || at == 0) return std::string(userName);
    return std::string(userName.substr(0, at));
}

bool splitAtOldDomain(std::string_view userName, std::string_view oldDomain, std::string& oldUserPart) {
    if (oldDomain.empty()) return false;
    std::size_t position = userName.find(oldDomain);
    if (position == std::string_view::npos || position == 0) return false;
    oldUserPart.assign(userName.substr(0, position));
    return true;
}

std::string composeNumber(const NumberMatch& match, std::string_view newNumber) {
    std::string number = match.prefix;
    number.append(newNumber);
    number.append(match.suffix);
    return number;
}

std::string composeUserName(std::string_view userPart, std::string_view domain) {
    std::string userName(userPart);
    userName.append(domain);
    return userName;
}

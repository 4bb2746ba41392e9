// Recognising a retired access-point number inside a customer's dial-up
// number, and building the proposed new number and user name. Pure text
// rules, byte by byte and case-sensitive.
#pragma once

#include "AccessPointTable.h"

#include <cstddef>
#include <string>
#include <string_view>

// Finds `pattern` at the end of a run of digits and dashes in `number`,
// scanning from the right: dashes inside the match are ignored, and the
// match must end the number or stand directly before a byte that is neither
// a digit nor a dash. Digits in front of the match are not examined. A
// pattern shorter than two bytes never matches. On success `start` and `end`
// are the indices of the first and last matched bytes.
bool locateNumber(std::string_view number, std::string_view pattern, std::size_t& start, std::size_t& end);

// What stood before and after a located number; both empty without a match.
struct NumberMatch {
    bool found = false;
    std::string prefix;
    std::string suffix;
};

// Locates `pattern` in `number` and keeps what surrounds it; the matched
// stretch, dashes included, is dropped.
NumberMatch splitAtNumber(std::string_view number, std::string_view pattern);

// The first record of `table`, in file order, found in the entry's number.
// With an area code, only records of exactly that area code are candidates
// and their local number is looked for in `localNumber`; without one, the
// record's area code and local number joined are looked for.
NumberMatch matchOldAccessPoint(const AccessPointTable& table, std::string_view areaCode,
                                std::string_view localNumber);

// Whether the entry's number (area code and local number joined) dials the
// provider's ISDN access number; never when that number is empty.
bool matchIsdnAccessPoint(std::string_view isdnNumber, std::string_view areaCode, std::string_view localNumber);

// The user name before its first "@"; the whole name when it has none or
// starts with one.
std::string userPartOf(std::string_view userName);

// Cuts `userName` in front of the first occurrence of `oldDomain`. False when
// the domain is empty, absent, or starts the name.
bool splitAtOldDomain(std::string_view userName, std::string_view oldDomain, std::string& oldUserPart);

// The proposed number: the customer's prefix and suffix around the new
// access number.
std::string composeNumber(const NumberMatch& match, std::string_view newNumber);

// The proposed user name: the domain carries its own "@".
std::string composeUserName(std::string_view userPart, std::string_view domain);

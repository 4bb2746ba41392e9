#include "NumberRewriting.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>

namespace {

AccessPointTable tableOf(std::initializer_list<std::pair<const char*, const char*>> records) {
    AccessPointTable table;
    for (const auto& [areaCode, localNumber] : records) {
        AccessPointRecord record{};
        std::strcpy(record.areaCode, areaCode);
        std::strcpy(record.localNumber, localNumber);
        table.append(record);
    }
    return table;
}

// "prefix|suffix" of a match, "none" without one.
std::string split(const std::string& number, const std::string& pattern) {
    NumberMatch match = splitAtNumber(number, pattern);
    if (!match.found) {
        EXPECT_EQ(match.prefix, "");
        EXPECT_EQ(match.suffix, "");
        return "none";
    }
    return match.prefix + "|" + match.suffix;
}

std::string matchIn(const AccessPointTable& table, const std::string& areaCode, const std::string& localNumber) {
    NumberMatch match = matchOldAccessPoint(table, areaCode, localNumber);
    return match.found ? match.prefix + "|" + match.suffix : "none";
}

}  // namespace

TEST(LocateNumber, MatchesAtTheEndOfADigitRunIgnoringDashes) {
    EXPECT_EQ(split("03-123-456", "03123456"), "|");
    EXPECT_EQ(split("0,03-123-456", "03123456"), "0,|");
    EXPECT_EQ(split("0570-12-345##64", "057012345"), "|##64");
    EXPECT_EQ(split("03-123-4567", "1234567"), "03-|");
    EXPECT_EQ(split("03-123-456", "456"), "03-123-|");
    EXPECT_EQ(split("*70,03-12-34 (home)", "031234"), "*70,| (home)");
    std::size_t start = 0;
    std::size_t end = 0;
    ASSERT_TRUE(locateNumber("9-0570-12-345##64", "057012345", start, end));
    EXPECT_EQ(start, 2u);
    EXPECT_EQ(end, 12u);
}

TEST(LocateNumber, RunsThatGoOnPastThePatternNeverMatch) {
    EXPECT_EQ(split("03-123-456-", "03123456"), "none");
    EXPECT_EQ(split("03-123-4567", "0312345"), "none");
    EXPECT_EQ(split("5612", "56"), "none");
    // The byte that breaks an attempt does not open a new one.
    EXPECT_EQ(split("12#2", "12"), "none");
    EXPECT_EQ(split("12#12", "12"), "12#|");
}

TEST(LocateNumber, ShortPatternsAndNumbers) {
    EXPECT_EQ(split("03-123-456", "6"), "none");
    EXPECT_EQ(split("6", "6"), "none");
    EXPECT_EQ(split("03-123-456", ""), "none");
    EXPECT_EQ(split("", "12"), "none");
    EXPECT_EQ(split("56", "456"), "none");
    EXPECT_EQ(split("56", "56"), "|");
    std::size_t start = 0;
    std::size_t end = 0;
    EXPECT_FALSE(locateNumber("6", "56", start, end));
    EXPECT_FALSE(locateNumber("x56", "6", start, end));
}

TEST(MatchOldAccessPoint, WithoutAreaCodeTheRecordIsJoined) {
    AccessPointTable table = tableOf({{"06", "999"}, {"", "456"}, {"03", "123456"}});
    EXPECT_EQ(matchIn(table, "", "03-123-456"), "03-123-|");
    EXPECT_EQ(matchIn(tableOf({{"03", "123456"}}), "", "03-123-456"), "|");
    EXPECT_EQ(matchIn(tableOf({{"03", "123456"}}), "", "0,03-123-456"), "0,|");
    EXPECT_EQ(matchIn(table, "", "03-123-457"), "none");
    EXPECT_EQ(matchIn(AccessPointTable(), "", "03-123-456"), "none");
}

TEST(MatchOldAccessPoint, WithAreaCodeOnlyThatAreaIsACandidate) {
    AccessPointTable table = tableOf({{"06", "123456"}, {"03", ""}, {"03", "123456"}, {"03", "456"}});
    EXPECT_EQ(matchIn(table, "03", "123-456"), "|");
    EXPECT_EQ(matchIn(table, "04", "123-456"), "none");
    EXPECT_EQ(matchIn(tableOf({{"", "123456"}}), "03", "123-456"), "none");
    EXPECT_EQ(matchIn(tableOf({{"03", "456"}, {"03", "123456"}}), "03", "123-456"), "123-|");
    EXPECT_EQ(matchIn(tableOf({{"0570", "12345"}}), "0570", "12-345##64"), "|##64");
}

TEST(MatchIsdnAccessPoint, TheJoinedEntryNumberMustEndInTheIsdnNumber) {
    EXPECT_TRUE(matchIsdnAccessPoint("0312345678", "", "03-1234-5678"));
    EXPECT_TRUE(matchIsdnAccessPoint("0312345678", "03", "1234-5678"));
    EXPECT_TRUE(matchIsdnAccessPoint("12345678", "03", "1234-5678"));
    EXPECT_FALSE(matchIsdnAccessPoint("0312345678", "03", "1234-5679"));
    EXPECT_FALSE(matchIsdnAccessPoint("", "", "03-1234-5678"));
    EXPECT_FALSE(matchIsdnAccessPoint("0312345678", "", "5678"));
}

TEST(UserNames, UserPartAndOldDomainSplit) {
    EXPECT_EQ(userPartOf("taro@old.example"), "taro");
    EXPECT_EQ(userPartOf("taro@a@b"), "taro");
    EXPECT_EQ(userPartOf("taro"), "taro");
    EXPECT_EQ(userPartOf("@old.example"), "@old.example");
    EXPECT_EQ(userPartOf(""), "");

    std::string oldUserPart = "unchanged";
    EXPECT_TRUE(splitAtOldDomain("taro@isdn.old@isdn.old", "@isdn.old", oldUserPart));
    EXPECT_EQ(oldUserPart, "taro");
    EXPECT_TRUE(splitAtOldDomain("a.old.b.old", ".old", oldUserPart));
    EXPECT_EQ(oldUserPart, "a");
    oldUserPart = "unchanged";
    EXPECT_FALSE(splitAtOldDomain("@isdn.old", "@isdn.old", oldUserPart));
    EXPECT_FALSE(splitAtOldDomain("taro@ISDN.OLD", "@isdn.old", oldUserPart));
    EXPECT_FALSE(splitAtOldDomain("taro@isdn.old", "", oldUserPart));
    EXPECT_EQ(oldUserPart, "unchanged");
}

TEST(Composition, PiecesAreJoinedWithNothingBetween) {
    NumberMatch match = splitAtNumber("0,03-123-456##64", "03123456");
    EXPECT_EQ(composeNumber(match, "0570-000-111"), "0,0570-000-111##64");
    EXPECT_EQ(composeNumber(splitAtNumber("03-123-456", "03123456"), "0570-000-111"), "0570-000-111");
    EXPECT_EQ(composeUserName(userPartOf("taro@old.example"), "@new.example"), "taro@new.example");
    EXPECT_EQ(composeUserName("taro", "new.example"), "taronew.example");
}

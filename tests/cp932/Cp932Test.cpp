// The CP932 helpers: lead bytes, the two case-insensitive comparisons and the
// conversions at the program's borders.
#include "Cp932.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp932, LeadBytesAreExactlyTheTwoRanges) {
    for (int byte = 0; byte < 256; ++byte) {
        bool expected = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        EXPECT_EQ(cp932::isLeadByte(static_cast<unsigned char>(byte)), expected) << byte;
    }
}

TEST(Cp932, CaseInsensitiveComparisons) {
    EXPECT_EQ(cp932::compareAsciiNoCase("Software", "SOFTWARE"), 0);
    EXPECT_LT(cp932::compareAsciiNoCase("abc", "ABD"), 0);
    EXPECT_LT(cp932::compareAsciiNoCase("ab", "ABC"), 0);
    // "ア" is 83 41, "ヂ" is 83 61: trail bytes that look like A and a.
    EXPECT_EQ(cp932::compareAsciiNoCase("\x83\x41", "\x83\x61"), 0);
    EXPECT_NE(cp932::compareNoCaseMultiByte("\x83\x41", "\x83\x61"), 0);
    EXPECT_EQ(cp932::compareNoCaseMultiByte("x\x83\x41Y", "X\x83\x41y"), 0);

    // The fold is a key for the same equality: names a phonebook keeps apart
    // must not share it, names it treats as one must.
    const char* texts[] = {"\x83\x41", "\x83\x61", "x\x83\x41Y", "X\x83\x41y", "ab", "AB", "aB\x83", "Ab\x83",
                           "\x83\x41\x41", "\x83\x41\x61", "\x41\x83", "\x61\x83", ""};
    for (const char* a : texts) {
        for (const char* b : texts) {
            EXPECT_EQ(cp932::foldNoCaseMultiByte(a) == cp932::foldNoCaseMultiByte(b),
                      cp932::compareNoCaseMultiByte(a, b) == 0)
                << a << " / " << b;
        }
    }
}

TEST(Cp932, ConversionsRoundTripAndRefuseWhatTheOtherSideCannotHold) {
    std::string cp932 = cp932::fromUtf8("ソフト"); // 83 5C: a trail byte equal to '\'
    EXPECT_EQ(cp932, "\x83\x5C\x83\x74\x83\x67");
    EXPECT_EQ(cp932::toUtf8(cp932), "ソフト");
    std::string out = "untouched";
    EXPECT_FALSE(cp932::fromUtf8("😀", out));
    EXPECT_EQ(out, "");
    EXPECT_FALSE(cp932::toUtf8("\x83", out));  // a lead byte cut off
    EXPECT_FALSE(cp932::toUtf8("\x80", out));
    EXPECT_THROW(cp932::toUtf8(std::string_view("\xFD")), std::invalid_argument);
}

}  // namespace

#include "ProviderCsvFile.h"

#include "SocketFile.h"
#include "TempSystemRoot.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

using testsupport::TempDir;
using testsupport::writeFile;

namespace {

std::vector<std::string> readAllLines(const std::string& path, std::size_t capacity) {
    std::vector<std::string> lines;
    ProviderCsvFile file;
    if (!file.open(path.c_str())) return lines;
    std::vector<char> buffer(capacity, 'X');
    while (file.readLine(buffer.data(), capacity)) lines.emplace_back(buffer.data());
    return lines;
}

std::vector<std::string> linesOf(const std::string& bytes, std::size_t capacity = 513) {
    TempDir dir;
    writeFile(dir.file("f.csv"), bytes);
    return readAllLines(dir.file("f.csv"), capacity);
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(ProviderCsvFile, AnyLineEndEndsALineAndBlankLinesAreSkipped) {
    const Lines expected{"a,1", "b,2"};
    EXPECT_EQ(linesOf("a,1\r\nb,2\r\n"), expected);
    EXPECT_EQ(linesOf("a,1\nb,2\n"), expected);
    EXPECT_EQ(linesOf("a,1\rb,2\r"), expected);
    EXPECT_EQ(linesOf("\r\n\na,1\r\n\r\n\r\r\nb,2\n\n"), expected);
    EXPECT_EQ(linesOf("\r\n\n\r"), Lines{});
    EXPECT_EQ(linesOf(""), Lines{});
}

TEST(ProviderCsvFile, UnterminatedLastLineIsNotALine) {
    EXPECT_EQ(linesOf("a,1\nb,2"), Lines{"a,1"});
    EXPECT_EQ(linesOf("only"), Lines{});
    EXPECT_EQ(linesOf("a,1\nb,2\r"), (Lines{"a,1", "b,2"}));
}

TEST(ProviderCsvFile, LongLinesComeInPiecesOfCapacityLessOne) {
    std::string line600(600, 'x');
    Lines pieces = linesOf(line600 + "\n");
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].size(), 512u);
    EXPECT_EQ(pieces[1].size(), 88u);

    // A line that exactly fills the buffer: its terminator must not become a blank line.
    EXPECT_EQ(linesOf(std::string(512, 'y') + "\r\nz\n"), (Lines{std::string(512, 'y'), "z"}));
    EXPECT_EQ(linesOf(std::string(1022, 'y') + "\n", 512), (Lines{std::string(511, 'y'), std::string(511, 'y')}));
    EXPECT_EQ(linesOf("abc\n", 2), (Lines{"a", "b", "c"}));
}

TEST(ProviderCsvFile, BytesArePassedAsTheyAre) {
    // Binary mode: 0x1A is data, and CP932 trail bytes 0x5C and 0x7C are bytes like any other.
    EXPECT_EQ(linesOf("a\x1A" "b\nc\n"), (Lines{"a\x1A" "b", "c"}));
    EXPECT_EQ(linesOf("\x95\x5C,\x83\x7C\n"), Lines{"\x95\x5C,\x83\x7C"});
}

TEST(ProviderCsvFile, OpenRefusesWhatCannotBeRead) {
    TempDir dir;
    ProviderCsvFile file;
    EXPECT_FALSE(file.open(nullptr));
    EXPECT_FALSE(file.open(""));
    EXPECT_FALSE(file.open(dir.file("missing.csv").c_str()));
    EXPECT_FALSE(file.open(dir.path().c_str()));

    std::string socketPath = dir.file("socket.csv");
    SocketFile socket(socketPath);
    ASSERT_TRUE(socket.bound());
    EXPECT_TRUE(providerFileExists(socketPath.c_str()));
    EXPECT_FALSE(file.open(socketPath.c_str()));

    char line[8];
    EXPECT_FALSE(file.readLine(line, sizeof line));
}

TEST(ProviderCsvFile, ReadingStopsSafelyAndReopeningSwitchesFiles) {
    TempDir dir;
    writeFile(dir.file("one.csv"), "first\n");
    writeFile(dir.file("two.csv"), "second\n");
    ProviderCsvFile file;
    ASSERT_TRUE(file.open(dir.file("one.csv").c_str()));
    char line[16];
    EXPECT_FALSE(file.readLine(nullptr, sizeof line));
    EXPECT_FALSE(file.readLine(line, 1));
    EXPECT_FALSE(file.readLine(line, 0));
    ASSERT_TRUE(file.open(dir.file("two.csv").c_str()));
    ASSERT_TRUE(file.readLine(line, sizeof line));
    EXPECT_STREQ(line, "second");
    EXPECT_FALSE(file.readLine(line, sizeof line));
    EXPECT_FALSE(file.readLine(line, sizeof line));
}

TEST(ProviderCsvFile, FirstCommaRule) {
    FirstCommaRow row;
    ASSERT_TRUE(splitAtFirstComma("Key,a,b", row));
    EXPECT_EQ(row.firstField, "Key");
    EXPECT_EQ(row.value, "a,b");
    ASSERT_TRUE(splitAtFirstComma(",value", row));
    EXPECT_EQ(row.firstField, "");
    EXPECT_EQ(row.value, "value");
    ASSERT_TRUE(splitAtFirstComma(" \"Key\" ,\t\"v\" ", row));
    EXPECT_EQ(row.firstField, " \"Key\" ");
    EXPECT_EQ(row.value, "\t\"v\" ");
    EXPECT_FALSE(splitAtFirstComma("no comma", row));
    EXPECT_FALSE(splitAtFirstComma("Key,", row));
    EXPECT_FALSE(splitAtFirstComma("", row));
}

TEST(ProviderCsvFile, LeadingDecimalValueReadsAsAtoi) {
    EXPECT_EQ(leadingDecimalValue("12abc"), 12);
    EXPECT_EQ(leadingDecimalValue("9x"), 9);
    EXPECT_EQ(leadingDecimalValue(" \t-7"), -7);
    EXPECT_EQ(leadingDecimalValue("+5"), 5);
    EXPECT_EQ(leadingDecimalValue("007"), 7);
    EXPECT_EQ(leadingDecimalValue(""), 0);
    EXPECT_EQ(leadingDecimalValue("abc"), 0);
    EXPECT_EQ(leadingDecimalValue("- 1"), 0);
    // Overflow saturates; wrapping would turn 2^32 + 9 into a heading's 9.
    EXPECT_EQ(leadingDecimalValue("4294967305"), INT_MAX);
    EXPECT_EQ(leadingDecimalValue("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(leadingDecimalValue("-2147483648"), INT_MIN);
}

#include "AccessPointTable.h"

#include "TempSystemRoot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

using testsupport::TempDir;
using testsupport::writeFile;

namespace {

using Split = std::pair<std::string, std::string>;

// Area code and local number of a value, or nothing when it is refused.
std::vector<Split> split(const std::string& value) {
    AccessPointRecord record;
    std::memset(&record, 'X', sizeof record);
    if (!splitAccessNumber(value, record.areaCode, record.localNumber)) {
        EXPECT_STREQ(record.areaCode, "");
        EXPECT_STREQ(record.localNumber, "");
        return {};
    }
    return {{record.areaCode, record.localNumber}};
}

std::vector<Split> recordsOf(const AccessPointTable& table) {
    std::vector<Split> records;
    for (const AccessPointRecord& record : table) records.emplace_back(record.areaCode, record.localNumber);
    return records;
}

std::vector<Split> loadBytes(const std::string& bytes) {
    TempDir dir;
    writeFile(dir.file("APGEN.csv"), bytes);
    AccessPointTable table;
    EXPECT_TRUE(loadAccessPointTableFile(dir.file("APGEN.csv").c_str(), table));
    return recordsOf(table);
}

}  // namespace

TEST(SplitAccessNumber, AreaCodeBeforeTheFirstHyphenDigitsAfterIt) {
    EXPECT_EQ(split("01-23-45"), (std::vector<Split>{{"01", "2345"}}));
    EXPECT_EQ(split("012-3 (4) 5"), (std::vector<Split>{{"012", "345"}}));
    EXPECT_EQ(split("012345"), (std::vector<Split>{{"", "012345"}}));
    EXPECT_EQ(split("-45"), (std::vector<Split>{{"", "45"}}));
    EXPECT_EQ(split("01-"), (std::vector<Split>{{"01", ""}}));
    // Double-byte characters: kept in an area code or a hyphenless value, dropped from a local number.
    EXPECT_EQ(split("\x93\x8C-1\x83\x7C" "2"), (std::vector<Split>{{"\x93\x8C", "12"}}));
    EXPECT_EQ(split("\x95\x5C" "12"), (std::vector<Split>{{"", "\x95\x5C" "12"}}));
}

TEST(SplitAccessNumber, ValuesWiderThanTheRecordAreRefusedNotCut) {
    EXPECT_EQ(split(std::string(10, '1') + "-2"), (std::vector<Split>{{std::string(10, '1'), "2"}}));
    EXPECT_EQ(split(std::string(11, '1') + "-2"), std::vector<Split>{});
    EXPECT_EQ(split("0-" + std::string(128, '5')), (std::vector<Split>{{"0", std::string(128, '5')}}));
    EXPECT_EQ(split("0-" + std::string(129, '5')), std::vector<Split>{});
    // Only the kept digits count against the width.
    EXPECT_EQ(split("0-" + std::string(128, '5') + std::string(200, ' ')),
              (std::vector<Split>{{"0", std::string(128, '5')}}));
    EXPECT_EQ(split(std::string(128, '7')), (std::vector<Split>{{"", std::string(128, '7')}}));
    EXPECT_EQ(split(std::string(129, '7')), std::vector<Split>{});
}

TEST(LoadAccessPointTable, OneRecordPerRowWithAValueInFileOrder) {
    EXPECT_EQ(loadBytes("Name,Number\n"
                        ",03-123-456\n"
                        "Tokyo,03-1-2-3\n"
                        "no comma\n"
                        "Empty,\n"
                        "\x95\x5C,06-9,9\n"
                        "dup,03-123-456\n"
                        "dup,03-123-456\n"
                        "tail,09-9"),
              (std::vector<Split>{{"", "Number"},
                                  {"03", "123456"},
                                  {"03", "123"},
                                  {"06", "99"},
                                  {"03", "123456"},
                                  {"03", "123456"}}));
    EXPECT_EQ(loadBytes("\xEF\xBB\xBF" "A,03-1\r\n"), (std::vector<Split>{{"03", "1"}}));
    EXPECT_EQ(loadBytes("a,0-1\nwide," + std::string(11, '1') + "-2\nb,0-3\n"),
              (std::vector<Split>{{"0", "1"}, {"0", "3"}}));
}

TEST(LoadAccessPointTable, MissingFileGivesFalseUnreadableFileTrueBothEmpty) {
    TempDir dir;
    writeFile(dir.file("APGEN.csv"), "a,01-2\nb,03-4\n");
    AccessPointTable table;
    ASSERT_TRUE(loadAccessPointTableFile(dir.file("APGEN.csv").c_str(), table));
    ASSERT_EQ(table.count(), 2u);

    EXPECT_FALSE(loadAccessPointTableFile(dir.file("APPHS.csv").c_str(), table));
    EXPECT_EQ(table.count(), 0u);

    ASSERT_TRUE(loadAccessPointTableFile(dir.file("APGEN.csv").c_str(), table));
    std::filesystem::create_directory(dir.file("APPHS.csv"));
    EXPECT_TRUE(loadAccessPointTableFile(dir.file("APPHS.csv").c_str(), table));
    EXPECT_EQ(table.count(), 0u);
    EXPECT_EQ(table.capacity(), 0u);
}

TEST(AccessPointTable, GrowsByAnEighthBetween4And1024Records) {
    AccessPointTable table;
    AccessPointRecord record{};
    std::vector<std::size_t> capacities;
    for (int i = 0; i < 20000; ++i) {
        if (table.count() == table.capacity()) capacities.push_back(table.capacity());
        table.append(record);
    }
    ASSERT_GE(capacities.size(), 12u);
    EXPECT_EQ(std::vector<std::size_t>(capacities.begin(), capacities.begin() + 12),
              (std::vector<std::size_t>{0, 4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 45}));
    // Past 8192 records the step stays at 1024.
    EXPECT_EQ(capacities.back() - capacities[capacities.size() - 2], 1024u);
    table.clear();
    EXPECT_EQ(table.count(), 0u);
    EXPECT_EQ(table.capacity(), 0u);
}

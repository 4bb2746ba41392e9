#include "ConnectionTypeMenu.h"

#include "TempSystemRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using testsupport::TempDir;
using testsupport::writeFile;

namespace {

struct Item {
    int typeCode;
    std::string displayName, domainText, accessNumber;
    bool operator==(const Item&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Item& item) {
    return out << item.typeCode << "|" << item.displayName << "|" << item.domainText << "|" << item.accessNumber;
}

Item toItem(const ConnectionTypeItem& item) {
    return {item.typeCode, item.displayName, item.domainText, item.accessNumber};
}

// The parsed line, or nothing when the line is skipped. The line is handed
// over in a buffer of exactly its size, so a read past its end shows.
std::vector<Item> parse(const std::string& line) {
    auto bytes = std::make_unique<char[]>(line.size());
    std::copy(line.begin(), line.end(), bytes.get());
    ConnectionTypeItem item;
    if (!parseConnectionTypeLine(std::string_view(bytes.get(), line.size()), item)) return {};
    return {toItem(item)};
}

std::vector<Item> readBytes(const std::string& bytes) {
    TempDir dir;
    writeFile(dir.file("CTMENU.csv"), bytes);
    std::vector<ConnectionTypeItem> items;
    EXPECT_TRUE(readConnectionTypeItemsFile(dir.file("CTMENU.csv").c_str(), items));
    std::vector<Item> result;
    for (const ConnectionTypeItem& item : items) result.push_back(toItem(item));
    return result;
}

using Items = std::vector<Item>;

}  // namespace

TEST(ConnectionTypeLine, FieldsByPosition) {
    EXPECT_EQ(parse("1,Dial-up A,D1,0123"), (Items{{1, "Dial-up A", "D1", "0123"}}));
    EXPECT_EQ(parse("2,,D2"), (Items{{2, "", "D2", ""}}));
    EXPECT_EQ(parse("1,,,0123"), (Items{{1, "", "", "0123"}}));
    EXPECT_EQ(parse("3,Name,@d,012,extra,more"), (Items{{3, "Name", "@d", "012"}}));
    EXPECT_EQ(parse("4, \"Quoted\" ,@d ,"), (Items{{4, " \"Quoted\" ", "@d ", ""}}));
    EXPECT_EQ(parse("5"), (Items{{5, "", "", ""}}));
}

TEST(ConnectionTypeLine, TypeCodeIsTheLeadingNumber) {
    EXPECT_EQ(parse("12abc,x"), (Items{{12, "x", "", ""}}));
    EXPECT_EQ(parse("9x,Heading"), (Items{{kHeadingTypeCode, "Heading", "", ""}}));
    EXPECT_EQ(parse("0,Zero"), (Items{{0, "Zero", "", ""}}));
}

TEST(ConnectionTypeLine, LinesNotStartingWithADigitAreSkipped) {
    EXPECT_EQ(parse(" 1,Blank first"), Items{});
    EXPECT_EQ(parse("\xEF\xBB\xBF" "1,After a byte-order mark"), Items{});
    EXPECT_EQ(parse("Type,Name,Domain,Number"), Items{});
    EXPECT_EQ(parse("-1,Negative"), Items{});
    EXPECT_EQ(parse(""), Items{});
}

TEST(ConnectionTypeLine, DoubleByteCharactersStayWhole) {
    // Second bytes 0x5C and 0x7C are not separators or escapes.
    EXPECT_EQ(parse("1,\x95\x5C\x8E\xA6,@\x83\x7C,0\x81\x7C" "1"),
              (Items{{1, "\x95\x5C\x8E\xA6", "@\x83\x7C", "0\x81\x7C" "1"}}));
    // A lead byte takes the next byte with it even when that is a comma.
    EXPECT_EQ(parse("1,A\x82,B,C"), (Items{{1, "A\x82,B", "C", ""}}));
    // A lead byte that ends the line stands alone; nothing past the line is read.
    EXPECT_EQ(parse("1,Name\x82"), (Items{{1, "Name\x82", "", ""}}));
    EXPECT_EQ(parse("1,D,@d,0123\x9F"), (Items{{1, "D", "@d", "0123\x9F"}}));
    EXPECT_EQ(parse("1\x82"), (Items{{1, "", "", ""}}));
}

TEST(ConnectionTypeLine, TextsLongerThanTheirMembersSkipTheLine) {
    std::string longest(255, 'n');
    EXPECT_EQ(parse("1," + longest + "," + longest + "," + longest),
              (Items{{1, longest, longest, longest}}));
    std::string tooLong(256, 'n');
    EXPECT_EQ(parse("1," + tooLong + ",@d,0123"), Items{});
    EXPECT_EQ(parse("1,Name," + tooLong + ",0123"), Items{});
    EXPECT_EQ(parse("1,Name,@d," + tooLong), Items{});
    // Fields that are not kept may be of any length.
    EXPECT_EQ(parse("1" + std::string(300, ' ') + ",Name,@d,0123," + tooLong),
              (Items{{1, "Name", "@d", "0123"}}));
}

TEST(ConnectionTypeMenuFile, ItemsInFileOrder) {
    EXPECT_EQ(readBytes("Type,Name,Domain,Number\r\n"
                        "9,Headline\r\n"
                        "2,Zeta,@z,02\r\n"
                        "\r\n"
                        "# remark\r\n"
                        "1,Alpha,@a,01\r\n"
                        "1,Unterminated,@u,03"),
              (Items{{9, "Headline", "", ""}, {2, "Zeta", "@z", "02"}, {1, "Alpha", "@a", "01"}}));
    EXPECT_EQ(readBytes("\xEF\xBB\xBF" "1,First,@f,01\n1,Second,@s,02\n"), (Items{{1, "Second", "@s", "02"}}));
    EXPECT_EQ(readBytes(""), Items{});
}

TEST(ConnectionTypeMenuFile, MissingFileGivesFalseUnreadableFileTrueBothEmpty) {
    TempDir dir;
    std::vector<ConnectionTypeItem> items(1);
    EXPECT_FALSE(readConnectionTypeItemsFile(dir.file("CTMENU.csv").c_str(), items));
    EXPECT_TRUE(items.empty());
    items.resize(1);
    std::filesystem::create_directory(dir.file("CTMENU.csv"));
    EXPECT_TRUE(readConnectionTypeItemsFile(dir.file("CTMENU.csv").c_str(), items));
    EXPECT_TRUE(items.empty());
}

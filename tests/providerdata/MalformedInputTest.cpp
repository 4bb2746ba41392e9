// Damaged and hostile provider files: every reader must come through with
// what its file rules give, never reading or writing outside its buffers.
#include "AccessPointTable.h"
#include "ConnectionTypeMenu.h"
#include "IspSettings.h"

#include "SocketFile.h"
#include "TempSystemRoot.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using testsupport::TempDir;
using testsupport::writeFile;

namespace fs = std::filesystem;

namespace {

constexpr int kAnyCount = -1;

struct Expected {
    int tableRecords;
    int menuItems;
};

// No corpus file holds a usable settings row; the counts follow the file rules.
const std::map<std::string, Expected> kCorpus = {
    {"binary-garbage.bin", {kAnyCount, kAnyCount}},
    // Lines end at their first NUL byte.
    {"nul-bytes.csv", {1, 1}},
    // Lone and trailing lead bytes, bytes that are never CP932.
    {"invalid-cp932.csv", {6, 3}},
    {"utf16le-with-bom.csv", {0, 0}},
    {"line-ends-only.csv", {0, 0}},
    {"unterminated-row.csv", {0, 0}},
    {"control-bytes.csv", {2, 0}},
};

template <std::size_t N>
bool terminatedWithin(const char (&field)[N]) {
    return std::memchr(field, '\0', N) != nullptr;
}

void expectNoSettings(const IspSettings& settings) {
    for (int kind = 0; kind <= 6; ++kind) {
        EXPECT_EQ(settings.lookupDomain(static_cast<DomainKind>(kind)), "") << "domain " << kind;
        EXPECT_EQ(settings.lookupDefaultNumber(static_cast<NumberKind>(kind)), "") << "number " << kind;
    }
    RASIPADDR primary{1, 2, 3, 4};
    RASIPADDR secondary{5, 6, 7, 8};
    EXPECT_FALSE(settings.lookupDnsServers(primary, secondary));
    EXPECT_EQ(primary.a, 1);
    EXPECT_EQ(secondary.d, 8);
    struct FailingDialog : DialogTextSink {
        void setControlText(int controlId, const char*) override { ADD_FAILURE() << "control " << controlId; }
    } dialog;
    EXPECT_FALSE(settings.loadDialogDefaults(dialog));
}

// Reads `path` as each of the provider files.
void expectSurvived(const std::string& path, Expected expected) {
    expectNoSettings(IspSettings(path));

    AccessPointTable table;
    EXPECT_TRUE(loadAccessPointTableFile(path.c_str(), table));
    if (expected.tableRecords != kAnyCount) {
        EXPECT_EQ(table.count(), static_cast<std::size_t>(expected.tableRecords));
    }
    for (const AccessPointRecord& record : table) {
        EXPECT_TRUE(terminatedWithin(record.areaCode));
        EXPECT_TRUE(terminatedWithin(record.localNumber));
    }

    std::vector<ConnectionTypeItem> items;
    EXPECT_TRUE(readConnectionTypeItemsFile(path.c_str(), items));
    if (expected.menuItems != kAnyCount) {
        EXPECT_EQ(items.size(), static_cast<std::size_t>(expected.menuItems));
    }
    for (const ConnectionTypeItem& item : items) {
        EXPECT_TRUE(terminatedWithin(item.displayName));
        EXPECT_TRUE(terminatedWithin(item.domainText));
        EXPECT_TRUE(terminatedWithin(item.accessNumber));
    }
}

std::string pattern(const std::string& unit, std::size_t size) {
    std::string bytes;
    while (bytes.size() < size) bytes += unit;
    bytes.resize(size);
    return bytes;
}

}  // namespace

TEST(MalformedInput, EveryCorpusFileIsSurvived) {
    std::size_t seen = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(PROVIDERDATA_CORPUS)) {
        std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        auto expected = kCorpus.find(name);
        ASSERT_NE(expected, kCorpus.end()) << "a corpus file without expectations";
        expectSurvived(entry.path().string(), expected->second);
        ++seen;
    }
    EXPECT_EQ(seen, kCorpus.size());
}

TEST(MalformedInput, OneMegabyteLines) {
    TempDir dir;
    constexpr std::size_t kMegabyte = 1 << 20;
    // Pieces with commas whose values are too wide for a record.
    writeFile(dir.file("commas.csv"), pattern("A,", kMegabyte) + "\n");
    expectSurvived(dir.file("commas.csv"), {0, 0});
    writeFile(dir.file("lead-bytes.csv"), pattern("\x82", kMegabyte) + "\n");
    expectSurvived(dir.file("lead-bytes.csv"), {0, 0});

    // Every piece of 511 digits is a method whose type code saturates.
    writeFile(dir.file("digits.csv"), pattern("1", kMegabyte) + "\n");
    std::vector<ConnectionTypeItem> items;
    ASSERT_TRUE(readConnectionTypeItemsFile(dir.file("digits.csv").c_str(), items));
    EXPECT_EQ(items.size(), (kMegabyte + 510) / 511);
    EXPECT_EQ(items.front().typeCode, INT_MAX);
    EXPECT_EQ(items.back().typeCode, 1111);
    expectNoSettings(IspSettings(dir.file("digits.csv")));
}

TEST(MalformedInput, ThingsThatAreNotFiles) {
    TempDir dir;
    fs::create_directory(dir.file("directory.csv"));
    expectSurvived(dir.file("directory.csv"), {0, 0});

    std::string socketPath = dir.file("socket.csv");
    SocketFile socket(socketPath);
    ASSERT_TRUE(socket.bound());
    expectSurvived(socketPath, {0, 0});
}

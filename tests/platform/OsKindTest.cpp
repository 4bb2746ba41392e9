// The version classification, asked through GetVersionExA against identities
// stored in a temporary system root, so the probe is tested end to end.
#include "Platform.h"
#include "TempSystemRoot.h"
#include "VersionIdentity.h"

#include <gtest/gtest.h>

namespace {

using testsupport::TempSystemRoot;

struct Row {
    const char* what;
    DWORD platform;
    DWORD major;
    DWORD minor;
    DWORD build;
    OsKind expected;
};

// Every row of the table and both sides of every threshold.
const Row kRows[] = {
    {"Win32s", 0, 3, 10, 0, 0},
    {"95, build 1110", 1, 4, 0, 1110, 1},
    {"95 OSR2, build 1111", 1, 4, 0, 1111, 2},
    {"95 OSR2, build 1211", 1, 4, 0, 1211, 2},
    {"later 95, build 1212", 1, 4, 0, 1212, 3},
    {"95 family, minor 9 stays below 98", 1, 4, 9, 5000, 3},
    {"98, minor 10, build 2221", 1, 4, 10, 2221, 4},
    {"98 SE, build 2222", 1, 4, 10, 2222, 5},
    {"98 SE, minor 89", 1, 4, 89, 2222, 5},
    {"98, minor 89, low build", 1, 4, 89, 0, 4},
    {"Me, minor 90, even with a low build", 1, 4, 90, 0, 6},
    {"95 family: only the low word is the build", 1, 4, 0, 0x04000457, 2},
    {"98 family: only the low word is the build", 1, 4, 10, 0x040A08AD, 4},
    {"NT 4.0, major 4", 2, 4, 0, 1381, 7},
    {"NT, major 4 with a minor", 2, 4, 1, 0, 7},
    {"2000, major 5 minor 0", 2, 5, 0, 2195, 8},
    {"XP, major 5 minor 1", 2, 5, 1, 2600, 9},
    {"Vista 6.0 counts as 2000", 2, 6, 0, 6000, 8},
    {"7 (6.1) counts as XP", 2, 6, 1, 7600, 9},
    {"platform id 3 is unknown", 3, 5, 1, 2600, kOsKindUnknown},
    {"platform id 0xFFFFFFFF is unknown", 0xFFFFFFFF, 5, 1, 2600, kOsKindUnknown},
};

TEST(OsKind, EveryRowAndThresholdThroughGetVersionExA) {
    TempSystemRoot root;
    for (const Row& row : kRows) {
        standin::VersionIdentity identity{row.platform, row.major, row.minor, row.build, ""};
        std::string error;
        ASSERT_EQ(standin::storeVersionIdentity(identity, error), ERROR_SUCCESS) << error;
        OsKind kind = 12345;
        EXPECT_EQ(probePlatform(kind), 1) << row.what;
        EXPECT_EQ(kind, row.expected) << row.what;

        OSVERSIONINFOA info{};
        info.dwMajorVersion = row.major;
        info.dwMinorVersion = row.minor;
        info.dwBuildNumber = row.build;
        info.dwPlatformId = row.platform;
        EXPECT_EQ(classifyVersion(info), row.expected) << row.what;
    }
}

TEST(OsKind, NamedReleasesGiveTheirCodes) {
    TempSystemRoot root;
    const std::pair<const char*, OsKind> releases[] = {
        {"win32s", 0}, {"95", 1}, {"95osr2", 2}, {"95late", 3}, {"98", 4},
        {"98se", 5},   {"me", 6}, {"nt4", 7},    {"2000", 8},   {"xp", 9},
    };
    for (const auto& [name, expected] : releases) {
        std::string error;
        ASSERT_EQ(standin::storeVersionIdentity(standin::findVersionPreset(name)->identity, error), ERROR_SUCCESS);
        OsKind kind = 0;
        EXPECT_EQ(probePlatform(kind), 1);
        EXPECT_EQ(kind, expected) << name;
    }
}

TEST(OsKind, FreshRootAnswersXp) {
    TempSystemRoot root;
    OsKind kind = 0;
    EXPECT_EQ(probePlatform(kind), 1);
    EXPECT_EQ(kind, kOsKindXp);
}

TEST(OsKind, FailedVersionQueryGivesUnknownAndZero) {
    TempSystemRoot root;
    testsupport::writeFile(root.file("version"), "platform=two\n");
    OsKind kind = 3;
    EXPECT_EQ(probePlatform(kind), 0);
    EXPECT_EQ(kind, kOsKindUnknown);
}

TEST(OsKind, AsksAfreshOnEveryCall) {
    TempSystemRoot root;
    std::string error;
    OsKind kind = 0;
    ASSERT_EQ(standin::storeVersionIdentity(standin::findVersionPreset("me")->identity, error), ERROR_SUCCESS);
    probePlatform(kind);
    EXPECT_EQ(kind, kOsKindMe);
    ASSERT_EQ(standin::storeVersionIdentity(standin::findVersionPreset("2000")->identity, error), ERROR_SUCCESS);
    probePlatform(kind);
    EXPECT_EQ(kind, 8u);
}

}  // namespace

// GetVersionExA and the identity file behind it.
#include "TempSystemRoot.h"
#include "VersionIdentity.h"
#include "windows.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testsupport::readFile;
using testsupport::TempSystemRoot;
using testsupport::writeFile;

OSVERSIONINFOA askVersion(BOOL& ok) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ok = GetVersionExA(&info);
    return info;
}

TEST(GetVersionExA, FirstUseSeedsWindowsXp) {
    TempSystemRoot root;
    BOOL ok = FALSE;
    OSVERSIONINFOA info = askVersion(ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(info.dwMajorVersion, 5u);
    EXPECT_EQ(info.dwMinorVersion, 1u);
    EXPECT_EQ(info.dwBuildNumber, 2600u);
    EXPECT_STREQ(info.szCSDVersion, "Service Pack 3");
    std::string seeded = readFile(root.file("version"));
    EXPECT_NE(seeded.find("\nplatform=2\nmajor=5\nminor=1\nbuild=2600\n"), std::string::npos) << seeded;
}

TEST(GetVersionExA, OnlyThe148ByteRecordIsAccepted) {
    TempSystemRoot root;
    for (DWORD size : {0u, 147u, 149u, 156u}) {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = size;
        SetLastError(0);
        EXPECT_FALSE(GetVersionExA(&info)) << size;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        EXPECT_EQ(info.dwMajorVersion, 0u);
    }
    EXPECT_FALSE(GetVersionExA(nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(GetVersionExA, AnswersWhatWasStoredInEveryPreset) {
    TempSystemRoot root;
    for (const standin::VersionPreset& preset : standin::versionPresets()) {
        std::string error;
        ASSERT_EQ(standin::storeVersionIdentity(preset.identity, error), ERROR_SUCCESS) << error;
        BOOL ok = FALSE;
        OSVERSIONINFOA info = askVersion(ok);
        ASSERT_TRUE(ok) << preset.name;
        EXPECT_EQ(info.dwPlatformId, preset.identity.platformId) << preset.name;
        EXPECT_EQ(info.dwMajorVersion, preset.identity.majorVersion);
        EXPECT_EQ(info.dwMinorVersion, preset.identity.minorVersion);
        EXPECT_EQ(info.dwBuildNumber, preset.identity.buildNumber);
        EXPECT_EQ(std::string(info.szCSDVersion), preset.identity.csdVersion);
        standin::VersionIdentity back;
        ASSERT_EQ(standin::loadVersionIdentity(back, error), ERROR_SUCCESS);
        EXPECT_EQ(standin::presetOf(back), &preset);
    }
}

TEST(GetVersionExA, ServicePackTextFillsTheRecordUpToItsLastByte) {
    TempSystemRoot root;
    std::string error;
    standin::VersionIdentity identity{2, 5, 1, 2600, std::string(127, 'S')};
    ASSERT_EQ(standin::storeVersionIdentity(identity, error), ERROR_SUCCESS);
    BOOL ok = FALSE;
    OSVERSIONINFOA info = askVersion(ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(std::string(info.szCSDVersion), identity.csdVersion);
    identity.csdVersion += 'S';
    EXPECT_EQ(standin::storeVersionIdentity(identity, error), ERROR_INVALID_PARAMETER);
}

TEST(GetVersionExA, NonsenseIdentityFilesFailAndAreLeftAsTheyAre) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SYSTEM_CORPUS_DIR "/version")) {
        TempSystemRoot root;
        std::string bytes = readFile(entry.path().string());
        writeFile(root.file("version"), bytes);
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = sizeof info;
        SetLastError(0);
        EXPECT_FALSE(GetVersionExA(&info)) << entry.path();
        EXPECT_EQ(GetLastError(), ERROR_BADDB) << entry.path();
        standin::VersionIdentity identity;
        std::string error;
        EXPECT_EQ(standin::loadVersionIdentity(identity, error), ERROR_BADDB);
        EXPECT_NE(error.find("is damaged ("), std::string::npos) << error;
        EXPECT_EQ(readFile(root.file("version")), bytes) << entry.path();
        ++files;
    }
    EXPECT_GE(files, 10);
}

TEST(VersionIdentityFile, AcceptsHexadecimalBuildsCommentsAndCrLf) {
    standin::VersionIdentity identity;
    std::string error;
    ASSERT_TRUE(standin::parseVersionIdentity(
        "# a comment\r\n\r\nplatform=1\r\nmajor=4\nminor=10\nbuild=0x040A08AE\ncsd= A\n", identity, error))
        << error;
    EXPECT_EQ(identity, (standin::VersionIdentity{1, 4, 10, 0x040A08AE, " A"}));
    // The service pack line may be left out.
    ASSERT_TRUE(standin::parseVersionIdentity("platform=2\nmajor=5\nminor=0\nbuild=2195\n", identity, error));
    EXPECT_EQ(identity.csdVersion, "");
}

}  // namespace

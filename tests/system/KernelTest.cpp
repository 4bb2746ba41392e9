// kernel32 stand-ins other than the version: module file name and file
// attributes. (Run-time linking is tested with the binding, in platform/.)
#include "TempSystemRoot.h"
#include "windows.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string ownPath() {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

TEST(Kernel, TestsSeeTheirOwnEnvironmentFromCTest) {
    // kivora_add_test's ENVIRONMENT reaches the test (and its safety net too).
    const char* value = std::getenv("KIVORA_TEST_ENVIRONMENT");
    if (value == nullptr) GTEST_SKIP() << "not run through ctest";
    EXPECT_STREQ(value, "passed");
    ASSERT_NE(std::getenv("XDG_DATA_HOME"), nullptr);
    EXPECT_NE(std::string(std::getenv("XDG_DATA_HOME")).find("test-xdg-data"), std::string::npos);
}

TEST(Kernel, GetModuleFileNameTruncatesAsWindowsDoes) {
    std::string path = ownPath();
    ASSERT_FALSE(path.empty());
    const DWORD length = static_cast<DWORD>(path.size());
    char buffer[4096];

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, length + 1), length);
    EXPECT_EQ(std::string(buffer), path);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

    // One byte short: the first length - 1 bytes and a terminator, the
    // buffer's size returned, ERROR_INSUFFICIENT_BUFFER.
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, length), length);
    EXPECT_EQ(std::string(buffer), path.substr(0, length - 1));
    EXPECT_EQ(buffer[length], 'x');
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 1), 1u);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, 0), 0u);
}

TEST(Kernel, GetFileAttributesTellsDirectoriesFilesAndNothing) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("APGEN.csv"), "x\n");
    testsupport::writeFile(dir.file("locked"), "x\n");
    ASSERT_EQ(chmod(dir.file("locked").c_str(), 0), 0);
    testsupport::writeFile(dir.file("readonly"), "x\n");
    ASSERT_EQ(chmod(dir.file("readonly").c_str(), 0444), 0);

    EXPECT_EQ(GetFileAttributesA(dir.path().c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA(dir.file("APGEN.csv").c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesA(dir.file("readonly").c_str()), FILE_ATTRIBUTE_READONLY);
    // Present, even though nobody may read it.
    EXPECT_NE(GetFileAttributesA(dir.file("locked").c_str()), INVALID_FILE_ATTRIBUTES);

    EXPECT_EQ(GetFileAttributesA(dir.file("APPHS.csv").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesA(dir.file("APGEN.csv/x").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesA(""), INVALID_FILE_ATTRIBUTES);
}

}  // namespace

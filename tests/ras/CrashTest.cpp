// Writers killed at random moments, and writers running at once: the
// phonebook always loads and never loses an entry it held.
#include "Credentials.h"
#include "Phonebook.h"
#include "RasLibrary.h"
#include "TempSystemRoot.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <set>

using namespace rastest;
using testsupport::readFile;

namespace {

// Writes entries named "<prefix><i>" (their number being the name too) with
// credentials, reporting each i on `report` once both are stored.
[[noreturn]] void writeEntries(const std::string& prefix, int count, int report) {
    for (int i = 0; i < count; ++i) {
        std::string name = prefix + std::to_string(i);
        if (setEntry(name, modemEntry(name)) != ERROR_SUCCESS ||
            setCredentials(name, "user" + std::to_string(i), "pw", FALSE) != ERROR_SUCCESS) {
            _exit(1);
        }
        if (report >= 0 && write(report, &i, sizeof i) != sizeof i) _exit(1);
    }
    _exit(0);
}

// Parses the files as they are on disk, apart from the library's cache.
void expectHolds(const testsupport::TempSystemRoot& root, const std::set<std::string>& names) {
    standin::ras::Phonebook phonebook;
    standin::ras::Credentials credentials;
    std::string reason;
    ASSERT_TRUE(standin::ras::parsePhonebook(readFile(root.file("phonebook.txt")), phonebook, reason))
        << reason;
    ASSERT_TRUE(standin::ras::parseCredentials(readFile(root.file("credentials.txt")), credentials, reason))
        << reason;
    for (const std::string& name : names) {
        const auto* entry = phonebook.find(name);
        ASSERT_NE(entry, nullptr) << name << " was lost";
        EXPECT_EQ(entry->record.szLocalPhoneNumber, name);
        ASSERT_NE(credentials.find(name), nullptr) << "credentials of " << name << " were lost";
    }
}

}  // namespace

TEST(RasCrash, WritersKilledAtRandomNeverTearOrLoseThePhonebook) {
    testsupport::TempSystemRoot root;
    std::mt19937 random(20240603);
    std::set<std::string> stored;
    int killedMidway = 0;
    for (int round = 0; round < 60; ++round) {
        int report[2];
        ASSERT_EQ(pipe(report), 0);
        std::string prefix = "round" + std::to_string(round) + "-";
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(report[0]);
            writeEntries(prefix, 1000, report[1]);
        }
        close(report[1]);
        // A write with its flushes takes some milliseconds: the kills land inside
        // writes, before the first one, and between two.
        usleep(static_cast<useconds_t>(random() % 80000));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (WIFSIGNALED(status)) ++killedMidway;
        int i;
        while (read(report[0], &i, sizeof i) == sizeof i) stored.insert(prefix + std::to_string(i));
        close(report[0]);

        expectHolds(root, stored);
        // And the library itself loads it.
        EXPECT_GE(entryNames().size(), stored.size());
    }
    EXPECT_GT(killedMidway, 50);
    EXPECT_GT(stored.size(), 30u);
    // A later write clears what killed writers left behind.
    ASSERT_EQ(setEntry("after", modemEntry("1")), 0u);
    ASSERT_EQ(setCredentials("after", "user", "password", FALSE), 0u);
    for (const auto& entry : std::filesystem::directory_iterator(root.path())) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp."), std::string::npos) << entry.path();
    }
}

TEST(RasCrash, TwoProcessesWritingAtOnceLoseNothing) {
    testsupport::TempSystemRoot root;
    constexpr int kPerWriter = 40;
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0) writeEntries(w == 0 ? "left" : "right", kPerWriter, -1);
    }
    for (pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::set<std::string> all;
    for (int i = 0; i < kPerWriter; ++i) {
        all.insert("left" + std::to_string(i));
        all.insert("right" + std::to_string(i));
    }
    expectHolds(root, all);
    EXPECT_EQ(entryNames().size(), all.size());
}

// Writers killed at random moments, and writers running at once: the
// phonebook always loads and never loses an entry it held. The soak runs the
// same writers at scale.
#include "PhonebookWriters.h"
#include "RasLibrary.h"
#include "TempSystemRoot.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace rastest;

TEST(RasCrash, WritersKilledAtRandomNeverTearOrLoseThePhonebook) {
    testsupport::TempSystemRoot root;
    // A write with its flushes takes some milliseconds: the kills land inside
    // writes, before the first one, and between two.
    const testsupport::KillFigures figures = killPhonebookWriters(60, std::chrono::milliseconds(80), 20240603);
    EXPECT_EQ(figures.damage.tornFiles, 0) << figures.damage.firstProblem;
    EXPECT_EQ(figures.damage.lostEntries, 0) << figures.damage.firstProblem;
    EXPECT_EQ(figures.killedMidway, figures.kills);
    EXPECT_GT(figures.writesReported, 30);
    // Enough kills must have caught a write half done, or the test proves little.
    EXPECT_GT(figures.caughtMidWrite, 5);
    // The library itself loads what the killed writers left.
    EXPECT_FALSE(entryNames().empty());
    // A later write clears what killed writers left behind.
    ASSERT_EQ(setEntry("after", modemEntry("1")), 0u);
    ASSERT_EQ(setCredentials("after", "user", "password", FALSE), 0u);
    for (const auto& entry : std::filesystem::directory_iterator(root.path())) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp."), std::string::npos) << entry.path();
    }
}

TEST(RasCrash, TwoProcessesWritingAtOnceLoseNothing) {
    testsupport::TempSystemRoot root;
    const testsupport::ConcurrencyFigures figures = writePhonebookTogether(2, 40, std::chrono::minutes(5));
    EXPECT_EQ(figures.failedWriters, 0);
    EXPECT_EQ(figures.writes, 80);
    EXPECT_EQ(figures.damage.tornFiles, 0) << figures.damage.firstProblem;
    EXPECT_EQ(figures.damage.lostEntries, 0) << figures.damage.firstProblem;
    EXPECT_EQ(entryNames().size(), 80u);
}

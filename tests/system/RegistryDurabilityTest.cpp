// What the registry promises about crashes and concurrent writers: a kill at
// any moment leaves the old or the new hive, and two writers lose nothing.
// The soak runs the same writers at scale.
#include "RegistryTestSupport.h"
#include "RegistryWriters.h"

#include <filesystem>

namespace {

using testsupport::TempSystemRoot;

TEST(RegistryDurability, KillDuringWritesLosesNothing) {
    TempSystemRoot root;
    const testsupport::KillFigures figures =
        registrytest::killRegistryWriters(300, std::chrono::milliseconds(20), 20240601);
    EXPECT_EQ(figures.damage.tornFiles, 0) << figures.damage.firstProblem;
    EXPECT_EQ(figures.damage.lostEntries, 0) << figures.damage.firstProblem;
    EXPECT_EQ(figures.killedMidway, figures.kills);
    RecordProperty("kills_mid_write", figures.caughtMidWrite);
    RecordProperty("writes_landed", static_cast<int>(figures.writesReported));
    // Every writer stored before its kill, and enough kills hit one at work,
    // or the test proves little.
    EXPECT_GE(figures.writesReported, figures.kills);
    EXPECT_GT(figures.caughtMidWrite, figures.kills / 10);
    // A later write clears what killed writers left behind.
    ASSERT_EQ(setDword(HKEY_CURRENT_USER, kInternetSettings, "Counter", 0), ERROR_SUCCESS);
    for (const auto& entry : std::filesystem::directory_iterator(root.path())) {
        EXPECT_EQ(entry.path().filename().string().find("HKCU.reg.tmp."), std::string::npos) << entry.path();
    }
}

TEST(RegistryDurability, TwoProcessesWritingAtOnceLoseNothing) {
    TempSystemRoot root;
    const testsupport::ConcurrencyFigures figures =
        registrytest::writeRegistryTogether(2, 40, std::chrono::minutes(5));
    EXPECT_EQ(figures.failedWriters, 0);
    EXPECT_EQ(figures.writes, 80);
    EXPECT_EQ(figures.damage.tornFiles, 0) << figures.damage.firstProblem;
    EXPECT_EQ(figures.damage.lostEntries, 0) << figures.damage.firstProblem;
}

}  // namespace

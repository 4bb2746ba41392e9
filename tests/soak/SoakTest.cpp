// The stores' crash safety and concurrency at scale (make soak; not part of
// make test). The phonebook and the registry each face writer processes
// killed at random moments and writers running at once; torn files and lost
// entries must both stay 0. The scale comes from the environment:
//   KIVORA_SOAK_KILLS    writers killed per store (10000)
//   KIVORA_SOAK_SECONDS  how long the concurrent writers run (60)
//   KIVORA_SOAK_WRITERS  how many writers run at once (4)
#include "PhonebookWriters.h"
#include "RegistryWriters.h"
#include "TempSystemRoot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

int setting(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::atoi(value) : fallback;
}

const int kKills = setting("KIVORA_SOAK_KILLS", 10000);
const int kSeconds = setting("KIVORA_SOAK_SECONDS", 60);
const int kWriters = setting("KIVORA_SOAK_WRITERS", 4);

// As long as the run is, it never stops on a count.
constexpr std::int64_t kUnlimited = std::numeric_limits<std::int64_t>::max();

void report(const char* store, const testsupport::KillFigures& figures, double seconds) {
    std::printf("%s, killed writers: %d kills (%d mid-run, %d mid-write), %lld writes reported, "
                "%d torn files, %d lost entries, %.0f s\n",
                store, figures.kills, figures.killedMidway, figures.caughtMidWrite,
                static_cast<long long>(figures.writesReported), figures.damage.tornFiles,
                figures.damage.lostEntries, seconds);
    EXPECT_EQ(figures.damage.tornFiles, 0) << figures.damage.firstProblem;
    EXPECT_EQ(figures.damage.lostEntries, 0) << figures.damage.firstProblem;
    EXPECT_EQ(figures.killedMidway, figures.kills) << "a writer failed before it was killed";
}

void report(const char* store, const testsupport::ConcurrencyFigures& figures, double seconds) {
    std::printf("%s, concurrent writers: %d writers, %lld writes, %d checks while running, "
                "%d torn files, %d lost entries, %d writers failed, %.0f s\n",
                store, figures.writers, static_cast<long long>(figures.writes), figures.checksWhileRunning,
                figures.damage.tornFiles, figures.damage.lostEntries, figures.failedWriters, seconds);
    EXPECT_EQ(figures.damage.tornFiles, 0) << figures.damage.firstProblem;
    EXPECT_EQ(figures.damage.lostEntries, 0) << figures.damage.firstProblem;
    EXPECT_EQ(figures.failedWriters, 0);
}

template <typename Run>
double secondsOf(Run run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(Soak, PhonebookWritersKilledAtRandom) {
    testsupport::TempSystemRoot root;
    testsupport::KillFigures figures;
    double seconds = secondsOf(
        [&] { figures = rastest::killPhonebookWriters(kKills, std::chrono::milliseconds(80), 20240603); });
    report("phonebook", figures, seconds);
}

TEST(Soak, PhonebookWritersAtOnce) {
    testsupport::TempSystemRoot root;
    testsupport::ConcurrencyFigures figures;
    double seconds = secondsOf(
        [&] { figures = rastest::writePhonebookTogether(kWriters, kUnlimited, std::chrono::seconds(kSeconds)); });
    report("phonebook", figures, seconds);
}

TEST(Soak, RegistryWritersKilledAtRandom) {
    testsupport::TempSystemRoot root;
    testsupport::KillFigures figures;
    double seconds = secondsOf(
        [&] { figures = registrytest::killRegistryWriters(kKills, std::chrono::milliseconds(20), 20240601); });
    report("registry", figures, seconds);
}

TEST(Soak, RegistryWritersAtOnce) {
    testsupport::TempSystemRoot root;
    testsupport::ConcurrencyFigures figures;
    double seconds = secondsOf(
        [&] { figures = registrytest::writeRegistryTogether(kWriters, kUnlimited, std::chrono::seconds(kSeconds)); });
    report("registry", figures, seconds);
}

}  // namespace

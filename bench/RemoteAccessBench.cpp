// The stand-in remote-access service: one RasGetEntryPropertiesA on a
// phonebook of 10,000 entries that has not changed since it was first read.
// Baseline: the stat of the phonebook file, the least a call must do to see
// whether another program changed the phonebook.
#include "PairTiming.h"
#include "Phonebook.h"
#include "RasLibrary.h"
#include "RemoteAccessStore.h"
#include "TempSystemRoot.h"

#include <sys/stat.h>

#include <benchmark/benchmark.h>

#include <string>

using namespace rastest;

namespace {

constexpr int kEntries = 10000;

void BM_GetEntryPropertiesUnchanged(benchmark::State& state) {
    testsupport::TempSystemRoot root;
    standin::ras::Phonebook phonebook;
    for (int i = 0; i < kEntries; ++i) {
        phonebook.put(sjis("接続") + std::to_string(i), modemEntry("0570-" + std::to_string(i)));
    }
    const std::string path = root.file(standin::ras::kPhonebookFile);
    testsupport::writeFile(path, standin::ras::serializePhonebook(phonebook));

    // The last entry, so that nothing favours an early one.
    const std::string name = sjis("接続") + std::to_string(kEntries - 1);
    RASENTRYA entry{};
    auto get = [&] {
        entry.dwSize = sizeof entry;
        DWORD size = sizeof entry;
        return ras().RasGetEntryPropertiesA(nullptr, name.c_str(), &entry, &size, nullptr, nullptr);
    };
    // The first load parses the file; what is measured comes after it.
    if (get() != ERROR_SUCCESS) {
        state.SkipWithError("the entry cannot be read");
        return;
    }

    PairTiming timing(state);
    struct stat st {};
    for (auto _ : state) {
        timing.subject([&] { benchmark::DoNotOptimize(get()); });
        timing.baseline([&] { benchmark::DoNotOptimize(stat(path.c_str(), &st)); });
    }
    timing.report();
    if (std::string(entry.szLocalPhoneNumber) != "0570-" + std::to_string(kEntries - 1)) {
        state.SkipWithError("the entry read back another number");
    }
}
BENCHMARK(BM_GetEntryPropertiesUnchanged)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();

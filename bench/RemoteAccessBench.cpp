// The stand-in remote-access service: one RasGetEntryPropertiesA on a
// phonebook of 10,000 entries that has not changed since it was first read
// (baseline: the stat of the phonebook file, the least a call must do to see
// whether another program changed the phonebook), and one right after
// another process appended a change to the phonebook's journal (baseline:
// one after the whole file was replaced, which must be parsed whole).
#include "PairTiming.h"
#include "Phonebook.h"
#include "RasLibrary.h"
#include "RemoteAccessStore.h"
#include "RunProcess.h"
#include "TempSystemRoot.h"

#include <sys/stat.h>

#include <benchmark/benchmark.h>

#include <string>

using namespace rastest;

namespace {

constexpr int kEntries = 10000;

std::string phonebookBytes() {
    standin::ras::Phonebook phonebook;
    for (int i = 0; i < kEntries; ++i) {
        phonebook.put(sjis("接続") + std::to_string(i), {modemEntry("0570-" + std::to_string(i)), {}});
    }
    return standin::ras::serializePhonebook(phonebook);
}

// The last entry, so that nothing favours an early one.
const std::string& lastName() {
    static const std::string name = sjis("接続") + std::to_string(kEntries - 1);
    return name;
}

DWORD getLast(RASENTRYA& entry) {
    entry.dwSize = sizeof entry;
    DWORD size = sizeof entry;
    return ras().RasGetEntryPropertiesA(nullptr, lastName().c_str(), &entry, &size, nullptr, nullptr);
}

void BM_GetEntryPropertiesUnchanged(benchmark::State& state) {
    testsupport::TempSystemRoot root;
    const std::string path = root.file(standin::ras::kPhonebookFile);
    testsupport::writeFile(path, phonebookBytes());
    RASENTRYA entry{};
    auto get = [&] { return getLast(entry); };
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

void BM_GetEntryPropertiesAfterAnotherProcessAppended(benchmark::State& state) {
    testsupport::TempSystemRoot root;
    const std::string path = root.file(standin::ras::kPhonebookFile);
    const std::string bytes = phonebookBytes();
    testsupport::writeFile(path, bytes);
    RASENTRYA entry{};
    if (getLast(entry) != ERROR_SUCCESS) {
        state.SkipWithError("the entry cannot be read");
        return;
    }
    PairTiming timing(state);
    int change = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string number = "03-" + std::to_string(++change);
        const auto put = testsupport::runProcess(
            {KIVORA_BIN_DIR "/kivora-sys", "put", "接続" + std::to_string(kEntries - 1), "szLocalPhoneNumber=" + number});
        state.ResumeTiming();
        timing.subject([&] { benchmark::DoNotOptimize(getLast(entry)); });
        if (put.status != 0 || entry.szLocalPhoneNumber != number) {
            state.SkipWithError("the appended change was not read");
            break;
        }
        timing.baseline([&] {
            replaceFile(path, bytes);
            benchmark::DoNotOptimize(getLast(entry));
        });
    }
    timing.report();
}
BENCHMARK(BM_GetEntryPropertiesAfterAnotherProcessAppended)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();

// The access-point migration over synthetic phonebooks: the real
// MigrationDriver, bound to the real librasapi32.so, every offered change
// answered by a backend in the user's place. Baseline: a plain loop doing
// the pass's locateNumber comparisons over the same numbers, held in memory.
//
// The demo provider's ISP_INF.csv stands beside this program; APGEN.csv is
// written beside it for each table size, APPHS.csv is empty. Every tenth
// entry dials a retired number (with dashes, and every other one with an
// outside-line prefix); the others dial numbers no table holds.
#include "AnsweringBackend.h"
#include "Credentials.h"
#include "MigrationDriver.h"
#include "NumberRewriting.h"
#include "PairTiming.h"
#include "Phonebook.h"
#include "Platform.h"
#include "RasLibrary.h"
#include "RemoteAccess.h"
#include "RemoteAccessStore.h"
#include "TempSystemRoot.h"
#include "Text.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace rastest;

namespace {

// What ISP_INF.csv beside the program says.
constexpr const char* kIsdnNumber = "0355504000";
constexpr const char* kOldDomain = "@rknet.example";

struct RetiredNumber {
    std::string areaCode;
    std::string localNumber;
};

RetiredNumber retiredNumber(int index) {
    char local[16];
    std::snprintf(local, sizeof local, "5550%04d", index);
    return {"0" + std::to_string(3 + index % 7), local};
}

// How entry `index` dials: a retired number for every tenth entry.
std::string dialledNumber(int index, int retiredCount) {
    if (index % 10 != 3) {
        char number[32];
        std::snprintf(number, sizeof number, "06-1234-%04d", index % 10000);
        return number;
    }
    RetiredNumber retired = retiredNumber(index / 10 % retiredCount);
    std::string dashed =
        retired.areaCode + "-" + retired.localNumber.substr(0, 4) + "-" + retired.localNumber.substr(4);
    return index / 10 % 2 == 0 ? dashed : "0," + dashed;
}

std::string besideProgram(const char* fileName) {
    char directory[MAX_PATH];
    programDirectory(directory);
    return std::string(directory) + "/" + fileName;
}

// A synthetic installation: the retired-number table beside the program and
// the phonebook with its credentials, kept as bytes to lay down afresh
// before every pass (each pass rewrites a tenth of the entries).
class Installation {
public:
    Installation(int entries, int retired) : entries_(entries), retired_(retired) {
        std::string table;
        for (int i = 0; i < retired; ++i) {
            RetiredNumber number = retiredNumber(i);
            table += sjis("旧") + std::to_string(i) + "," + number.areaCode + "-" + number.localNumber + "\r\n";
        }
        testsupport::writeFile(besideProgram("APGEN.csv"), table);
        testsupport::writeFile(besideProgram("APPHS.csv"), "");

        standin::ras::Phonebook phonebook;
        standin::ras::Credentials credentials;
        for (int i = 0; i < entries; ++i) {
            std::string name = sjis("接続") + std::to_string(i);
            phonebook.put(name, {modemEntry(dialledNumber(i, retired)), {}});
            standin::ras::StoredDialParams stored{};
            stored.params.dwSize = sizeof stored.params;
            std::string user = "user" + std::to_string(i) + kOldDomain;
            std::memcpy(stored.params.szUserName, user.c_str(), user.size() + 1);
            std::memcpy(stored.params.szPassword, "pw", 3);
            stored.hasPassword = true;
            credentials.put(name, stored);
        }
        phonebookBytes_ = standin::ras::serializePhonebook(phonebook);
        credentialsBytes_ = standin::ras::serializeCredentials(credentials);
    }

    // The phonebook as it was before any pass, without the journals of the
    // last one.
    void layDown() const {
        replaceFile(root_.file(standin::ras::kPhonebookFile), phonebookBytes_);
        replaceFile(root_.file(standin::ras::kCredentialsFile), credentialsBytes_);
        std::remove(root_.file(standin::ras::kPhonebookJournal).c_str());
        std::remove(root_.file(standin::ras::kCredentialsJournal).c_str());
    }

    // Entries 3, 13, 23 and so on.
    int qualifying() const { return (entries_ + 6) / 10; }

    // What the pass compares, in memory: every entry's number, and the
    // table's records joined as the pass joins them for a number without an
    // area code.
    std::vector<std::string> numbers() const {
        std::vector<std::string> result;
        for (int i = 0; i < entries_; ++i) result.push_back(dialledNumber(i, retired_));
        return result;
    }
    std::vector<std::string> patterns() const {
        std::vector<std::string> result;
        for (int i = 0; i < retired_; ++i) {
            RetiredNumber number = retiredNumber(i);
            result.push_back(number.areaCode + number.localNumber);
        }
        return result;
    }

private:
    testsupport::TempSystemRoot root_;
    int entries_;
    int retired_;
    std::string phonebookBytes_;
    std::string credentialsBytes_;
};

// The baseline: each number against the table in order until one matches,
// then, for a number that matched none, against the ISDN number, as the
// pass decides. Returns the numbers that matched the table.
int matchInMemory(const std::vector<std::string>& numbers, const std::vector<std::string>& patterns) {
    int matched = 0;
    std::size_t start = 0;
    std::size_t end = 0;
    for (const std::string& number : numbers) {
        bool found = false;
        for (const std::string& pattern : patterns) {
            if (locateNumber(number, pattern, start, end)) {
                found = true;
                break;
            }
        }
        if (found) {
            ++matched;
        } else {
            benchmark::DoNotOptimize(locateNumber(number, kIsdnNumber, start, end));
        }
    }
    return matched;
}

// The pass's closing message for `count` entries.
std::string resultMessage(const char* format, int count) {
    char message[256];
    std::snprintf(message, sizeof message, resources::text(format), count);
    return message;
}

// One pass per iteration over a phonebook laid down afresh, every offered
// change answered with `button`; the pass must end with `closing`.
void runPasses(benchmark::State& state, int button, const char* closing) {
    const int entries = static_cast<int>(state.range(0));
    const int retired = static_cast<int>(state.range(1));
    Installation installation(entries, retired);
    const std::vector<std::string> numbers = installation.numbers();
    const std::vector<std::string> patterns = installation.patterns();
    const std::string expectedMessage = resultMessage(closing, installation.qualifying());
    remoteAccess() = ras();
    AnsweringBackend backend(button);

    PairTiming timing(state);
    for (auto _ : state) {
        installation.layDown();
        backend.shown.clear();
        backend.answered = 0;
        timing.subject([] {
            MigrationDriver driver;
            driver.runMigration();
        });
        int matched = 0;
        timing.baseline([&] { matched = matchInMemory(numbers, patterns); });

        // Every qualifying entry offered and answered, and nothing else said.
        if (backend.answered != installation.qualifying() || matched != installation.qualifying() ||
            backend.shown.size() != 1 || backend.shown.back().text != expectedMessage) {
            state.SkipWithError("the pass did not offer exactly the qualifying entries");
            break;
        }
    }
    timing.report();
    state.counters["offered"] = installation.qualifying();
}

// Every change confirmed: the pass as a user who accepts everything runs it.
void BM_MigrationPass(benchmark::State& state) { runPasses(state, IDOK, "%d個の設定を変更しました"); }

// Every change declined: the same pass without its writes, which shows what
// the examination costs on its own.
void BM_MigrationPassDeclined(benchmark::State& state) {
    runPasses(state, IDCANCEL, "%d個の古い設定を見つけましたが変更しませんでした");
}

// Every size, each with as many passes as fit: a confirmed pass over 10,000
// entries takes half a minute on a disk that flushes in milliseconds, and
// the whole run should stay within minutes.
void registerSizes(const char* name, void (*function)(benchmark::State&), int passesOverTenThousand) {
    for (int entries : {100, 1000, 10000}) {
        for (int retired : {10, 100, 1000}) {
            benchmark::RegisterBenchmark(name, function)
                ->Args({entries, retired})
                ->ArgNames({"entries", "retired"})
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond)
                ->Iterations(entries == 10000 ? passesOverTenThousand : 5);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    registerSizes("BM_MigrationPass", BM_MigrationPass, 2);
    registerSizes("BM_MigrationPassDeclined", BM_MigrationPassDeclined, 5);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

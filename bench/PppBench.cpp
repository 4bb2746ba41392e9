// The ppp service against the stand-in, side by side: the same migration
// pass, the real MigrationDriver, every offered change answered "変更する",
// over the same 200 entries, each dialling a retired number with the
// provider's former fixed name servers; once as pppd
// peers, chat scripts, secrets and name-server files (the subject), once as
// the stand-in's phonebook (the baseline). Each pass starts from the same
// files, laid down afresh. The demo provider's ISP_INF.csv stands beside
// this program, with its fixed name servers; APGEN.csv is written beside it.
#include "AnsweringBackend.h"
#include "Credentials.h"
#include "MigrationDriver.h"
#include "PairTiming.h"
#include "Phonebook.h"
#include "Platform.h"
#include "PppTestSupport.h"
#include "RasLibrary.h"
#include "RemoteAccess.h"
#include "RemoteAccessStore.h"
#include "TempSystemRoot.h"
#include "Text.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 200;

// An entry as a customer of this provider has it: a retired number, and
// the provider's former name servers (the pass writes the new ones).
RASENTRYA customerEntry() {
    RASENTRYA entry = rastest::modemEntry("0,03-5550-1234");
    entry.dwfOptions |= RASEO_SpecificNameServers;
    entry.ipaddrDns = {192, 0, 2, 1};
    entry.ipaddrDnsAlt = {192, 0, 2, 2};
    return entry;
}

std::string besideProgram(const char* fileName) {
    char directory[MAX_PATH];
    programDirectory(directory);
    return std::string(directory) + "/" + fileName;
}

std::string nameOf(int i) { return rastest::sjis("接続") + std::to_string(i); }
std::string userOf(int i) { return "user" + std::to_string(i) + "@rknet.example"; }

// Puts back the files as made, rewriting in place the ones that changed and
// removing the ones a pass made: a file system that is slow to make files
// after many were removed (ext4 without a journal) would otherwise charge
// the laying down to the next pass.
void layDown(const fs::path& from, const fs::path& to) {
    for (const auto& item : fs::recursive_directory_iterator(to)) {
        if (item.is_regular_file() && !fs::exists(from / fs::relative(item.path(), to))) fs::remove(item.path());
    }
    for (const auto& item : fs::recursive_directory_iterator(from)) {
        const fs::path target = to / fs::relative(item.path(), from);
        if (item.is_directory()) {
            fs::create_directories(target);
            continue;
        }
        const std::string bytes = testsupport::readFile(item.path().string());
        if (!fs::exists(target) || testsupport::readFile(target.string()) != bytes) {
            testsupport::writeFile(target.string(), bytes);
        }
    }
}

// The two systems, each with the same entries, in folders of their own.
class Installations {
public:
    Installations() {
        testsupport::writeFile(besideProgram("APGEN.csv"), rastest::sjis("旧東京") + ",03-5550-1234\r\n");
        testsupport::writeFile(besideProgram("APPHS.csv"), "");

        standin::ras::Phonebook phonebook;
        standin::ras::Credentials credentials;
        for (int i = 0; i < kEntries; ++i) {
            phonebook.put(nameOf(i), standin::ras::StoredEntry{customerEntry(), {}});
            standin::ras::StoredDialParams stored{};
            stored.params.dwSize = sizeof stored.params;
            std::memcpy(stored.params.szUserName, userOf(i).c_str(), userOf(i).size() + 1);
            std::memcpy(stored.params.szPassword, "pw", 3);
            stored.hasPassword = true;
            credentials.put(nameOf(i), stored);
        }
        phonebookBytes_ = standin::ras::serializePhonebook(phonebook);
        credentialsBytes_ = standin::ras::serializeCredentials(credentials);

        // The peers, made once through the ppp service, kept to lay down.
        usePpp();
        for (int i = 0; i < kEntries; ++i) {
            ppptest::setEntry(nameOf(i), customerEntry());
            ppptest::setAccount(nameOf(i), userOf(i), "pw");
        }
        fs::copy(ppp_.file("etc"), made_.file("etc"), fs::copy_options::recursive);
    }

    // Each system as the pass will find it: its files as made, its
    // platform state (the program's journal among it) where it keeps it.
    void useStandIn() const {
        unsetenv("KIVORA_PPP_ROOT");
        setenv("KIVORA_SYSTEM", standIn_.path().c_str(), 1);
        rastest::replaceFile(standIn_.file(standin::ras::kPhonebookFile), phonebookBytes_);
        rastest::replaceFile(standIn_.file(standin::ras::kCredentialsFile), credentialsBytes_);
        std::remove(standIn_.file(standin::ras::kPhonebookJournal).c_str());
        std::remove(standIn_.file(standin::ras::kCredentialsJournal).c_str());
        remoteAccess() = rastest::ras();
    }

    void usePpp() const {
        setenv("KIVORA_PPP_ROOT", ppp_.path().c_str(), 1);
        setenv("KIVORA_SYSTEM", (ppp_.path() + "/var/lib/kivora").c_str(), 1);
        // No serial ports to probe: the modem list costs nothing here.
        setenv("KIVORA_MODEM_PORTS", "", 1);
        if (fs::exists(made_.file("etc"))) layDown(made_.file("etc"), ppp_.file("etc"));
        remoteAccess() = ppptest::service();
    }

private:
    testsupport::TempDir standIn_;
    testsupport::TempDir ppp_;
    testsupport::TempDir made_;
    std::string phonebookBytes_;
    std::string credentialsBytes_;
};

bool passChangedAll(const AnsweringBackend& backend, const std::string& expected) {
    return backend.answered == kEntries && backend.shown.size() == 1 && backend.shown.back().text == expected;
}

void BM_MigrationOverPpp(benchmark::State& state) {
    Installations installations;
    char message[256];
    std::snprintf(message, sizeof message, resources::text("%d個の設定を変更しました"), kEntries);
    AnsweringBackend backend(IDOK);
    PairTiming timing(state);
    for (auto _ : state) {
        installations.useStandIn();
        backend.shown.clear();
        backend.answered = 0;
        timing.baseline([] {
            MigrationDriver driver;
            driver.runMigration();
        });
        const bool baselineWhole = passChangedAll(backend, message);

        installations.usePpp();
        backend.shown.clear();
        backend.answered = 0;
        timing.subject([] {
            MigrationDriver driver;
            driver.runMigration();
        });
        if (!baselineWhole || !passChangedAll(backend, message)) {
            state.SkipWithError("a pass did not change every entry");
            break;
        }
    }
    timing.report();
    state.counters["entries"] = kEntries;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::RegisterBenchmark("BM_MigrationOverPpp", BM_MigrationOverPpp)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

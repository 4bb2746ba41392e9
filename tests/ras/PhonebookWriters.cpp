#include "PhonebookWriters.h"

#include "RasLibrary.h"
#include "StoreFiles.h"
#include "SystemRoot.h"
#include "TempSystemRoot.h"

#include <unistd.h>

#include <charconv>
#include <limits>
#include <map>
#include <random>
#include <string>

namespace rastest {

namespace {

using testsupport::Damage;

// Names per writer: enough to spread the writes, few enough that the files
// stay small however long the run, so that their journals are folded in
// every few hundred writes and kills land in both kinds of write.
constexpr std::int64_t kNamesPerWriter = 50;

std::string nameOf(const std::string& prefix, std::int64_t sequence) {
    return prefix + std::to_string(sequence % kNamesPerWriter);
}

// The sequence number at the end of `text` ("1234", "user1234"); -1 without one.
std::int64_t sequenceIn(std::string_view text) {
    std::size_t digits = text.find_last_not_of("0123456789") + 1;
    std::int64_t value = -1;
    std::from_chars(text.data() + digits, text.data() + text.size(), value);
    return value;
}

// Stores entries from `first` on until `last` is passed or `deadline` comes,
// reporting each sequence number once its entry and credentials are stored.
[[noreturn]] void writeEntries(const std::string& prefix, std::int64_t first, std::int64_t last,
                               std::chrono::steady_clock::time_point deadline, int report) {
    for (std::int64_t sequence = first; sequence <= last && std::chrono::steady_clock::now() < deadline;
         ++sequence) {
        std::string name = nameOf(prefix, sequence);
        std::string number = std::to_string(sequence);
        if (setEntry(name, modemEntry(number)) != ERROR_SUCCESS ||
            setCredentials(name, "user" + number, "pw", FALSE) != ERROR_SUCCESS) {
            _exit(1);
        }
        testsupport::reportStored(report, sequence);
    }
    _exit(0);
}

// Reads the phonebook and the credentials as they lie on disk (each file with
// its journal), apart from the library's kept copies. A file not written yet
// reads as empty.
bool readOnDisk(standin::ras::PhonebookFile& phonebook, standin::ras::CredentialsFile& credentials,
                Damage& damage) {
    if (standin::ras::Status status = phonebook.refresh(); !status.ok()) {
        damage.torn(status.detail);
        return false;
    }
    if (standin::ras::Status status = credentials.refresh(); !status.ok()) {
        damage.torn(status.detail);
        return false;
    }
    return true;
}

// Every name's last reported sequence number must be on disk, or a later one.
void checkHolds(const std::map<std::string, std::int64_t>& lastReported, Damage& damage) {
    standin::ras::PhonebookFile phonebook(standin::ras::phonebookFormat());
    standin::ras::CredentialsFile credentials(standin::ras::credentialsFormat());
    if (!readOnDisk(phonebook, credentials, damage)) return;
    for (const auto& [name, sequence] : lastReported) {
        const auto* entry = phonebook.model().find(name);
        const auto* stored = credentials.model().find(name);
        if (entry == nullptr || sequenceIn(entry->record.properties.szLocalPhoneNumber) < sequence) {
            damage.lost("entry " + name + " #" + std::to_string(sequence));
        } else if (stored == nullptr || sequenceIn(stored->record.params.szUserName) < sequence) {
            damage.lost("credentials of " + name + " #" + std::to_string(sequence));
        }
    }
}

// Whether the kill caught a write half done: a temporary file beside a file
// or a journal, a journal ending in a record cut short, or the change after
// the last one reported (`unreported`) on disk already.
bool caughtMidWrite(const std::string& unreported, std::int64_t sequence) {
    for (const char* prefix : {"phonebook.txt.tmp.", "credentials.txt.tmp.", "phonebook.journal.tmp.",
                               "credentials.journal.tmp."}) {
        if (testsupport::hasFileStartingWith(standin::systemRootPath(), prefix)) return true;
    }
    standin::ras::PhonebookFile phonebook(standin::ras::phonebookFormat());
    standin::ras::CredentialsFile credentials(standin::ras::credentialsFormat());
    if (!phonebook.refresh().ok() || !credentials.refresh().ok()) return false;
    const auto* entry = phonebook.model().find(unreported);
    return phonebook.endsCutShort() || credentials.endsCutShort() ||
           (entry != nullptr && sequenceIn(entry->record.properties.szLocalPhoneNumber) == sequence);
}

void noteReported(const std::string& prefix, const std::vector<std::int64_t>& reported,
                  std::map<std::string, std::int64_t>& lastReported) {
    for (std::int64_t sequence : reported) lastReported[nameOf(prefix, sequence)] = sequence;
}

}  // namespace

testsupport::KillFigures killPhonebookWriters(int kills, std::chrono::microseconds maxDelay, std::uint32_t seed) {
    const std::string prefix = "slot";
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::int64_t> delay(0, maxDelay.count());
    testsupport::KillFigures figures;
    std::map<std::string, std::int64_t> lastReported;
    std::int64_t next = 0;
    for (int kill = 0; kill < kills; ++kill) {
        const std::int64_t first = next;
        testsupport::KilledWriter writer = testsupport::runAndKill(
            [&](int report) {
                writeEntries(prefix, first, std::numeric_limits<std::int64_t>::max(), std::chrono::steady_clock::time_point::max(), report);
            },
            std::chrono::microseconds(delay(random)));
        ++figures.kills;
        if (writer.killedMidway) ++figures.killedMidway;
        const std::int64_t unreported = first + static_cast<std::int64_t>(writer.reported.size());
        if (caughtMidWrite(nameOf(prefix, unreported), unreported)) ++figures.caughtMidWrite;
        figures.writesReported += static_cast<std::int64_t>(writer.reported.size());
        noteReported(prefix, writer.reported, lastReported);
        checkHolds(lastReported, figures.damage);
        // The one write after the last report may have landed too; the next
        // writer goes on beyond it, so that every name only ever moves forward.
        next = first + static_cast<std::int64_t>(writer.reported.size()) + 1;
    }
    return figures;
}

testsupport::ConcurrencyFigures writePhonebookTogether(int writers, std::int64_t writesEach,
                                                       std::chrono::milliseconds duration) {
    testsupport::ConcurrencyFigures figures;
    figures.writers = writers;
    const auto deadline = std::chrono::steady_clock::now() + duration;
    // Kept from check to check, as a reader in another process keeps them:
    // each check reads only what changed.
    standin::ras::PhonebookFile phonebook(standin::ras::phonebookFormat());
    standin::ras::CredentialsFile credentials(standin::ras::credentialsFormat());
    auto prefixOf = [](int writer) { return "writer" + std::to_string(writer) + "-"; };
    std::vector<testsupport::FinishedWriter> finished = testsupport::runTogether(
        writers,
        [&](int writer) {
            return [=](int report) { writeEntries(prefixOf(writer), 0, writesEach - 1, deadline, report); };
        },
        [&] {
            readOnDisk(phonebook, credentials, figures.damage);
            ++figures.checksWhileRunning;
        });
    std::map<std::string, std::int64_t> lastReported;
    for (int writer = 0; writer < writers; ++writer) {
        if (!finished[writer].succeeded) ++figures.failedWriters;
        figures.writes += static_cast<std::int64_t>(finished[writer].reported.size());
        noteReported(prefixOf(writer), finished[writer].reported, lastReported);
    }
    checkHolds(lastReported, figures.damage);
    return figures;
}

}  // namespace rastest

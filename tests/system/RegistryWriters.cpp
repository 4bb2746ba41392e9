#include "RegistryWriters.h"

#include "RegistryTestSupport.h"
#include "SystemRoot.h"

#include <unistd.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <string>

namespace registrytest {

namespace {

using testsupport::Damage;

// Value names per writer: enough to spread the writes, few enough that every
// write rewrites a small file however long the run.
constexpr std::int64_t kNamesPerWriter = 50;

const std::string kProfile = "\x83\x5C\x83\x74\x83\x67";  // CP932, with a 0x5C trail byte
const std::string kLongText(4000, 'L');

// Parses a hive as it lies on disk; null, with the damage noted, when it does
// not parse. A hive not written yet is empty.
std::optional<standin::Hive> parseOnDisk(HKEY root, Damage& damage) {
    const standin::HiveFile& file = hiveFile(root);
    standin::Hive hive(file.rootName);
    std::string content;
    std::string error;
    const standin::ReadResult read = standin::readWholeFile(standin::rootFile(file.fileName), content);
    if (read == standin::ReadResult::Missing) return hive;
    if (read != standin::ReadResult::Ok) {
        damage.torn(std::string(file.fileName) + " cannot be read");
        return std::nullopt;
    }
    if (!hive.parse(content, error)) {
        damage.torn(std::string(file.fileName) + ": " + error);
        return std::nullopt;
    }
    return hive;
}

const standin::RegistryValue* find(const standin::Hive& hive, const std::string& key, const std::string& name) {
    for (const standin::RegistryKey& k : hive.keys()) {
        if (k.path != key) continue;
        for (const standin::RegistryValue& v : k.values) {
            if (v.name == name) return &v;
        }
    }
    return nullptr;
}

void setValuesBefore() {
    EXPECT_EQ(setString(HKEY_CURRENT_USER, "RemoteAccess", "InternetProfile", kProfile), ERROR_SUCCESS);
    EXPECT_EQ(setString(HKEY_CURRENT_USER, "RemoteAccess", "Long", kLongText), ERROR_SUCCESS);
    EXPECT_EQ(setDword(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial", 1), ERROR_SUCCESS);
}

void checkValuesBefore(const standin::Hive& hive, Damage& damage) {
    const standin::RegistryValue* profile = find(hive, "RemoteAccess", "InternetProfile");
    const standin::RegistryValue* longValue = find(hive, "RemoteAccess", "Long");
    const standin::RegistryValue* autodial = find(hive, kInternetSettings, "EnableAutodial");
    if (profile == nullptr || profile->text != kProfile) damage.lost("InternetProfile");
    if (longValue == nullptr || longValue->text != kLongText) damage.lost("Long");
    if (autodial == nullptr || autodial->number != 1) damage.lost("EnableAutodial");
}

}  // namespace

testsupport::KillFigures killRegistryWriters(int kills, std::chrono::microseconds maxDelay, std::uint32_t seed) {
    setValuesBefore();
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::int64_t> delay(0, maxDelay.count());
    testsupport::KillFigures figures;
    // The latest counter known to be stored: reported, or seen on disk.
    std::int64_t stored = 0;
    std::int64_t next = 1;
    for (int kill = 0; kill < kills; ++kill) {
        const std::int64_t first = next;
        testsupport::KilledWriter writer = testsupport::runAndKill(
            [first](int report) {
                for (std::int64_t n = first;; ++n) {
                    if (setDword(HKEY_CURRENT_USER, kInternetSettings, "Counter", static_cast<DWORD>(n)) !=
                            ERROR_SUCCESS ||
                        setString(HKEY_CURRENT_USER, kInternetSettings, "Churn", std::string(n % 97, 'c')) !=
                            ERROR_SUCCESS) {
                        _exit(1);
                    }
                    testsupport::reportStored(report, n);
                }
            },
            std::chrono::microseconds(delay(random)));
        ++figures.kills;
        if (writer.killedMidway) ++figures.killedMidway;
        if (testsupport::hasFileStartingWith(standin::systemRootPath(), "HKCU.reg.tmp.")) ++figures.caughtMidWrite;
        figures.writesReported += static_cast<std::int64_t>(writer.reported.size());
        if (!writer.reported.empty()) stored = std::max(stored, writer.reported.back());
        if (std::optional<standin::Hive> hive = parseOnDisk(HKEY_CURRENT_USER, figures.damage)) {
            checkValuesBefore(*hive, figures.damage);
            const standin::RegistryValue* counter = find(*hive, kInternetSettings, "Counter");
            if (stored > 0 && (counter == nullptr || counter->number < stored)) {
                figures.damage.lost("Counter " + std::to_string(stored));
            }
            // A write that landed before its report counts as stored from now on.
            if (counter != nullptr) stored = std::max<std::int64_t>(stored, counter->number);
        }
        // The one write after the last report may have landed too; the next
        // writer goes on beyond it, so that the counter only ever moves forward.
        next = first + static_cast<std::int64_t>(writer.reported.size()) + 1;
    }
    return figures;
}

testsupport::ConcurrencyFigures writeRegistryTogether(int writers, std::int64_t writesEach,
                                                      std::chrono::milliseconds duration) {
    setValuesBefore();
    testsupport::ConcurrencyFigures figures;
    figures.writers = writers;
    const auto deadline = std::chrono::steady_clock::now() + duration;
    auto nameOf = [](int writer, std::int64_t sequence) {
        return "W" + std::to_string(writer) + "-" + std::to_string(sequence % kNamesPerWriter);
    };
    std::vector<testsupport::FinishedWriter> finished = testsupport::runTogether(
        writers,
        [&](int writer) {
            return [=](int report) {
                for (std::int64_t n = 0; n < writesEach && std::chrono::steady_clock::now() < deadline; ++n) {
                    // Both hives, so writers meet on both files.
                    const std::string name = nameOf(writer, n);
                    if (setDword(HKEY_CURRENT_USER, "RemoteAccess", name.c_str(), static_cast<DWORD>(n)) !=
                            ERROR_SUCCESS ||
                        setString(HKEY_LOCAL_MACHINE, kAutoDialDefault, name.c_str(), std::to_string(n)) !=
                            ERROR_SUCCESS) {
                        _exit(1);
                    }
                    testsupport::reportStored(report, n);
                }
                _exit(0);
            };
        },
        [&] {
            parseOnDisk(HKEY_CURRENT_USER, figures.damage);
            parseOnDisk(HKEY_LOCAL_MACHINE, figures.damage);
            ++figures.checksWhileRunning;
        });
    std::map<std::string, std::int64_t> lastReported;
    for (int writer = 0; writer < writers; ++writer) {
        if (!finished[writer].succeeded) ++figures.failedWriters;
        figures.writes += static_cast<std::int64_t>(finished[writer].reported.size());
        for (std::int64_t n : finished[writer].reported) lastReported[nameOf(writer, n)] = n;
    }
    std::optional<standin::Hive> user = parseOnDisk(HKEY_CURRENT_USER, figures.damage);
    std::optional<standin::Hive> machine = parseOnDisk(HKEY_LOCAL_MACHINE, figures.damage);
    if (!user || !machine) return figures;
    checkValuesBefore(*user, figures.damage);
    for (const auto& [name, n] : lastReported) {
        const standin::RegistryValue* number = find(*user, "RemoteAccess", name);
        const standin::RegistryValue* text = find(*machine, kAutoDialDefault, name);
        if (number == nullptr || number->number < n) figures.damage.lost("HKCU " + name + " " + std::to_string(n));
        if (text == nullptr || std::stoll(text->text) < n) {
            figures.damage.lost("HKLM " + name + " " + std::to_string(n));
        }
    }
    return figures;
}

}  // namespace registrytest

// Changes made whole across crashes, undone on request, one Kivora at a time:
// the real program, killed, restarted and run with --undo-migration.
#include "Cp932.h"
#include "Program.h"
#include "RasLibrary.h"
#include "SystemTool.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <tuple>

namespace {

using testsupport::Outcome;
using testsupport::Program;
using testsupport::SystemTool;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> messages(const Outcome& outcome) {
    std::vector<std::string> lines;
    for (const std::string& line : outcome.transcript) {
        if (line.rfind("message ", 0) == 0) lines.push_back(line);
    }
    return lines;
}

std::string password(int entry) { return "secret-" + std::to_string(entry) + "-of-e2e"; }

std::string hex(const std::string& bytes) {
    std::string text;
    char digits[3];
    for (unsigned char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", c);
        text += digits;
    }
    return text;
}

// Whether the journal holds the password of entry `entry`, plain or as hex.
bool journalHoldsPassword(const Program& program, int entry) {
    const std::string journal = testsupport::readFile(program.journalFolder() + "/migration.journal");
    return journal.find(password(entry)) != std::string::npos || journal.find(hex(password(entry))) != std::string::npos;
}

// Over the ppp service: the peers made once through the service, then
// their files laid down afresh as they were.
void preparePeers(const Program& program, int count) {
    namespace fs = std::filesystem;
    const fs::path etc = program.systemRoot() + "/etc";
    const fs::path made = program.directory() + "/etc-" + std::to_string(count);
    fs::remove_all(etc);
    // What a killed run recorded belongs to the files it had.
    fs::remove(program.stateRoot() + "/ppp.journal");
    if (fs::exists(made)) {
        fs::copy(made, etc, fs::copy_options::recursive);
        return;
    }
    SystemTool sys(program.systemRoot());
    for (int i = 0; i < count; ++i) {
        const std::string name = "e" + std::to_string(i);
        sys({"put", name, "szLocalPhoneNumber=03-5550-1234", "szDeviceName=m"});
        sys({"credentials", name, "u" + std::to_string(i) + "@old.example", password(i)});
    }
    fs::copy(etc, made, fs::copy_options::recursive);
}

// A provider retiring 03-5550-1234 for 0570-000-111, and `count` entries
// dialling it, each with two alternate numbers of its own; a migration
// script confirming every one of them.
std::string prepare(const Program& program, int count) {
    testsupport::writeFile(program.directory() + "/ISP_INF.csv",
                           "DialupDomain,@new.example\r\nDefaultTelNumber,0570-000-111\r\n");
    testsupport::writeFile(program.directory() + "/APGEN.csv", "x,03-5550-1234\r\n");
    std::string script = "click 1001\n";
    for (int i = 0; i < count; ++i) script += "click 1\n";
    script += "answer OK\n";
    if (testsupport::overPpp()) {
        preparePeers(program, count);
        return script;
    }
    std::string phonebook, credentials;
    for (int i = 0; i < count; ++i) {
        const std::string name = "e" + std::to_string(i);
        phonebook += "[" + name + "]\nszLocalPhoneNumber=03-5550-1234\nszDeviceType=modem\nszDeviceName=m\n" +
                     "alternate=0570-9" + std::to_string(i) + "\nalternate=03-5550-1234\n";
        credentials += "[" + name + "]\nszUserName=u" + std::to_string(i) + "@old.example\nszPassword=" + password(i) + "\n";
    }
    // The store's journals would replay the last run's changes on the files.
    for (const char* file : {"phonebook.journal", "credentials.journal"}) {
        std::filesystem::remove(program.systemRoot() + "/" + file);
    }
    testsupport::writeFile(program.systemRoot() + "/phonebook.txt", phonebook);
    testsupport::writeFile(program.systemRoot() + "/credentials.txt", credentials);
    return script;
}

// Number, user name and alternate numbers (their list, NULs and all) of an
// entry, read in this process from the service.
std::tuple<std::string, std::string, std::string> readEntry(const std::string& name) {
    DWORD size = 0;
    rastest::service().RasGetEntryPropertiesA(nullptr, name.c_str(), nullptr, &size, nullptr, nullptr);
    std::vector<RASENTRYA> entry(size / sizeof(RASENTRYA) + 1);
    entry[0].dwSize = sizeof(RASENTRYA);
    EXPECT_EQ(rastest::service().RasGetEntryPropertiesA(nullptr, name.c_str(), entry.data(), &size, nullptr, nullptr), 0u);
    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    std::snprintf(params.szEntryName, sizeof params.szEntryName, "%s", name.c_str());
    BOOL hasPassword = FALSE;
    EXPECT_EQ(rastest::service().RasGetEntryDialParamsA(nullptr, &params, &hasPassword), 0u);
    const char* list = reinterpret_cast<const char*>(entry.data()) + sizeof(RASENTRYA);
    return {entry[0].szLocalPhoneNumber, params.szUserName, std::string(list, size - std::min<DWORD>(size, sizeof(RASENTRYA)))};
}

int killsWanted() {
    const char* value = std::getenv("KIVORA_MIGRATION_KILLS");
    return value != nullptr ? std::atoi(value) : 20;
}

// The same entry as another program writes it between the kill and the
// restart: its own number, user name and password.
void editAsAnotherProgram(int entry) {
    const std::string name = "e" + std::to_string(entry);
    RASENTRYA edited = rastest::modemEntry("03-7777-" + std::to_string(1000 + entry));
    ASSERT_EQ(rastest::setEntry(name, edited), 0u);
    ASSERT_EQ(rastest::setCredentials(name, "edit" + std::to_string(entry) + "@other.example", "other", FALSE), 0u);
}

class KilledMigration : public ::testing::TestWithParam<bool> {};

// A migration killed at any moment, then started again: every entry is
// wholly old or wholly new, never the new number with the old account or
// the other way round, and its alternate numbers are as they were. With
// another program editing entries between the kill and the restart, each of
// its edits survives as it wrote it.
TEST_P(KilledMigration, LeavesEveryEntryWhollyOldOrNewAndEveryEditOfAnotherProgram) {
    constexpr int kEntries = 200;
    const bool anotherWriter = GetParam();
    Program program;
    SystemTool sys(program.systemRoot());
    const std::string script = prepare(program, kEntries);
    auto begun = std::chrono::steady_clock::now();
    Outcome whole = program.run(script);
    const auto duration = std::chrono::steady_clock::now() - begun;
    ASSERT_THAT(messages(whole), Contains("message information ok \"Kivora\" \"200個の設定を変更しました\""));

    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> anyEntry(0, kEntries - 1);
    int killedMidway = 0, restarts = 0, mixed = 0, editsLost = 0, leftAlone = 0, passwordsKept = 0;
    for (int kill = 0; kill < killsWanted(); ++kill) {
        prepare(program, kEntries);
        std::uniform_int_distribution<long> moment(0, std::chrono::duration_cast<std::chrono::microseconds>(duration).count());
        killedMidway += program.runKilledAfter(script, std::chrono::microseconds(moment(random)));
        // The other program edits the entry the kill cut off midway, if any,
        // and others at random.
        std::set<int> edited;
        for (int i = 0; anotherWriter && i < kEntries; ++i) {
            const auto [number, user, alternates] = readEntry("e" + std::to_string(i));
            if ((number == "0570-000-111") != (user == "u" + std::to_string(i) + "@new.example")) edited.insert(i);
        }
        while (anotherWriter && edited.size() < 5) edited.insert(anyEntry(random));
        for (int entry : edited) editAsAnotherProgram(entry);
        // The start after the crash puts back what it cut off, and says so.
        Outcome restart = program.run("answer OK\nclose\n");
        restarts += messages(restart).empty() ? 0 : 1;
        for (const std::string& message : messages(restart)) {
            leftAlone += message.find("Kivora以外で変更されていた") != std::string::npos ? 1 : 0;
        }
        const std::string journal = testsupport::readFile(program.journalFolder() + "/migration.journal");
        for (int i = 0; i < kEntries; ++i) {
            // Nothing is left to put back, so the journal keeps no password.
            passwordsKept += journal.find(hex(password(i))) != std::string::npos ? 1 : 0;
            const auto [number, user, alternates] = readEntry("e" + std::to_string(i));
            if (edited.count(i) != 0) {
                editsLost += number == "03-7777-" + std::to_string(1000 + i) &&
                                     user == "edit" + std::to_string(i) + "@other.example"
                                 ? 0
                                 : 1;
                continue;
            }
            const bool isNew = number == "0570-000-111";
            // pppd's peers hold no alternate numbers.
            const std::string own =
                testsupport::overPpp() ? std::string() : "0570-9" + std::to_string(i) + '\0' + "03-5550-1234" + '\0' + '\0';
            if (isNew != (user == "u" + std::to_string(i) + "@new.example") || alternates != own) ++mixed;
        }
    }
    std::cout << "[ killed    ] " << killsWanted() << " migrations, " << killedMidway << " midway, " << restarts
              << " starts put an entry back, " << leftAlone << " left entries another program had edited, " << mixed
              << " entries mixed, " << editsLost << " edits lost" << std::endl;
    EXPECT_EQ(mixed, 0);
    EXPECT_EQ(editsLost, 0);
    EXPECT_EQ(passwordsKept, 0);
    // Only an entry someone else edited is ever left alone.
    if (!anotherWriter) {
        EXPECT_EQ(leftAlone, 0);
    }
    // Nothing is left to put back.
    EXPECT_THAT(messages(program.run("close\n")), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Recovery, KilledMigration, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "WithAnotherWriter" : "Alone"; });

TEST(Recovery, TheLastPassIsUndoneExceptWhatChangedSince) {
    Program program;
    SystemTool sys(program.systemRoot());
    const std::string script = prepare(program, 3);
    std::vector<std::string> before;
    for (const char* name : {"e0", "e1", "e2"}) before.push_back(sys({"show", name, "--reveal"}));
    program.run(script);
    // The journal is the user's alone (on Windows, by the access list of the
    // user's own folder), and once the pass is over it keeps no password.
    const auto journal = std::filesystem::status(program.journalFolder() + "/migration.journal");
    EXPECT_TRUE(std::filesystem::exists(journal));
    if (testsupport::windowsBuild().empty()) {
        EXPECT_EQ(journal.permissions(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    }
    for (int entry = 0; entry < 3; ++entry) EXPECT_FALSE(journalHoldsPassword(program, entry)) << entry;
    sys({"credentials", "e1", "someone@else.example", "x"});
    const std::string e1 = sys({"show", "e1", "--reveal"});

    Outcome undo = program.runWith({"--undo-migration"}, "answer OK\nanswer OK\nanswer OK\n");
    EXPECT_EQ(undo.status, 0);
    EXPECT_THAT(messages(undo),
                ElementsAre("message question okcancel \"Kivora\" \"前回の移行で変更した3個の設定を、移行前に戻します\\n\\n"
                            "パスワードは記録していないため、元に戻さず今のままにします\\n\\nよろしいですか？\"",
                            "message warning ok \"Kivora\" \"次の設定は移行の後に変更されているため、元に戻しませんでした"
                            "\\n\\n[e1]\"",
                            "message information ok \"Kivora\" \"2個の設定を元に戻しました\""));
    EXPECT_EQ(sys({"show", "e0", "--reveal"}), before[0]);
    EXPECT_EQ(sys({"show", "e1", "--reveal"}), e1);
    EXPECT_EQ(sys({"show", "e2", "--reveal"}), before[2]);
    for (int entry = 0; entry < 3; ++entry) EXPECT_FALSE(journalHoldsPassword(program, entry)) << entry;
    // Once undone, the pass is not undone again; a cancelled question changes nothing.
    EXPECT_THAT(messages(program.runWith({"--undo-migration"}, "answer OK\n")),
                ElementsAre("message information ok \"Kivora\" \"元に戻せる移行はありません\""));
}

// Every file of a folder, by name.
std::map<std::string, std::string> filesOf(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        files[file.path().filename().string()] = testsupport::readFile(file.path().string());
    }
    return files;
}

// Moves `file` of `folder` to `outside` and leaves a link to it in its place.
void replaceByLink(const std::string& folder, const std::string& file, const std::string& outside) {
    std::filesystem::rename(folder + "/" + file, outside + "/" + file);
    std::filesystem::create_symlink(outside + "/" + file, folder + "/" + file);
}

// The entry's state as the journal writes one, its password in plain.
std::string journalState(const std::string& number, const std::string& user, const std::string& secret) {
    std::vector<char> entry(sizeof(RASENTRYA));
    RASENTRYA record = rastest::modemEntry(number);
    std::memcpy(entry.data(), &record, sizeof record);
    return "present x" + hex(std::string(entry.begin(), entry.end())) + " x" + hex(user) + " x" + hex(secret);
}

// An environment that is hostile or unlucky, arranged around one entry e0
// that a migration changes; then Kivora runs once more.
struct Hostility {
    const char* name;
    // Links and file modes: a Linux affair.
    bool linuxOnly;
    // `migrate` runs the migration as a user confirms it; `outside` is a
    // folder outside the system root.
    std::function<void(const Program&, const SystemTool&, const std::function<void()>& migrate, const std::string& outside)>
        arrange;
    std::vector<std::string> arguments;
    std::string script;
    // A part of what the user is told.
    const char* told;
    // Whether that run changes the entry, as the user confirmed.
    bool changesEntry;
};

const std::string kUndo = "--undo-migration";

const Hostility kHostilities[] = {
    {"a change cut off, then the entry edited by another program", false,
     [](const Program& program, const SystemTool& sys, const auto&, const std::string&) {
         // The number cannot be written, nor the entry put back: the account
         // is left changed and the change unfinished, as a kill leaves one.
         sys({"fault", "RasSetEntryPropertiesA", "5", "--entry", "e0"});
         program.run("click 1001\nclick 1\nanswer OK\nanswer OK\nanswer OK\n");
         // Where the platform can seal passwords, the journal holds none.
         if (!testsupport::windowsBuild().empty()) {
             EXPECT_FALSE(journalHoldsPassword(program, 0));
         }
         sys({"fault", "RasSetEntryPropertiesA", "clear"});
         sys({"put", "e0", "szLocalPhoneNumber=0,03-1111-2222"});
         sys({"credentials", "e0", "other@edit.example", "otherpw"});
     },
     {}, "answer OK\nclose\n", "次の設定はその後Kivora以外で変更されていたため、変更前に戻さず、そのままにしました\\n\\n[e0]",
     false},
    {"a record crafted into the journal", false,
     [](const Program& program, const SystemTool&, const auto& migrate, const std::string&) {
         migrate();
         // A change "made" from an attacker's entry to the entry as it is now.
         const std::string now = journalState("0570-000-111", "u0@new.example", password(0));
         const std::string crafted = journalState("0,09-9999-9999", "attacker@evil", "stolen");
         std::ofstream(program.journalFolder() + "/migration.journal", std::ios::app)
             << "begin 99 change keep x" << hex("e0") << " " << crafted << " " << now << " #0123456789abcdef\n"
             << "done 99 " << now << " #0123456789abcdef\n";
     },
     {kUndo}, "answer OK\n", "変更の記録が壊れていたため", false},
    {"the journal a link to a file elsewhere", true,
     [](const Program& program, const SystemTool&, const auto& migrate, const std::string& outside) {
         migrate();
         replaceByLink(program.journalFolder(), "migration.journal", outside);
     },
     {kUndo}, "answer OK\n", "変更の記録が、リンクであるか", false},
    {"the journal folder writable by others", true,
     [](const Program& program, const SystemTool&, const auto& migrate, const std::string&) {
         migrate();
         std::filesystem::permissions(program.journalFolder(), std::filesystem::perms::all);
     },
     {kUndo}, "answer OK\n", "変更の記録を置くフォルダーが", false},
    {"the journal's key replaced", false,
     [](const Program& program, const SystemTool&, const auto& migrate, const std::string&) {
         migrate();
         testsupport::writeFile(program.journalFolder() + "/journal.key", std::string(16, 'k'));
     },
     {kUndo}, "answer OK\n", "変更の記録が壊れていたため", false},
    {"links planted at the stand-in's store files and journals", true,
     [](const Program& program, const SystemTool& sys, const auto&, const std::string& outside) {
         // One change each, so that both journals are there to be linked.
         sys({"put", "e0", "szDeviceName=m"});
         sys({"credentials", "e0", "u0@old.example", password(0)});
         for (const char* file : {"phonebook.txt", "phonebook.journal", "credentials.txt", "credentials.journal"}) {
             replaceByLink(program.systemRoot(), file, outside);
         }
     },
     {}, "click 1001\nclick 1\nanswer OK\n", "1個の設定を変更しました", true},
};

class HostileEnvironment : public ::testing::TestWithParam<Hostility> {};

// What the user or another program wrote last is still there byte for
// byte, the user is told, and nothing outside the system root changes.
TEST_P(HostileEnvironment, ChangesOnlyWhatKivoraMayAndSaysSo) {
    const Hostility& hostility = GetParam();
    if (hostility.linuxOnly && !testsupport::windowsBuild().empty()) {
        GTEST_SKIP() << "links and modes are Linux's";
    }
    Program program;
    SystemTool sys(program.systemRoot());
    testsupport::TempDir outside;
    const std::string migration = prepare(program, 1);
    hostility.arrange(program, sys, [&] { program.run(migration); }, outside.path());
    const std::string entry = sys({"show", "e0", "--reveal"});
    const auto outsideBefore = filesOf(outside.path());

    const Outcome outcome = program.runWith(hostility.arguments, hostility.script);
    EXPECT_EQ(outcome.status, 0);
    bool told = false;
    for (const std::string& message : messages(outcome)) told = told || message.find(hostility.told) != std::string::npos;
    EXPECT_TRUE(told) << ::testing::PrintToString(messages(outcome));
    if (hostility.changesEntry) {
        const auto [number, user, alternates] = readEntry("e0");
        EXPECT_EQ(number + " " + user, "0570-000-111 u0@new.example");
    } else {
        EXPECT_EQ(sys({"show", "e0", "--reveal"}), entry);
    }
    EXPECT_EQ(filesOf(outside.path()), outsideBefore);
    // What was refused is told once; the next start is quiet.
    EXPECT_THAT(messages(program.run("close\n")), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Recovery, HostileEnvironment, ::testing::ValuesIn(kHostilities), [](const auto& info) {
    std::string name;
    for (const char* c = info.param.name; *c != '\0'; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
});

TEST(Recovery, ASecondKivoraDoesNotStartAMigrationWhileOneRuns) {
    Program program;
    SystemTool sys(program.systemRoot());
    const std::string script = prepare(program, 1);
    std::optional<testsupport::AnotherKivora> another(program);
    const std::string busy = "message warning ok \"Kivora\" \"別のKivoraが設定を変更しています\\n\\n"
                             "そちらが終わってから、もう一度お試しください\"";
    EXPECT_THAT(messages(program.run("click 1001\nanswer OK\n")), ElementsAre(busy));
    EXPECT_THAT(messages(program.runWith({"--undo-migration"}, "answer OK\n")), ElementsAre(busy));
    another.reset();
    EXPECT_EQ(sys({"show", "e0"}).find("szLocalPhoneNumber=0570"), std::string::npos);
}

}  // namespace

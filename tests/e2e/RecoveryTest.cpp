// Changes made whole across crashes, undone on request, one Kivora at a time:
// the real program, killed, restarted and run with --undo-migration.
#include "Cp932.h"
#include "Program.h"
#include "RasLibrary.h"
#include "SystemTool.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <random>
#include <string>

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
        sys({"credentials", name, "u" + std::to_string(i) + "@old.example", "pw"});
    }
    fs::copy(etc, made, fs::copy_options::recursive);
}

// A provider retiring 03-5550-1234 for 0570-000-111, and `count` entries
// dialling it; a migration script confirming every one of them.
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
        phonebook += "[" + name + "]\nszLocalPhoneNumber=03-5550-1234\nszDeviceType=modem\nszDeviceName=m\n";
        credentials += "[" + name + "]\nszUserName=u" + std::to_string(i) + "@old.example\nszPassword=pw\n";
    }
    // The store's journals would replay the last run's changes on the files.
    for (const char* file : {"phonebook.journal", "credentials.journal"}) {
        std::filesystem::remove(program.systemRoot() + "/" + file);
    }
    testsupport::writeFile(program.systemRoot() + "/phonebook.txt", phonebook);
    testsupport::writeFile(program.systemRoot() + "/credentials.txt", credentials);
    return script;
}

// Number and user name of an entry, read in this process from the service.
std::pair<std::string, std::string> numberAndUser(const std::string& name) {
    DWORD size = 0;
    rastest::service().RasGetEntryPropertiesA(nullptr, name.c_str(), nullptr, &size, nullptr, nullptr);
    std::vector<RASENTRYA> entry(size / sizeof(RASENTRYA) + 1);
    entry[0].dwSize = size;
    EXPECT_EQ(rastest::service().RasGetEntryPropertiesA(nullptr, name.c_str(), entry.data(), &size, nullptr, nullptr), 0u);
    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    std::snprintf(params.szEntryName, sizeof params.szEntryName, "%s", name.c_str());
    BOOL hasPassword = FALSE;
    EXPECT_EQ(rastest::service().RasGetEntryDialParamsA(nullptr, &params, &hasPassword), 0u);
    return {entry[0].szLocalPhoneNumber, params.szUserName};
}

int killsWanted() {
    const char* value = std::getenv("KIVORA_MIGRATION_KILLS");
    return value != nullptr ? std::atoi(value) : 20;
}

// A migration killed at any moment, then started again: every entry is
// wholly old or wholly new, never the new number with the old account or
// the other way round.
TEST(Recovery, AMigrationKilledAnywhereLeavesEveryEntryWhollyOldOrNew) {
    constexpr int kEntries = 200;
    Program program;
    SystemTool sys(program.systemRoot());
    const std::string script = prepare(program, kEntries);
    auto begun = std::chrono::steady_clock::now();
    Outcome whole = program.run(script);
    const auto duration = std::chrono::steady_clock::now() - begun;
    ASSERT_THAT(messages(whole), Contains("message information ok \"Kivora\" \"200個の設定を変更しました\""));

    std::mt19937 random(20261208);
    int killedMidway = 0, restarts = 0, mixed = 0;
    for (int kill = 0; kill < killsWanted(); ++kill) {
        prepare(program, kEntries);
        std::uniform_int_distribution<long> moment(0, std::chrono::duration_cast<std::chrono::microseconds>(duration).count());
        killedMidway += program.runKilledAfter(script, std::chrono::microseconds(moment(random)));
        // The start after the crash puts back what it cut off, and says so.
        Outcome restart = program.run("answer OK\nclose\n");
        restarts += messages(restart).empty() ? 0 : 1;
        for (int i = 0; i < kEntries; ++i) {
            const auto [number, user] = numberAndUser("e" + std::to_string(i));
            const bool isNew = number == "0570-000-111";
            if (isNew != (user == "u" + std::to_string(i) + "@new.example")) ++mixed;
        }
    }
    std::cout << "[ killed    ] " << killsWanted() << " migrations, " << killedMidway << " midway, " << restarts
              << " starts put an entry back, " << mixed << " entries mixed" << std::endl;
    EXPECT_EQ(mixed, 0);
    // Nothing is left to put back.
    EXPECT_THAT(messages(program.run("close\n")), IsEmpty());
}

TEST(Recovery, TheLastPassIsUndoneExceptWhatChangedSince) {
    Program program;
    SystemTool sys(program.systemRoot());
    const std::string script = prepare(program, 3);
    std::vector<std::string> before;
    for (const char* name : {"e0", "e1", "e2"}) before.push_back(sys({"show", name, "--reveal"}));
    program.run(script);
    // The journal holds former passwords: the user's alone (on Windows, by
    // the access list of the user's own folder).
    const auto journal = std::filesystem::status(program.journalFolder() + "/migration.journal");
    EXPECT_TRUE(std::filesystem::exists(journal));
    if (testsupport::windowsBuild().empty()) {
        EXPECT_EQ(journal.permissions(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    }
    sys({"credentials", "e1", "someone@else.example", "x"});
    const std::string e1 = sys({"show", "e1", "--reveal"});

    Outcome undo = program.runWith({"--undo-migration"}, "answer OK\nanswer OK\nanswer OK\n");
    EXPECT_EQ(undo.status, 0);
    EXPECT_THAT(messages(undo),
                ElementsAre("message question okcancel \"Kivora\" \"前回の移行で変更した3個の設定を、移行前に戻します\\n\\n"
                            "よろしいですか？\"",
                            "message warning ok \"Kivora\" \"次の設定は移行の後に変更されているため、元に戻しませんでした"
                            "\\n\\n[e1]\"",
                            "message information ok \"Kivora\" \"2個の設定を元に戻しました\""));
    EXPECT_EQ(sys({"show", "e0", "--reveal"}), before[0]);
    EXPECT_EQ(sys({"show", "e1", "--reveal"}), e1);
    EXPECT_EQ(sys({"show", "e2", "--reveal"}), before[2]);
    // Once undone, the pass is not undone again; a cancelled question changes nothing.
    EXPECT_THAT(messages(program.runWith({"--undo-migration"}, "answer OK\n")),
                ElementsAre("message information ok \"Kivora\" \"元に戻せる移行はありません\""));
}

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
    EXPECT_EQ(sys({"show", "e0"}).find("0570"), std::string::npos);
}

}  // namespace

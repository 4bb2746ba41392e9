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

// A provider retiring 03-5550-1234 for 0570-000-111, and `count` entries
// dialling it, each with two alternate numbers of its own; a migration
// script confirming every one of them.
std::string prepare(const Program& program, int count) {
    testsupport::writeFile(program.directory() + "/ISP_INF.csv",
                           "DialupDomain,@new.example\r\nDefaultTelNumber,0570-000-111\r\n");
    testsupport::writeFile(program.directory() + "/APGEN.csv", "x,03-5550-1234\r\n");
    std::string phonebook, credentials, script = "click 1001\n";
    for (int i = 0; i < count; ++i) {
        const std::string name = "e" + std::to_string(i);
        phonebook += "[" + name + "]\nszLocalPhoneNumber=03-5550-1234\nszDeviceType=modem\nszDeviceName=m\n" +
                     "alternate=0570-9" + std::to_string(i) + "\nalternate=03-5550-1234\n";
        credentials += "[" + name + "]\nszUserName=u" + std::to_string(i) + "@old.example\nszPassword=pw\n";
        script += "click 1\n";
    }
    // The store's journals would replay the last run's changes on the files.
    for (const char* file : {"phonebook.journal", "credentials.journal"}) {
        std::filesystem::remove(program.systemRoot() + "/" + file);
    }
    testsupport::writeFile(program.systemRoot() + "/phonebook.txt", phonebook);
    testsupport::writeFile(program.systemRoot() + "/credentials.txt", credentials);
    return script + "answer OK\n";
}

// Number, user name and alternate numbers (their list, NULs and all) of an
// entry, read in this process from the service.
std::tuple<std::string, std::string, std::string> readEntry(const std::string& name) {
    DWORD size = 0;
    rastest::ras().RasGetEntryPropertiesA(nullptr, name.c_str(), nullptr, &size, nullptr, nullptr);
    std::vector<RASENTRYA> entry(size / sizeof(RASENTRYA) + 1);
    entry[0].dwSize = sizeof(RASENTRYA);
    EXPECT_EQ(rastest::ras().RasGetEntryPropertiesA(nullptr, name.c_str(), entry.data(), &size, nullptr, nullptr), 0u);
    RASDIALPARAMSA params{};
    params.dwSize = sizeof params;
    std::snprintf(params.szEntryName, sizeof params.szEntryName, "%s", name.c_str());
    BOOL hasPassword = FALSE;
    EXPECT_EQ(rastest::ras().RasGetEntryDialParamsA(nullptr, &params, &hasPassword), 0u);
    const char* list = reinterpret_cast<const char*>(entry.data()) + sizeof(RASENTRYA);
    return {entry[0].szLocalPhoneNumber, params.szUserName, std::string(list, size - std::min<DWORD>(size, sizeof(RASENTRYA)))};
}

int killsWanted() {
    const char* value = std::getenv("KIVORA_MIGRATION_KILLS");
    return value != nullptr ? std::atoi(value) : 20;
}

// A migration killed at any moment, then started again: every entry is
// wholly old or wholly new, never the new number with the old account or
// the other way round, and its alternate numbers are as they were.
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
            const auto [number, user, alternates] = readEntry("e" + std::to_string(i));
            const bool isNew = number == "0570-000-111";
            const std::string own = "0570-9" + std::to_string(i) + '\0' + "03-5550-1234" + '\0' + '\0';
            if (isNew != (user == "u" + std::to_string(i) + "@new.example") || alternates != own) ++mixed;
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
    EXPECT_EQ(sys({"show", "e0"}).find("szLocalPhoneNumber=0570"), std::string::npos);
}

}  // namespace

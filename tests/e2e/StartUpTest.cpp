// The real program, end to end, through the script backend.
#include "Program.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using testsupport::Program;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(StartUp, WithoutATableFileTheNewConnectionFormRunsAlone) {
    Program program;
    program.addFile("ISP_INF.csv", "");
    auto outcome = program.run("close\n");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_THAT(outcome.transcript, ElementsAre("run 129", "> close", "end 129 2", "exit 0"));
}

TEST(StartUp, WithoutTheProviderFilesTheFormSaysOnceWhereTheyBelong) {
    Program program;
    auto outcome = program.run("answer OK\nclose\n");
    EXPECT_EQ(outcome.status, 0);
    ASSERT_EQ(outcome.transcript.size(), 6u);
    EXPECT_THAT(outcome.transcript[0], ::testing::StartsWith("message information ok \"Kivora\""));
    EXPECT_THAT(outcome.transcript[0], HasSubstr("CTMENU.csv"));
    // The folder as the program names it: on Windows (under Wine) a drive
    // path, each separator escaped in the transcript.
    std::string folder = program.directory();
    if (!testsupport::windowsBuild().empty()) {
        std::string drive = "Z:";
        for (char c : folder) drive += c == '/' ? std::string("\\\\") : std::string(1, c);
        folder = drive;
    }
    EXPECT_THAT(outcome.transcript[0], ::testing::EndsWith("\\n\\n" + folder + "\""));
}

TEST(StartUp, EitherTableFileOrADirectoryByItsNameOpensTheMainMenu) {
    for (const char* name : {"APGEN.csv", "APPHS.csv"}) {
        for (bool asDirectory : {false, true}) {
            SCOPED_TRACE(std::string(name) + (asDirectory ? " (directory)" : ""));
            Program program;
            if (asDirectory) {
                program.addDirectory(name);
            } else {
                program.addFile(name, "");
            }
            auto outcome = program.run("close\n");
            EXPECT_EQ(outcome.status, 0);
            EXPECT_THAT(outcome.transcript, ElementsAre("run 102", "> close", "end 102 2", "exit 0"));
        }
    }
}

TEST(StartUp, FindsItsFilesFromAnotherWorkingDirectory) {
    Program program;
    program.addFile("APGEN.csv", "");
    auto outcome = program.run("close\n", {}, "/");
    EXPECT_THAT(outcome.transcript, ElementsAre("run 102", "> close", "end 102 2", "exit 0"));
}

TEST(MainMenu, IgnoresEnterAndEscapeAndOpensTheAboutBoxFromTheSystemMenu) {
    Program program;
    program.addFile("APPHS.csv", "");
    auto outcome = program.run(
        "key 0 RETURN\nkey 0 ESCAPE\nkey 1000 RETURN\nkey 1001 ESCAPE\nclick 1006\n"
        "sysmenu 16\ndump\nkey 1 RETURN\nsysmenu 16\nclose\ndump\nclose\n");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_THAT(outcome.transcript,
                ElementsAre("run 102", "> key 0 RETURN", "> key 0 ESCAPE", "> key 1000 RETURN", "> key 1001 ESCAPE",
                            "> click 1006", "> sysmenu 16", "run 100", "> dump", "control 1 button \"OK\"",
                            "> key 1 RETURN", "end 100 1", "> sysmenu 16", "run 100", "> close", "end 100 2",
                            "> dump", "control 1006 static \"インターネット　Kivora\"",
                            "control 1000 button \"新規作成\"", "control 1001 button \"アクセスポイントの移行\"",
                            "> close", "end 102 2", "exit 0"));
}

TEST(MainMenu, TheNewConnectionButtonRunsTheFormInsteadOfTheMenu) {
    Program program;
    program.addFile("APGEN.csv", "");
    program.addFile("CTMENU.csv", "1,A,@a.example,0123\r\n");
    // The menu ends with the form's result and never shows again.
    auto outcome = program.run("click 1000\nset 1005 abc\nset 1001 u\nset 1002 p\nclick 1\nanswer OK\n");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_THAT(outcome.transcript,
                ElementsAre("run 102", "> click 1000", "hide 102", "run 129", "> set 1005 abc", "> set 1001 u",
                            "> set 1002 p", "> click 1", "create 132", "show 132",
                            "paint 132 \"ダイヤルアップネットワーク作成中\"", "destroy 132",
                            "message information ok \"Kivora\" \"ダイヤルアップネットワークを作成しました\"",
                            "> answer OK", "end 129 1", "end 102 1", "exit 0"));
    outcome = program.run("click 1000\nsysmenu 61536\n");
    EXPECT_THAT(outcome.transcript, ElementsAre("run 102", "> click 1000", "hide 102", "run 129", "> sysmenu 61536",
                                                "end 129 2", "end 102 2", "exit 0"));
}

TEST(MainMenu, TheMigrationButtonRunsThePassAndEndsTheMenu) {
    Program program;
    program.addFile("APGEN.csv", "");
    auto outcome = program.run("click 1001\nanswer OK\n");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_THAT(outcome.transcript,
                ElementsAre("run 102", "> click 1001", "hide 102", "create 132",
                            "message information ok \"Kivora\" \"ダイヤルアップネットワークが設定されていません\"",
                            "> answer OK", "destroy 132", "end 102 1", "exit 0"));
}

TEST(Script, ActionsThatCannotApplyEndTheProgramWithStatusThree) {
    struct Case {
        const char* script;
        std::vector<std::string> tail;
    };
    const Case cases[] = {
        {"click 4242\n", {"run 129", "error: click 4242: no control 4242", "exit 3"}},
        {"", {"run 129", "error: script exhausted", "exit 3"}},
        {"close\nclose\n", {"end 129 2", "error: 1 actions unused", "exit 3"}},
        {"answer OK\n", {"run 129", "error: answer OK: no message box is open", "exit 3"}},
        {"close\nclick\n", {"error: line 2: a control id is missing", "exit 3"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.script);
        Program program;
        program.addFile("ISP_INF.csv", "");
        auto outcome = program.run(test.script);
        EXPECT_EQ(outcome.status, 3);
        ASSERT_GE(outcome.transcript.size(), test.tail.size());
        std::vector<std::string> tail(outcome.transcript.end() - test.tail.size(), outcome.transcript.end());
        EXPECT_EQ(tail, test.tail);
    }
}

TEST(Script, TranscriptGoesToStandardOutputWhenNoFileIsNamed) {
    Program program;
    program.addFile("ISP_INF.csv", "");
    auto outcome = program.run("close\n", {{"KIVORA_TRANSCRIPT", ""}});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.standardOutput, "run 129\n> close\nend 129 2\nexit 0\n");

    auto withoutScript = program.run("close\n", {{"KIVORA_SCRIPT", ""}, {"KIVORA_TRANSCRIPT", ""}});
    EXPECT_EQ(withoutScript.status, 3);
    EXPECT_EQ(withoutScript.standardOutput, "error: KIVORA_SCRIPT names no script\nexit 3\n");
}

TEST(Backends, AnUnknownChoiceOrNoDisplayIsSaidInOneLine) {
    Program program;
    const bool windows = !testsupport::windowsBuild().empty();
    auto unknown = program.run("", {{"KIVORA_UI", "curses"}});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.standardError, windows ? "kivora: KIVORA_UI must be win32 or script, not curses\r\n"
                                             : "kivora: KIVORA_UI must be qt or script, not curses\n");
    if (windows) return;  // Windows always has its screen

    auto noDisplay = program.run("", {{"KIVORA_UI", "qt"}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""},
                                      {"QT_QPA_PLATFORM", ""}});
    EXPECT_EQ(noDisplay.status, 1);
    EXPECT_THAT(noDisplay.standardError, HasSubstr("xvfb-run"));
    EXPECT_THAT(noDisplay.standardError, HasSubstr("KIVORA_UI=script"));
    EXPECT_EQ(std::count(noDisplay.standardError.begin(), noDisplay.standardError.end(), '\n'), 1);
}

TEST(CommandLine, HelpAndVersionNeedNoDisplayAndAnUnknownOptionIsAUsageError) {
    Program program;
    const std::map<std::string, std::string> noDisplay = {
        {"KIVORA_UI", "qt"}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}};
    auto help = program.runWith({"--help"}, "", noDisplay);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.standardError, "");
    // Windows has no stand-in system to name, and ends its lines as Windows does.
    const bool windows = !testsupport::windowsBuild().empty();
    for (const char* listed : {"--undo-migration", "--version", "KIVORA_UI", "KIVORA_SCRIPT", "KIVORA_TRANSCRIPT",
                               "CTMENU.csv"}) {
        EXPECT_THAT(help.standardOutput, HasSubstr(listed));
    }
    EXPECT_EQ(help.standardOutput.find("KIVORA_SYSTEM") == std::string::npos, windows);
    auto version = program.runWith({"--version"}, "", noDisplay);
    EXPECT_EQ(version.status, 0);
    EXPECT_THAT(version.standardOutput, ::testing::StartsWith("kivora "));

    auto unknown = program.runWith({"--frobnicate"}, "", noDisplay);
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.standardOutput, "");
    EXPECT_THAT(unknown.standardError, ::testing::StartsWith(std::string("kivora: unknown option --frobnicate") +
                                                             (windows ? "\r\n" : "\n") + "usage: kivora"));
}

}  // namespace

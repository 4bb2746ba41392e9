// What the program does with the remote-access library it binds.
#include "Program.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>

namespace {

using testsupport::Program;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

TEST(Binding, ALibraryWithoutHangUpIsRefusedWithAWarningAndTheStartDialogStillRuns) {
    for (const char* table : {"", "APGEN.csv"}) {
        SCOPED_TRACE(*table ? "with a table file" : "without a table file");
        Program program;
        program.useFakeRemoteAccessLibrary("no-hangup");
        if (*table) program.addFile(table, "");
        program.addFile("ISP_INF.csv", "");
        const char* dialog = *table ? "102" : "129";
        auto outcome = program.run("answer OK\nclose\n");
        EXPECT_EQ(outcome.status, 0);
        EXPECT_THAT(outcome.transcript,
                    ElementsAre("message warning ok \"Kivora\" \"RASAPI32.DLL エラー\"", "> answer OK",
                                std::string("run ") + dialog, "> close", std::string("end ") + dialog + " 2",
                                "exit 0"));
    }
}

// Wine's loader names each file it loads (backslashes doubled): only the
// system folder's rasapi32.dll, not the one beside the program, which would
// be refused with a warning.
TEST(Binding, OnWindowsALibraryBesideTheProgramIsNeverLoaded) {
    if (testsupport::windowsBuild().empty()) GTEST_SKIP() << "on Linux the program's folder is the system's";
    Program program;
    program.addFile("rasapi32.dll", testsupport::readFile(program.fakeRemoteAccessLibrary("no-hangup")));
    program.addFile("ISP_INF.csv", "");
    auto outcome = program.run("close\n", {{"WINEDEBUG", "+loaddll"}});
    EXPECT_THAT(outcome.transcript, ElementsAre("run 129", "> close", "end 129 2", "exit 0"));
    std::string loaded = outcome.standardError;
    std::transform(loaded.begin(), loaded.end(), loaded.begin(), [](unsigned char c) { return std::tolower(c); });
    EXPECT_THAT(loaded, HasSubstr("loaded l\"c:\\\\windows\\\\system32\\\\rasapi32.dll\" at"));
    EXPECT_EQ(loaded.find("rasapi32.dll\" at"), loaded.rfind("rasapi32.dll\" at")) << "loaded twice";
}

}  // namespace

// What the program does with the remote-access library beside it.
#include "Program.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using testsupport::Program;
using ::testing::ElementsAre;

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

}  // namespace

// The script backend's transcript shows typed passwords: a transcript file
// is its owner's alone, and a run whose transcript could not be written
// fails instead of passing unseen.
#include "Program.h"
#include "RunProcess.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using testsupport::Program;
using testsupport::TempDir;

TEST(Transcript, AFileIsTheOwnersAloneAndALostLineFailsTheRun) {
    Program program;
    TempDir scratch;
    const std::string script = scratch.file("script");
    const std::string file = scratch.file("transcript");
    testsupport::writeFile(script, "set 1002 secret\nclose\n");
    testsupport::writeFile(file, "an older run\n");
    ASSERT_EQ(chmod(file.c_str(), 0644), 0);

    struct Case {
        const char* what;
        std::string transcript;  // KIVORA_TRANSCRIPT; empty: standard output
        const char* redirect;    // of standard output, for the shell
        int status;
    };
    const Case cases[] = {
        {"a file left readable by all", file, "", 0},
        {"a full disk", "/dev/full", "", 3},
        {"a closed standard output", "", ">&-", 3},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        std::vector<std::string> environment = {"KIVORA_UI=script", "KIVORA_SCRIPT=" + script,
                                                "KIVORA_SYSTEM=" + program.systemRoot()};
        environment.push_back(test.transcript.empty() ? "KIVORA_TRANSCRIPT" : "KIVORA_TRANSCRIPT=" + test.transcript);
        testsupport::ProcessResult result = testsupport::runProcess(
            {"/bin/sh", "-c", std::string("exec \"$0\" ") + test.redirect, program.directory() + "/kivora"},
            {{}, environment});
        EXPECT_EQ(result.status, test.status) << result.err;
        if (test.status != 0) {
            EXPECT_NE(result.err.find("cannot write the transcript"), std::string::npos);
        }
    }
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(testsupport::readFile(file), "run 129\n> set 1002 secret\n> close\nend 129 2\nexit 0\n");
}

}  // namespace

// The transcript shows typed passwords: a file for it is its owner's alone,
// and a run whose transcript lost a line fails instead of passing unseen.
#include "Program.h"
#include "RunProcess.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(Transcript, AFileIsTheOwnersAloneAndALostLineFailsTheRun) {
    testsupport::Program program;
    program.addFile("ISP_INF.csv", "");  // provider files, so the form opens without a word
    testsupport::TempDir scratch;
    const std::string file = scratch.file("transcript");
    testsupport::writeFile(scratch.file("script"), "set 1002 secret\nclose\n");
    testsupport::writeFile(file, "an older run\n");
    ASSERT_EQ(chmod(file.c_str(), 0644), 0);
    // KIVORA_TRANSCRIPT (unset when empty), how the shell leaves standard output, the status.
    const std::tuple<std::string, std::string, int> cases[] = {{file, "", 0}, {"/dev/full", "", 3}, {"", ">&-", 3}};
    for (const auto& [transcript, redirect, status] : cases) {
        testsupport::ProcessResult result = testsupport::runProcess(
            {"/bin/sh", "-c", "exec \"$0\" " + redirect, program.directory() + "/kivora"},
            {{}, {"KIVORA_UI=script", "KIVORA_SCRIPT=" + scratch.file("script"), "KIVORA_SYSTEM=" + program.systemRoot(),
                  transcript.empty() ? "KIVORA_TRANSCRIPT" : "KIVORA_TRANSCRIPT=" + transcript}});
        EXPECT_EQ(result.status, status) << transcript << redirect << result.err;
        EXPECT_EQ(result.err.find("cannot write the transcript") != std::string::npos, status != 0) << result.err;
    }
    struct stat st {};
    EXPECT_EQ(stat(file.c_str(), &st) == 0 ? st.st_mode & 07777 : 0, 0600u);
    EXPECT_EQ(testsupport::readFile(file), "run 129\n> set 1002 secret\n> close\nend 129 2\nexit 0\n");
}

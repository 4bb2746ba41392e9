// programDirectory and dataFilePath, run as a program copied into chosen
// directories and started from another working directory.
#include "Platform.h"
#include "ProbeDirectory.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ProgramDirectory, IsTheExecutablesDirectoryWhateverTheWorkingDirectory) {
    ProbeDirectory program;
    testsupport::ProcessResult r = program.run({"dir"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "rc=1 dir=" + program.directory() + "\n");
    EXPECT_EQ(program.run({"datapath", "ISP_INF.csv"}).out,
              "ok=1 path=" + program.directory() + "/ISP_INF.csv\n");
}

TEST(ProgramDirectory, NullBufferGivesZero) { EXPECT_EQ(programDirectory(nullptr), 0); }

TEST(ProgramDirectory, PathsAtTheLimitFitAndOneByteMoreIsRefused) {
    // An executable path of 259 bytes fits the 260-byte buffer with its terminator.
    ProbeDirectory fits = ProbeDirectory::withExecutablePathLength(259);
    ASSERT_EQ(fits.directory().size() + 1 + ProbeDirectory::kProbeName.size(), 259u);
    EXPECT_EQ(fits.run({"dir"}).out, "rc=1 dir=" + fits.directory() + "\n");
    // The directory fits, but a data path longer than the buffer is refused.
    EXPECT_EQ(fits.run({"datapath", "a-rather-long-provider-file-name.csv"}).out, "ok=0 path=\n");

    // One byte more: never a cut path naming another directory, but empty and 0.
    ProbeDirectory tooLong = ProbeDirectory::withExecutablePathLength(260);
    ASSERT_EQ(tooLong.directory().size() + 1 + ProbeDirectory::kProbeName.size(), 260u);
    EXPECT_EQ(tooLong.run({"dir"}).out, "rc=0 dir=\n");
    EXPECT_EQ(tooLong.run({"datapath", "ISP_INF.csv"}).out, "ok=0 path=\n");
}

TEST(DataFilePath, TooLongForTheBufferIsRefusedNotCut) {
    char path[MAX_PATH];
    std::string name(300, 'n');
    EXPECT_FALSE(dataFilePath(name.c_str(), path));
    EXPECT_STREQ(path, "");
    EXPECT_TRUE(dataFilePath("APGEN.csv", path));
    std::string text = path;
    EXPECT_EQ(text.substr(text.rfind('/')), "/APGEN.csv");
}

}  // namespace

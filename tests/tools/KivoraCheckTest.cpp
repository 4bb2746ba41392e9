// kivora-check, the real binary, on provider folders broken in every way the
// checker knows: each folder in folders/ holds the files and the output the
// checker must give, its exit status last.
#include "RunProcess.h"
#include "TempSystemRoot.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kFolders = KIVORA_TESTS_DIR "/tools/folders";

testsupport::ProcessResult check(const std::string& workingDirectory, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{KIVORA_BIN_DIR "/kivora-check"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return testsupport::runProcess(argv, {workingDirectory, {}});
}

}  // namespace

TEST(KivoraCheck, BrokenFoldersGiveTheirFindings) {
    const struct {
        const char* folder;
        const char* format;
        const char* expected;
    } cases[] = {
        {"settings", "--format=text", "expected.txt"},  {"encoding", "--format=text", "expected.txt"},
        {"tables", "--format=text", "expected.txt"},    {"tables", "--format=json", "expected.json"},
        {"menu", "--format=text", "expected.txt"},      {"missing", "--format=text", "expected.txt"},
        {"logo-damaged", "--format=text", "expected.txt"}, {"logo-large", "--format=text", "expected.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.folder) + " " + c.format);
        const testsupport::ProcessResult result = check(kFolders, {c.format, c.folder});
        EXPECT_EQ(result.out + "exit " + std::to_string(result.status) + "\n",
                  testsupport::readFile(kFolders + "/" + c.folder + "/" + c.expected));
        EXPECT_EQ(result.err, "");
    }
}

TEST(KivoraCheck, DemoProviderHasNoWarnings) {
    const testsupport::ProcessResult result = check(KIVORA_TESTS_DIR "/..", {"demo"});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_NE(result.out.find("\n0 error(s), 0 warning(s), "), std::string::npos) << result.out;
}

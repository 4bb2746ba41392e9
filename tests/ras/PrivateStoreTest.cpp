// The credentials file and its journal hold passwords: a change narrows
// them to their owner before writing, and one that another user owns is
// refused, whoever runs the change.
#include "RunProcess.h"
#include "TempSystemRoot.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

namespace {

using testsupport::readFile;
using testsupport::runProcess;

constexpr uid_t kNobody = 65534;

}  // namespace

TEST(PrivateStore, CredentialsAreNarrowedBeforeAWriteAndAnotherUsersAreRefused) {
    struct Case {
        const char* what;
        std::function<void(const testsupport::TempSystemRoot&)> prepare;
        bool asNobody;
        const char* refusedFile;  // null: the change is made
    };
    auto file = [](const testsupport::TempSystemRoot& root, const char* name) { return root.file(name); };
    const Case cases[] = {
        {"left readable by all",
         [&](const auto& root) {
             EXPECT_EQ(chmod(file(root, "credentials.txt").c_str(), 0644), 0);
             EXPECT_EQ(chmod(file(root, "credentials.journal").c_str(), 0666), 0);
         },
         false, nullptr},
        {"the file another user's", [&](const auto& root) { EXPECT_EQ(chown(file(root, "credentials.txt").c_str(), kNobody, kNobody), 0); },
         false, "credentials.txt"},
        {"the journal another user's",
         [&](const auto& root) { EXPECT_EQ(chown(file(root, "credentials.journal").c_str(), kNobody, kNobody), 0); }, false,
         "credentials.journal"},
        // Run as nobody in a root anyone may write: a readable file of root's.
        {"written by another user",
         [&](const auto& root) {
             EXPECT_EQ(chmod(root.path().c_str(), 0777), 0);
             EXPECT_EQ(chmod(file(root, ".lock").c_str(), 0666), 0);
             EXPECT_EQ(chmod(file(root, "credentials.txt").c_str(), 0644), 0);
             EXPECT_EQ(unlink(file(root, "credentials.journal").c_str()), 0);
         },
         true, "credentials.txt"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        testsupport::TempSystemRoot root;
        auto sys = [&root](std::vector<std::string> args, bool asNobody) {
            args.insert(args.begin(), {KIVORA_BIN_DIR "/kivora-sys", "--root", root.path()});
            if (asNobody) args.insert(args.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
            return runProcess(args);
        };
        ASSERT_EQ(sys({"put", "Alpha"}, false).status, 0);
        ASSERT_EQ(sys({"credentials", "Alpha", "taro", "first"}, false).status, 0);
        ASSERT_EQ(sys({"credentials", "Alpha", "taro", "second"}, false).status, 0);
        test.prepare(root);
        const std::string credentials = readFile(root.file("credentials.txt"));
        const std::string journal = readFile(root.file("credentials.journal"));

        testsupport::ProcessResult result = sys({"credentials", "Alpha", "taro", "third"}, test.asNobody);
        if (test.refusedFile == nullptr) {
            EXPECT_EQ(result.status, 0) << result.err;
            for (const char* name : {"credentials.txt", "credentials.journal"}) {
                struct stat st {};
                ASSERT_EQ(stat(root.file(name).c_str(), &st), 0) << name;
                EXPECT_EQ(st.st_mode & 07777, 0600u) << name;
            }
            continue;
        }
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(root.file(test.refusedFile) + ": it belongs to another user"), std::string::npos)
            << result.err;
        EXPECT_EQ(readFile(root.file("credentials.txt")), credentials);
        EXPECT_EQ(readFile(root.file("credentials.journal")), journal);
    }
}

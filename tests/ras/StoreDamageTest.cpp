// The store's files as kivora-sys meets them: a damaged one is named and
// nothing is written; the credentials are their owner's alone before any
// write, and another user's are refused.
#include "RunProcess.h"
#include "TempSystemRoot.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>

namespace {

using testsupport::readFile;

class StoreOnDisk : public ::testing::Test {
protected:
    testsupport::TempSystemRoot root;

    testsupport::ProcessResult sys(std::vector<std::string> args, bool asNobody = false) const {
        args.insert(args.begin(), {KIVORA_BIN_DIR "/kivora-sys", "--root", root.path()});
        if (asNobody) args.insert(args.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
        return testsupport::runProcess(args);
    }
    // Alpha in each file written whole, Beta in each journal.
    void SetUp() override {
        for (const auto& args : std::vector<std::vector<std::string>>{
                 {"put", "Alpha"}, {"credentials", "Alpha", "taro", "p"}, {"put", "Beta"}, {"credentials", "Beta", "j", "q"}}) {
            ASSERT_EQ(sys(args).status, 0);
        }
    }
    std::map<std::string, std::string> files() const {
        std::map<std::string, std::string> bytes;
        for (const auto& file : std::filesystem::directory_iterator(root.path())) bytes[file.path()] = readFile(file.path());
        return bytes;
    }
};

}  // namespace

TEST_F(StoreOnDisk, ADamagedFileIsNamedAndNothingIsWritten) {
    using Damage = std::pair<std::function<std::string(const std::string&)>, std::string>;
    const Damage garbage = {[](const std::string&) { return std::string("\x8f\x01[\xff\n=\n", 8); }, ""};
    const std::vector<Damage> fileDamage = {
        {[](const std::string& t) { return t.substr(0, t.size() - 1); }, "the last line has no line break"},
        {[](const std::string& t) { return t.substr(0, t.rfind('\n', t.size() - 2) + 1); }, "where its journal"},
        {[](const std::string& t) { return t + "[ALPHA]\n"; }, "is there twice"},
        garbage};
    const std::vector<Damage> journalDamage = {
        {[](const std::string& t) { return t.substr(0, t.find("base ") + 8); }, "ends before its base line"}, garbage};
    const std::map<std::string, std::string> good = files();
    for (std::string name : {"phonebook.txt", "credentials.txt", "phonebook.journal", "credentials.journal"}) {
        for (const auto& [damage, reason] : name.ends_with(".txt") ? fileDamage : journalDamage) {
            SCOPED_TRACE(name + ": " + reason);
            for (const auto& [path, bytes] : good) testsupport::writeFile(path, bytes);
            testsupport::writeFile(root.file(name), damage(good.at(root.file(name))));
            const std::map<std::string, std::string> damaged = files();
            for (const auto& result : {sys({"show", "Alpha"}), sys({"credentials", "Alpha", "hanako", "x"})}) {
                EXPECT_EQ(result.status, 1);
                EXPECT_NE(result.err.find(root.file(name) + " is damaged"), std::string::npos) << result.err;
                EXPECT_NE(result.err.find(reason), std::string::npos) << result.err;
            }
            EXPECT_EQ(files(), damaged);
        }
    }
}

TEST_F(StoreOnDisk, CredentialsAreNarrowedBeforeAWriteAndAnotherUsersAreRefused) {
    const std::string file = root.file("credentials.txt");
    const std::string journal = root.file("credentials.journal");
    ASSERT_EQ(chmod(file.c_str(), 0644) | chmod(journal.c_str(), 0666), 0);
    ASSERT_EQ(sys({"credentials", "Alpha", "taro", "new"}).status, 0);
    for (const std::string& path : {file, journal}) {
        struct stat st {};
        EXPECT_EQ(stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0, 0600u) << path;
    }
    // Refused to root, and to nobody writing in a root anyone may write.
    if (geteuid() != 0) GTEST_SKIP() << "acting as another user needs root";
    const std::map<std::string, std::string> before = files();
    ASSERT_EQ(chown(journal.c_str(), 65534, 65534), 0);
    auto refused = sys({"credentials", "Alpha", "x", "y"});
    EXPECT_NE(refused.err.find(journal + ": it belongs to another user"), std::string::npos) << refused.err;
    ASSERT_EQ(unlink(journal.c_str()) | chmod(file.c_str(), 0644) | chmod(root.path().c_str(), 0777) |
                  chmod(root.file(".lock").c_str(), 0666),
              0);
    refused = sys({"credentials", "Alpha", "x", "y"}, true);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(file + ": it belongs to another user"), std::string::npos) << refused.err;
    EXPECT_EQ(readFile(file), before.at(file));
    EXPECT_FALSE(std::filesystem::exists(journal));
}
